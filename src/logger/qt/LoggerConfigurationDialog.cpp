// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/qt/LoggerConfigurationDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "base/Texts.h"
#include "base/ValueLists.h"
#include "base/qt/UserInterface.h"
#include "base/qt/WindowPrinter.h"
#include "link/AppContext.h"
#include "ui_LoggerConfigurationDialog.h"

namespace flowdesk {

namespace {

constexpr const char* kPrintTitle = "Logger Settings";  // the same in both languages

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

LoggerConfigurationDialog::LoggerConfigurationDialog(AppContext& context, QWidget* parent)
    : Screen(context, parent),
      session_(context),
      rows_(loggerRows(context.image.logger, parameter1_, erase_)),
      ui_(std::make_unique<Ui::LoggerConfigurationDialog>()) {
  ui_->setupUi(this);
  setWindowTitle(text(kTxtLoggerConfiguration));
  bindPictures({{PictureRole::kPrint, [this] { print(); }},
                {PictureRole::kTransfert, [this] { transfert(); }},
                {PictureRole::kSaveDisk, {}}},
               ShortcutContext::kConfiguration);
  // The logger's settings are kept by the unit alone: no file to save.
  showPicture(PictureRole::kSaveDisk, false);
  ui_->labelCaption->clear();

  for (QComboBox* box : findChildren<QComboBox*>()) {
    connect(box, &QComboBox::activated, this, &LoggerConfigurationDialog::changed);
  }
  connect(ui_->editPoint, &QLineEdit::editingFinished, this, &LoggerConfigurationDialog::changed);
  connect(ui_->checkErase, &QCheckBox::clicked, this, &LoggerConfigurationDialog::changed);
}

LoggerConfigurationDialog::~LoggerConfigurationDialog() = default;

bool LoggerConfigurationDialog::load() {
  const Language language = this->language();
  // The screen works on a connected unit only.
  if (source().fromFile()) return false;
  LoggerOpenOutcome outcome;
  {
    const std::unique_ptr<ProgressDisplay> progress = userInterface().progress(this, language);
    outcome = talk([this] { return session_.open(); });
  }
  if (!outcome.ok) {
    const std::string why = loggerOpenText(outcome, language);
    if (!why.empty()) tell(Tone::kFailure, kTxtLoggerConfiguration, why);
    return false;
  }
  erase_ = session_.eraseRequested ? 1 : 0;
  setLabels(*this, rows_.labels, language);
  fillLists(*this, rows_.combos, language);
  setChecks(*this, rows_.checks, language);
  draw();
  watchEdits(this, kTxtLoggerConfiguration);
  // As tall as the rows shown need; rows shown later make it grow.
  adjustSize();
  return true;
}

void LoggerConfigurationDialog::changed() {
  readNumbers(*this, rows_.fields);
  readLists(*this, rows_.combos);
  readChecks(*this, rows_.checks);
  session_.eraseRequested = erase_ != 0;
  session_.applyRules();
  draw();
}

void LoggerConfigurationDialog::draw() {
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
  ui_->valueRange->setText(
      QString::fromStdString(session_.rangeText(language(), printEnvironment().regional)));
}

void LoggerConfigurationDialog::transfert() {
  changed();
  if (!ask(kTxtUploadCaption, kTxtUploadToUnit)) return;
  LoggerUploadOutcome outcome;
  {
    const std::unique_ptr<ProgressDisplay> progress = userInterface().progress(this, language());
    outcome = talk([&] {
      return session_.upload([&progress](const std::string& step) {
        progress->setInfo(QString::fromStdString(step));
      });
    });
  }
  if (!outcome.ok) {
    // The operator's choices stay on screen for another try.
    tell(Tone::kFailure, kTxtUploadCaption, loggerUploadText(outcome, language()));
    return;
  }
  erase_ = session_.eraseRequested ? 1 : 0;
  selectChecks(*this, rows_.checks);
  accept();
}

void LoggerConfigurationDialog::print() {
  changed();
  printWithNote(kPrintTitle, true, ui_->labelCaption);
}

}  // namespace flowdesk
