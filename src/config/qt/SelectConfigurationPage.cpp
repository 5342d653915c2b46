// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/qt/SelectConfigurationPage.h"

#include <QCheckBox>
#include <utility>

#include "base/Texts.h"
#include "base/ValueLists.h"
#include "base/qt/PictureButton.h"
#include "base/qt/UserInterface.h"
#include "base/qt/WindowPrinter.h"
#include "config/ConfigurationSession.h"
#include "config/qt/ComparisonDisplay.h"
#include "files/qt/KindPrompts.h"
#include "link/AppContext.h"
#include "link/qt/Screen.h"
#include "ui_SelectConfigurationPage.h"

namespace flowdesk {

namespace {

QString qtText(const BilingualText& text, Language language) {
  return QString::fromUtf8(text.text(language));
}

}  // namespace

template <typename Exchange>
auto SelectConfigurationPage::exchange(Exchange&& run) {
  return sheet_ != nullptr ? sheet_->talk(std::forward<Exchange>(run)) : run();
}

SelectConfigurationPage::SelectConfigurationPage(AppContext& context, ConfigurationSession& session,
                                                 Screen* sheet, QWidget* parent)
    : CalibrationPage(context, session, parent),
      sheet_(sheet),
      read_(session.readNumber()),
      write_(session.writeNumber()),
      ui_(std::make_unique<Ui::SelectConfigurationPage>()),
      buttons_{{{PictureRole::kPrint, &SelectConfigurationPage::print, nullptr},
                {PictureRole::kCompare, &SelectConfigurationPage::compare, nullptr},
                {PictureRole::kTransfert, &SelectConfigurationPage::transfert, nullptr},
                {PictureRole::kSaveDisk, &SelectConfigurationPage::saveDisk, nullptr}}} {
  rows_ = {
      .labels = {{"labelRead", kTxtReadConfiguration}, {"labelWrite", kTxtWriteToConfiguration}},
      .combos = {{"comboRead", &read_, 0,
                  session.configurationCount() > 2 ? &ConfigurationNumberList
                                                   : &ConfigurationNumberList2},
                 {"comboWrite", &write_, 0,
                  session.configurationCount() > 2 ? &ConfigurationChoiceList
                                                   : &ConfigurationChoiceList2}},
      .checks = {{"checkClock", &checks_[0], kTxtSyncWithPcTime},
                 {"checkReset1", &checks_[1], kTxtEraseTot1},
                 {"checkReset2", &checks_[2], kTxtEraseTot2},
                 {"checkReset3", &checks_[3], kTxtEraseTot3}},
  };
  ui_->setupUi(this);
  const Language language = context_.settings.language();
  session_.requests = {};
  setLabels(*this, rows_.labels, language);
  fillLists(*this, rows_.combos, language);
  setChecks(*this, rows_.checks, language);

  // The shortcuts are the sheet's (see press()): here they would die with
  // this page hidden.
  for (PageButton& b : buttons_) {
    b.button = findChild<PictureButton*>(QString::fromLatin1(pictureRole(b.role).control));
    b.button->setRole(b.role, ShortcutContext::kConfiguration, language, false);
    connect(b.button, &QPushButton::clicked, this, b.run);
  }
  ui_->buttonCompare->hide();

  if (session_.fromFile()) {
    ui_->labelRead->hide();
    ui_->comboRead->hide();
    ui_->labelCaption->setText(QString::fromStdString(session_.filePath()));
  }
  if (!session_.canWrite()) {
    // A file opened without a unit can be viewed, printed and saved only.
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui_->labelWrite, ui_->comboWrite, ui_->buttonTransfert, ui_->checkClock,
             ui_->checkReset1, ui_->checkReset2, ui_->checkReset3}) {
      w->hide();
    }
  }

  connect(ui_->comboRead, &QComboBox::activated, this, &SelectConfigurationPage::readChosen);
  connect(ui_->comboWrite, &QComboBox::activated, this, &SelectConfigurationPage::writeChosen);
  for (QCheckBox* box : {ui_->checkClock, ui_->checkReset1, ui_->checkReset2, ui_->checkReset3}) {
    connect(box, &QCheckBox::clicked, this, &SelectConfigurationPage::checksChosen);
  }
  watchControls();
}

SelectConfigurationPage::~SelectConfigurationPage() = default;

QString SelectConfigurationPage::caption(const BilingualText& text) const {
  return qtText(text, context_.settings.language());
}

void SelectConfigurationPage::activate() {
  session_.selectionPageShown();
  // COMPARE only while the sheet shows the unit's configuration as read; a
  // file's sheet never offers it.
  if (!session_.fromFile()) ui_->buttonCompare->setVisible(session_.compareOffered());
}

void SelectConfigurationPage::showSelection() {
  read_ = session_.readNumber();
  write_ = session_.writeNumber();
  selectLists(*this, rows_.combos);
}

void SelectConfigurationPage::readChosen() {
  readLists(*this, rows_.combos);
  ReadOutcome outcome;
  {
    const std::unique_ptr<ProgressDisplay> progress =
        userInterface().progress(this, context_.settings.language());
    outcome = exchange([this] { return session_.selectRead(read_); });
  }
  if (!outcome.ok) {
    userInterface().message(
        this, UserInterface::Icon::kCritical, caption(kTxtCalibration),
        QString::fromStdString(readText(outcome, context_.settings.language())));
  }
  showSelection();
  activate();
}

void SelectConfigurationPage::writeChosen() {
  readLists(*this, rows_.combos);
  session_.selectWrite(write_);
  showSelection();
}

void SelectConfigurationPage::checksChosen() {
  readChecks(*this, rows_.checks);
  session_.requests.setClock = checks_[0] != 0;
  for (std::size_t t = 0; t < 3; ++t) session_.requests.resetTotalizer[t] = checks_[t + 1] != 0;
}

void SelectConfigurationPage::transfert() {
  const Language language = context_.settings.language();
  checksChosen();
  // A file that does not hold a whole configuration is refused before the
  // operator is asked anything.
  if (const FileResult refused = session_.uploadRefusal(); !refused.ok()) {
    userInterface().message(this, UserInterface::Icon::kCritical, caption(kTxtUploadCaption),
                            QString::fromStdString(refused.message(language)));
    return;
  }
  if (!userInterface().question(this, caption(kTxtUploadCaption), caption(kTxtUploadToUnit))) {
    return;
  }
  UploadOutcome outcome;
  {
    const std::unique_ptr<ProgressDisplay> progress = userInterface().progress(this, language);
    outcome = exchange([&] {
      return session_.upload([&progress](const std::string& step) {
        progress->setInfo(QString::fromStdString(step));
      });
    });
  }
  userInterface().message(
      this, outcome.ok ? UserInterface::Icon::kInformation : UserInterface::Icon::kCritical,
      caption(kTxtUploadCaption), QString::fromStdString(uploadText(outcome, language)));
  if (!outcome.ok) return;
  checks_ = {};
  selectChecks(*this, rows_.checks);
  showSelection();
  emit uploaded();
}

void SelectConfigurationPage::print() {
  session_.PrintMode = true;
  emit printRequested();
}

void SelectConfigurationPage::saveDisk() {
  const Language language = context_.settings.language();
  const std::optional<std::string> path = askSavePath(this, context_, FileKind::kCalibration);
  if (!path) return;
  const FileResult saved = session_.saveCalibration(*path);
  if (!saved.ok()) {
    userInterface().message(this, UserInterface::Icon::kCritical, caption(kTxtCalibrationFile),
                            QString::fromStdString(saved.message(language)));
    return;
  }
  if (sheet_ != nullptr) sheet_->editsKept();
  ui_->labelCaption->setText(QString::fromStdString(*path));
}

bool SelectConfigurationPage::press(PictureRole role) {
  for (const PageButton& b : buttons_) {
    if (b.role != role) continue;
    if (b.button->isHidden() || !b.button->isEnabled()) return false;
    (this->*b.run)();
    return true;
  }
  return false;
}

void SelectConfigurationPage::compare() {
  const std::optional<std::string> path = askOpenPath(this, context_, FileKind::kCalibration);
  if (!path) return;
  const ComparisonOutcome outcome =
      session_.compare(*path, context_.settings.LastPathName, printEnvironment().regional);
  showComparison(this, context_, outcome, kTxtCalibration);
}

}  // namespace flowdesk
