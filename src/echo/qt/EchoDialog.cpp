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

// The picture buttons: the session's name for each, its role and control.
struct ButtonRow {
  EchoButton button;
  PictureRole role;
  const char* control;
};
constexpr ButtonRow kButtonRows[] = {
    {EchoButton::kSaveDisk, PictureRole::SaveDisk, "buttonSaveDisk"},
    {EchoButton::kArretDisk, PictureRole::ArretDisk, "buttonArretDisk"},
    {EchoButton::kPgd, PictureRole::Pgd, "buttonPgd"},
    {EchoButton::kPgu, PictureRole::Pgu, "buttonPgu"},
    {EchoButton::kPrint, PictureRole::Print, "buttonPrint"},
    {EchoButton::kHome, PictureRole::Home, "buttonHome"},
    {EchoButton::kEnd, PictureRole::End, "buttonEnd"},
};
static_assert(std::size(kButtonRows) == kEchoButtons);

constexpr const char* kOtherControls[] = {"labelTopLine", "labelSecondLine", "labelScreen",
                                          "comboScreen",  "progressBar",     "pictureEcho"};

QString qt(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

EchoDialog::EchoDialog(AppContext& context, QWidget* parent)
    : Screen(context, parent), session_(context), ui_(std::make_unique<Ui::EchoDialog>()) {
  ui_->setupUi(this);
  std::vector<PictureRow> pictures;
  for (const ButtonRow& r : kButtonRows) {
    // Recording is a flag the tick reads after its exchange, and its
    // prompt needs nothing from the unit: SAVEDISK and ARRETDISK act at once.
    const bool atOnce = r.role == PictureRole::SaveDisk || r.role == PictureRole::ArretDisk;
    pictures.push_back({r.role, r.control, [this, b = r.button] { press(b); }, atOnce});
  }
  bindPictures(pictures, ShortcutContext::Viewer);
  for (PictureRole role : pictureRoles()) showPicture(role, false);
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
      tell(Tone::Failure, kTxtVisuEcho, session_.openFailureText(language()));
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

std::vector<std::string> EchoDialog::boundControls() {
  std::vector<std::string> names;
  for (const ButtonRow& r : kButtonRows) names.emplace_back(r.control);
  for (const char* name : kOtherControls) names.emplace_back(name);
  return names;
}

PictureButton* EchoDialog::button(EchoButton b) const {
  for (const ButtonRow& r : kButtonRows) {
    if (r.button == b) return Screen::picture(r.role);
  }
  return nullptr;
}

EchoPictureView* EchoDialog::picture() const {
  return ui_->pictureEcho;
}

void EchoDialog::press(EchoButton b) {
  switch (b) {
    case EchoButton::kSaveDisk:
      return saveDisk();
    case EchoButton::kArretDisk:
      return arretDisk();
    case EchoButton::kPrint:
      return print();
    default:
      return navigate(b);
  }
}

void EchoDialog::tick() {
  const EchoTick outcome = session_.tick();
  runTimer(session_.timerMs());
  if (outcome == EchoTick::kNothing) return;
  drawScreen();
  if (outcome == EchoTick::kClosed) {
    if (session_.stopFailed()) {
      tell(Tone::Warning, kTxtEchoDisplayTitle, stopFailedText(language()));
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
  for (const ButtonRow& r : kButtonRows) showPicture(r.role, s.shown(r.button));
  if (s.progressWindow && !progressWindow_) {
    progressWindow_ = userInterface().progress(this, session_.language());
  } else if (!s.progressWindow) {
    progressWindow_.reset();
  }
}

void EchoDialog::showFileFailure() {
  const Language language = session_.language();
  userInterface().message(this, UserInterface::Icon::Critical,
                          QString::fromUtf8(kTxtVisuEcho.text(language)),
                          qt(session_.fileResult().message(language)));
}

void EchoDialog::saveDisk() {
  if (!session_.screen().shown(EchoButton::kSaveDisk) || !session_.canStartRecording()) return;
  const std::optional<std::string> path = askSavePath(this, context_, FileKind::Echo);
  if (!path) return;
  session_.startRecording(*path);
  drawScreen();
}

void EchoDialog::arretDisk() {
  if (session_.stopRecording()) drawScreen();
}

void EchoDialog::navigate(EchoButton b) {
  if (session_.navigate(b)) runTimer(session_.timerMs());
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
