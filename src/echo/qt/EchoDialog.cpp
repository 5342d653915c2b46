// SPDX-License-Identifier: GPL-3.0-or-later
#include "echo/qt/EchoDialog.h"

#include <QKeyEvent>

#include "base/Texts.h"
#include "base/qt/PictureButton.h"
#include "base/qt/UserInterface.h"
#include "base/qt/WindowPrinter.h"
#include "echo/qt/EchoPictureView.h"
#include "files/qt/KindPrompts.h"
#include "link/AppContext.h"
#include "ui_EchoDialog.h"

namespace flowdesk {

namespace {

constexpr PictureRole kRoles[] = {
    PictureRole::kSaveDisk, PictureRole::kArretDisk, PictureRole::kPgd, PictureRole::kPgu,
    PictureRole::kPrint,    PictureRole::kHome,      PictureRole::kEnd};
static_assert(std::size(kRoles) == kEchoButtons);
static_assert(static_cast<std::size_t>(EchoButton::kEnd) == 6);

QString qt(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

EchoDialog::EchoDialog(AppContext& context, QWidget* parent)
    : RecordingScreen(context, parent, {kRoles, FileKind::kEcho, kTxtVisuEcho}, context),
      ui_(std::make_unique<Ui::EchoDialog>()) {
  ui_->setupUi(this);
  bindButtons();
  connect(ui_->comboScreen, &QComboBox::activated, this,
          [this](int index) { session_.choose(index); });
  ui_->labelScreen->setText(text(kTxtEchoScreen));
  ui_->progressBar->setRange(0, EchoSession::kParts);
}

bool EchoDialog::load() {
  if (source().fromFile()) {
    ui_->progressBar->hide();
    ui_->labelScreen->hide();
    ui_->comboScreen->hide();
    if (!session_.openPlayback(source().filePath).ok()) {
      showFileFailure();
      return false;
    }
  } else {
    progressWindow_ = userInterface().progress(this, language());
    if (talk([this] { return session_.openLive(); }) != 0) {
      progressWindow_.reset();
      tell(Tone::kFailure, kTxtVisuEcho, session_.openFailureText(language()));
      return false;
    }
    for (const EchoScreenEntry& e : session_.screens()) ui_->comboScreen->addItem(qt(e.text));
    ui_->comboScreen->setCurrentIndex(session_.chosen());
  }
  drawScreen();
  runTimer(session_.timerMs());
  return true;
}

EchoDialog::~EchoDialog() = default;

EchoPictureView* EchoDialog::picture() const {
  return ui_->pictureEcho;
}

void EchoDialog::tick() {
  const EchoTick outcome = session_.tick();
  runTimer(session_.timerMs());
  if (outcome == EchoTick::kNothing) return;
  drawScreen();
  if (outcome == EchoTick::kClosed) {
    if (session_.stopFailed()) {
      tell(Tone::kWarning, kTxtEchoDisplayTitle, stopFailedText(language()));
    }
    done(QDialog::Rejected);
    return;
  }
  const bool pictureChanged = outcome == EchoTick::kImage || outcome == EchoTick::kRecordShown ||
                              (outcome == EchoTick::kRecordFailed && session_.isLive());
  if (pictureChanged) ui_->pictureEcho->setImage(session_.image());
  if (outcome == EchoTick::kRecordFailed) showFileFailure();
}

void EchoDialog::drawScreen() {
  const EchoScreen& s = session_.screen();
  setWindowTitle(qt(s.title));
  ui_->labelTopLine->setText(qt(s.topLine));
  ui_->labelSecondLine->setText(qt(s.secondLine));
  ui_->progressBar->setValue(s.progress);
  showButtons();
  if (s.progressWindow && !progressWindow_) {
    progressWindow_ = userInterface().progress(this, session_.language());
  } else if (!s.progressWindow) {
    progressWindow_.reset();
  }
}

void EchoDialog::print() {
  if (!session_.screen().shown(EchoButton::kPrint)) return;
  printWithNote(kDocEcho, true, ui_->labelSecondLine, {ui_->progressBar});
}

bool EchoDialog::readyToClose() {
  if (!session_.requestClose()) {
    // The next tick stops the echo screen and ends the dialog.
    runTimer(session_.timerMs());
    return false;
  }
  progressWindow_.reset();
  return true;
}

void EchoDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  Screen::keyPressEvent(event);
}

}  // namespace flowdesk
