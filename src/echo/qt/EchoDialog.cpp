#include "echo/qt/EchoDialog.h"

#include <QKeyEvent>

#include "base/Texts.h"
#include "base/qt/FilePrompts.h"
#include "base/qt/PictureButton.h"
#include "base/qt/UserInterface.h"
#include "base/qt/WindowPrinter.h"
#include "echo/qt/EchoPictureView.h"
#include "link/AppContext.h"
#include "ui_EchoDialog.h"

namespace flowdesk {

namespace {

// The picture buttons in EchoButton order, with their roles.
struct ButtonRow {
  const char* control;
  PictureRole role;
};
constexpr ButtonRow kButtonRows[kEchoButtons] = {
    {"buttonSaveDisk", PictureRole::SaveDisk}, {"buttonArretDisk", PictureRole::ArretDisk},
    {"buttonPgd", PictureRole::Pgd},           {"buttonPgu", PictureRole::Pgu},
    {"buttonPrint", PictureRole::Print},       {"buttonHome", PictureRole::Home},
    {"buttonEnd", PictureRole::End},
};

constexpr const char* kOtherControls[] = {"labelTopLine", "labelSecondLine", "labelScreen",
                                          "comboScreen",  "progressBar",     "pictureEcho"};

QString qt(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

EchoDialog::EchoDialog(AppContext& context, QWidget* parent)
    : QDialog(parent),
      context_(context),
      session_(context),
      ui_(std::make_unique<Ui::EchoDialog>()) {
  ui_->setupUi(this);
  for (std::size_t i = 0; i < kEchoButtons; ++i) {
    buttons_[i] = findChild<PictureButton*>(QString::fromLatin1(kButtonRows[i].control));
    buttons_[i]->setShortcut(pictureShortcut(kButtonRows[i].role, ShortcutContext::Viewer));
    buttons_[i]->hide();
  }
  connect(button(EchoButton::kSaveDisk), &QPushButton::clicked, this, &EchoDialog::saveDisk);
  connect(button(EchoButton::kArretDisk), &QPushButton::clicked, this, &EchoDialog::arretDisk);
  connect(button(EchoButton::kPrint), &QPushButton::clicked, this, &EchoDialog::print);
  for (EchoButton b : {EchoButton::kPgd, EchoButton::kPgu, EchoButton::kHome, EchoButton::kEnd}) {
    connect(button(b), &QPushButton::clicked, this, [this, b] { navigate(b); });
  }
  connect(ui_->comboScreen, &QComboBox::activated, this,
          [this](int index) { session_.choose(index); });
  connect(&timer_, &QTimer::timeout, this, &EchoDialog::tick);

  const int language = context_.settings.Language;
  ui_->labelScreen->setText(QString::fromUtf8(kTxtEchoScreen.text(language)));
  ui_->progressBar->setRange(0, EchoSession::kParts);
  if (context_.OpenedFromFile) {
    ui_->progressBar->hide();
    ui_->labelScreen->hide();
    ui_->comboScreen->hide();
    if (!session_.openPlayback(context_.CurrentFilePath).ok()) {
      showFileFailure();
      return;
    }
  } else {
    progressWindow_ = userInterface().progress(this, language);
    if (session_.openLive() != 0) {
      progressWindow_.reset();
      userInterface().message(this, UserInterface::Icon::Critical,
                              QString::fromUtf8(kTxtVisuEcho.text(language)),
                              QString::fromUtf8(kTxtCommunicationFailure.text(language)));
      return;
    }
    for (const EchoScreenEntry& e : session_.screens()) ui_->comboScreen->addItem(qt(e.text));
    ui_->comboScreen->setCurrentIndex(session_.chosen());
  }
  drawScreen();
  runTimer();
}

EchoDialog::~EchoDialog() = default;

std::vector<std::string> EchoDialog::boundControls() {
  std::vector<std::string> names;
  for (const ButtonRow& r : kButtonRows) names.emplace_back(r.control);
  for (const char* name : kOtherControls) names.emplace_back(name);
  return names;
}

PictureButton* EchoDialog::button(EchoButton b) const {
  return buttons_[static_cast<std::size_t>(b)];
}

EchoPictureView* EchoDialog::picture() const {
  return ui_->pictureEcho;
}

void EchoDialog::runTimer() {
  const int ms = session_.timerMs();
  if (ms == 0) {
    timer_.stop();
  } else if (!timer_.isActive() || timer_.interval() != ms) {
    timer_.start(ms);
  }
}

void EchoDialog::tick() {
  const EchoTick outcome = session_.tick();
  runTimer();
  if (outcome == EchoTick::kNothing) return;
  drawScreen();
  if (outcome == EchoTick::kClosed) {
    QDialog::done(QDialog::Rejected);
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
  for (std::size_t i = 0; i < kEchoButtons; ++i) buttons_[i]->setVisible(s.visible[i]);
  if (s.progressWindow && !progressWindow_) {
    progressWindow_ = userInterface().progress(this, session_.language());
  } else if (!s.progressWindow) {
    progressWindow_.reset();
  }
}

void EchoDialog::showFileFailure() {
  const int language = session_.language();
  userInterface().message(this, UserInterface::Icon::Critical,
                          QString::fromUtf8(kTxtVisuEcho.text(language)),
                          qt(session_.fileResult().message(language)));
}

void EchoDialog::saveDisk() {
  if (!session_.screen().shown(EchoButton::kSaveDisk) || !session_.canStartRecording()) return;
  if (!saveFilePrompt(this, {context_.settings.LastPathName, context_.CurrentFilePath},
                      kTxtEchoFile, "ech", session_.language())) {
    return;
  }
  session_.startRecording(context_.CurrentFilePath);
  drawScreen();
}

void EchoDialog::arretDisk() {
  if (session_.stopRecording()) drawScreen();
}

void EchoDialog::navigate(EchoButton b) {
  if (session_.navigate(b)) runTimer();
}

void EchoDialog::print() {
  if (!session_.screen().shown(EchoButton::kPrint)) return;
  std::array<bool, kEchoButtons> wasShown{};
  for (std::size_t i = 0; i < kEchoButtons; ++i) {
    wasShown[i] = !buttons_[i]->isHidden();
    buttons_[i]->hide();
  }
  const bool barShown = !ui_->progressBar->isHidden();
  ui_->progressBar->hide();
  const PrintOutcome outcome = printWindow(this, QString::fromLatin1(kDocEcho), 1, 1, 0);
  for (std::size_t i = 0; i < kEchoButtons; ++i) buttons_[i]->setVisible(wasShown[i]);
  ui_->progressBar->setVisible(barShown);
  const QString note = printOutcomeNote(outcome, session_.language());
  if (!note.isEmpty()) ui_->labelSecondLine->setText(note);
}

void EchoDialog::done(int result) {
  if (!session_.requestClose()) {
    // The next tick stops the echo screen and ends the dialog; a tick that
    // is still waiting for the unit keeps it until then.
    runTimer();
    return;
  }
  timer_.stop();
  progressWindow_.reset();
  QDialog::done(result);
}

void EchoDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace flowdesk
