#include "logger/qt/CConfigLoggerDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "base/Texts.h"
#include "base/ValueLists.h"
#include "base/qt/PictureButton.h"
#include "base/qt/UserInterface.h"
#include "base/qt/WindowPrinter.h"
#include "link/AppContext.h"
#include "ui_CConfigLoggerDlg.h"

namespace flowdesk {

namespace {

constexpr const char* kPrintTitle = "Logger Settings";  // the same in both languages

QString qtText(const BilingualText& text, int language) {
  return QString::fromUtf8(text.text(language));
}

BindingRows loggerRows(LoggerSettingsRegion& l, std::int32_t& parameter1, std::uint8_t& erase) {
  BindingRows rows{
      .labels = {{"labelType", kTxtNbrOfParameters},
                 {"labelParameter1", kTxtParameter1},
                 {"labelParameter2", kTxtParameter2},
                 {"labelParameter3", kTxtParameter3},
                 {"labelParameter4", kTxtParameter4},
                 {"labelParameter5", kTxtParameter5},
                 {"labelParameter6", kTxtParameter6},
                 {"labelParameter7", kTxtParameter7},
                 {"labelParameter8", kTxtParameter8},
                 {"labelParameter9", kTxtParameter9},
                 {"labelPeriod", kTxtLoggerStep},
                 {"labelPoint", kTxtPointNumber},
                 {"groupRange", kTxtLoggerRange}},
      .fields = {{"editPoint", &l.pointNumber, "%.0f", 0, 255}},
      .combos = {{"comboType", &l.loggerType, 0, &LoggerTypeList},
                 {"comboParameter1", &parameter1, 0, &AverageFlowList},
                 {"comboPeriod", &l.periodIndex, 0, &PeriodList}},
      .checks = {{"checkErase", &erase, kTxtEraseLogger}},
  };
  static constexpr const char* kParameterCombos[] = {
      "comboParameter2", "comboParameter3", "comboParameter4", "comboParameter5",
      "comboParameter6", "comboParameter7", "comboParameter8", "comboParameter9"};
  for (std::size_t p = 0; p < l.loggedParam.size(); ++p) {
    rows.combos.push_back({kParameterCombos[p], &l.loggedParam[p], 0, &LoggedQuantityList});
  }
  return rows;
}

}  // namespace

CConfigLoggerDlg::CConfigLoggerDlg(AppContext& context, QWidget* parent)
    : QDialog(parent),
      context_(context),
      session_(context),
      rows_(loggerRows(context.image.logger, parameter1_, erase_)),
      ui_(std::make_unique<Ui::CConfigLoggerDlg>()) {
  ui_->setupUi(this);
  setWindowTitle(qtText(kTxtLoggerConfiguration, context_.settings.Language));
  buttons_ = {ui_->buttonPrint, ui_->buttonTransfert, ui_->buttonSaveDisk};
  const PictureRole roles[] = {PictureRole::Print, PictureRole::Transfert, PictureRole::SaveDisk};
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    buttons_[i]->setShortcut(pictureShortcut(roles[i], ShortcutContext::Configuration));
    // Enter in the point number must not press a button.
    buttons_[i]->setAutoDefault(false);
  }
  ui_->buttonSaveDisk->hide();
  ui_->labelCaption->clear();

  for (QComboBox* box : findChildren<QComboBox*>()) {
    connect(box, &QComboBox::activated, this, &CConfigLoggerDlg::changed);
  }
  connect(ui_->editPoint, &QLineEdit::editingFinished, this, &CConfigLoggerDlg::changed);
  connect(ui_->checkErase, &QCheckBox::clicked, this, &CConfigLoggerDlg::changed);
  connect(ui_->buttonPrint, &QPushButton::clicked, this, &CConfigLoggerDlg::print);
  connect(ui_->buttonTransfert, &QPushButton::clicked, this, &CConfigLoggerDlg::transfert);
}

CConfigLoggerDlg::~CConfigLoggerDlg() = default;

bool CConfigLoggerDlg::load() {
  const int language = context_.settings.Language;
  // The screen works on a connected unit only.
  if (context_.OpenedFromFile) return false;
  LoggerOpenOutcome outcome;
  {
    const std::unique_ptr<ProgressDisplay> progress = userInterface().progress(this, language);
    outcome = session_.open();
  }
  if (!outcome.ok) return false;
  erase_ = session_.eraseRequested ? 1 : 0;
  setLabels(*this, rows_.labels, language);
  fillLists(*this, rows_.combos, language);
  setChecks(*this, rows_.checks, language);
  draw();
  // As tall as the rows shown need; rows shown later make it grow.
  adjustSize();
  return true;
}

void CConfigLoggerDlg::changed() {
  readNumbers(*this, rows_.fields);
  readLists(*this, rows_.combos);
  readChecks(*this, rows_.checks);
  session_.eraseRequested = erase_ != 0;
  session_.applyRules();
  draw();
}

void CConfigLoggerDlg::draw() {
  showNumbers(*this, rows_.fields);
  selectLists(*this, rows_.combos);
  selectChecks(*this, rows_.checks);
  ui_->comboType->setEnabled(session_.typeEditable());
  const bool more = session_.hasParameters5To9();
  const std::array<QWidget*, 10> fiveToNine = {
      ui_->labelParameter5, ui_->comboParameter5, ui_->labelParameter6, ui_->comboParameter6,
      ui_->labelParameter7, ui_->comboParameter7, ui_->labelParameter8, ui_->comboParameter8,
      ui_->labelParameter9, ui_->comboParameter9};
  for (QWidget* w : fiveToNine) w->setVisible(more);
  ui_->valueRange->setText(QString::fromStdString(
      session_.rangeText(context_.settings.Language, printEnvironment().regional)));
}

void CConfigLoggerDlg::transfert() {
  const int language = context_.settings.Language;
  changed();
  if (!userInterface().question(this, qtText(kTxtUploadCaption, language),
                                qtText(kTxtUploadToUnit, language))) {
    return;
  }
  LoggerUploadOutcome outcome;
  {
    const std::unique_ptr<ProgressDisplay> progress = userInterface().progress(this, language);
    outcome = session_.upload(
        [&progress](const std::string& step) { progress->setInfo(QString::fromStdString(step)); });
  }
  if (!outcome.ok) {
    // The operator's choices stay on screen for another try.
    userInterface().message(this, UserInterface::Icon::Critical,
                            qtText(kTxtUploadCaption, language),
                            QString::fromStdString(loggerUploadText(outcome, language)));
    return;
  }
  erase_ = session_.eraseRequested ? 1 : 0;
  selectChecks(*this, rows_.checks);
  accept();
}

void CConfigLoggerDlg::print() {
  changed();
  std::array<bool, 3> wasShown{};
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    wasShown[i] = !buttons_[i]->isHidden();
    buttons_[i]->hide();
  }
  ui_->buttonPrint->setFocus();
  const PrintOutcome outcome = printWindow(this, QString::fromLatin1(kPrintTitle), 1, 1, 0);
  for (std::size_t i = 0; i < buttons_.size(); ++i) buttons_[i]->setVisible(wasShown[i]);
  const QString note = printOutcomeNote(outcome, context_.settings.Language);
  if (!note.isEmpty()) ui_->labelCaption->setText(note);
}

}  // namespace flowdesk
