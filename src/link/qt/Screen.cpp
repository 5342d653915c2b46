// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/qt/Screen.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <memory>

#include "base/Texts.h"
#include "base/qt/UserInterface.h"
#include "base/qt/WindowPrinter.h"
#include "link/AppContext.h"

namespace flowdesk {

Screen::Screen(AppContext& context, QWidget* parent) : QDialog(parent), context_(context) {
  connect(&timer_, &QTimer::timeout, this, &Screen::timedOut);
}

Screen::~Screen() {
  if (watching_) qApp->removeEventFilter(this);
}

bool Screen::open(const ScreenSource& source) {
  source_ = source;
  return load();
}

Language Screen::language() const {
  return context_.settings.language();
}

QString Screen::text(const BilingualText& t) const {
  return QString::fromUtf8(t.text(language()));
}

// --- picture buttons -------------------------------------------------------

void Screen::bindPictures(std::span<const PictureRow> rows, ShortcutContext context) {
  for (const PictureRow& row : rows) {
    const PictureRoleRow& role = pictureRole(row.role);
    auto* button = findChild<PictureButton*>(QString::fromLatin1(role.control));
    if (button == nullptr) {
      qWarning("%s: no picture button %s", metaObject()->className(), role.control);
      continue;
    }
    button->setRole(row.role, context, language());
    // Enter in an edit must not press a picture button: it would act before
    // the value typed is read back.
    button->setAutoDefault(false);
    button->setDefault(false);
    if (row.press) {
      const bool atOnce = row.needsNoExchange || role.actsDuringExchange;
      connect(button, &QPushButton::clicked, this,
              [this, atOnce, press = row.press] { pressed(atOnce, press); });
    }
    pictures_.push_back({row.role, button});
  }
}

PictureButton* Screen::picture(PictureRole role) const {
  for (const BoundPicture& p : pictures_) {
    if (p.role == role) return p.button;
  }
  return nullptr;
}

void Screen::showPicture(PictureRole role, bool shown) {
  if (PictureButton* button = picture(role)) button->setVisible(shown);
}

std::vector<PictureRole> Screen::pictureRoles() const {
  std::vector<PictureRole> roles;
  for (const BoundPicture& p : pictures_) roles.push_back(p.role);
  return roles;
}

// --- the timer and the busy rule -----------------------------------------

void Screen::runTimer(int ms) {
  if (ms < 0) {
    timer_.stop();
  } else if (!timer_.isActive() || timer_.interval() != ms) {
    timer_.start(ms);
  }
}

void Screen::timedOut() {
  // A timeout that fires while the previous tick still waits for the unit
  // (the wait lets events through) is dropped, not nested.
  if (busy()) return;
  // What the operator did during the last exchange comes before the next.
  const int closes = closes_;
  if (holding()) runHeld();
  if (busy() || closes != closes_) return;
  talk([this] { tick(); });
}

Screen::Busy::Busy(Screen& screen) : screen_(screen) {
  if (screen_.busyDepth_++ != 0) return;
  screen_.portHold_ = screen_.context_.master.holdPort();
  screen_.watchInput(true);
}

Screen::Busy::~Busy() {
  if (--screen_.busyDepth_ != 0) return;
  screen_.portHold_.release();
  if (screen_.held_.empty()) {
    if (!screen_.runningHeld_) screen_.watchInput(false);
  } else {
    // From the event loop: the code that talked may still use the screen.
    screen_.runHeldSoon();
  }
}

void Screen::watchInput(bool on) {
  if (on == watching_) return;
  watching_ = on;
  if (on) {
    qApp->installEventFilter(this);
  } else {
    qApp->removeEventFilter(this);
  }
}

void Screen::pressed(bool atOnce, const std::function<void()>& press) {
  if (atOnce || !holding()) {
    press();
    return;
  }
  hold(press);
}

void Screen::hold(std::function<void()> action) {
  held_.push_back(std::move(action));
  watchInput(true);
  if (!busy()) runHeldSoon();
}

void Screen::holdEvent(QObject* receiver, const QEvent* event) {
  std::shared_ptr<QEvent> copy(event->clone());
  hold([this, target = QPointer<QObject>(receiver), copy] {
    if (target.isNull()) return;
    replaying_ = copy.get();
    QCoreApplication::sendEvent(target, copy.get());
    replaying_ = nullptr;
  });
}

void Screen::runHeldSoon() {
  if (runScheduled_) return;
  runScheduled_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        runScheduled_ = false;
        runHeld();
      },
      Qt::QueuedConnection);
}

void Screen::runHeld() {
  // Never inside an exchange, and never inside an action that is itself
  // being run from here (its prompt lets events through).
  if (busy() || runningHeld_) return;
  const QPointer<Screen> self(this);
  runningHeld_ = true;
  while (!held_.empty() && !busy()) {
    const std::function<void()> action = std::move(held_.front());
    held_.pop_front();
    action();
    if (self.isNull()) return;
  }
  runningHeld_ = false;
  if (!busy() && held_.empty()) watchInput(false);
}

bool Screen::isInputForMe(QObject* receiver) const {
  for (QObject* o = receiver; o != nullptr; o = o->parent()) {
    if (o == this) return true;
    // Windows of their own (the progress window, message boxes) are not
    // this screen's input.
    if (auto* w = qobject_cast<QWidget*>(o); w != nullptr && w->isWindow()) return false;
  }
  return false;
}

bool Screen::isPicture(QObject* receiver) const {
  for (const BoundPicture& p : pictures_) {
    if (p.button == receiver) return true;
  }
  return false;
}

bool Screen::eventFilter(QObject* watched, QEvent* event) {
  if (holding() && event != replaying_) {
    const bool picture = isPicture(watched);
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseButtonRelease:
        if (picture && busy()) {
          // A click on a picture button is its press (pressed() decides
          // whether it acts now or waits), without the focus moving: an
          // edit left now would be read back in the middle of the exchange.
          auto* button = static_cast<PictureButton*>(watched);
          if (event->type() == QEvent::MouseButtonRelease && button->isEnabled() &&
              button->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
            button->click();
          }
          return true;
        }
        if (picture) break;
        [[fallthrough]];
      case QEvent::Shortcut:
        // A picture's shortcut clicks it (PictureButton), as above.
        if (picture) break;
        [[fallthrough]];
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::Wheel:
        if (isInputForMe(watched)) {
          holdEvent(watched, event);
          return true;
        }
        break;
      default:
        break;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void Screen::done(int result) {
  if (busy()) {
    hold([this, result, closes = closes_] {
      if (closes == closes_) done(result);
    });
    return;
  }
  if (result == QDialog::Rejected && edited_ && editsCaption_ && !ending_ &&
      !ask(*editsCaption_, kTxtDropEdits)) {
    return;
  }
  if (!readyToClose()) return;
  ++closes_;
  // Input kept after the close was meant for a screen that has gone.
  held_.clear();
  if (!runningHeld_) watchInput(false);
  timer_.stop();
  QDialog::done(result);
}

void Screen::watchEdits(QWidget* within, const BilingualText& caption) {
  editsCaption_ = caption;
  const auto mark = [this] { edited_ = true; };
  for (QLineEdit* edit : within->findChildren<QLineEdit*>()) {
    connect(edit, &QLineEdit::textEdited, this, mark);
  }
  for (QComboBox* combo : within->findChildren<QComboBox*>()) {
    // A combo box's own line edit is watched above.
    connect(combo, &QComboBox::activated, this, mark);
  }
  for (QCheckBox* box : within->findChildren<QCheckBox*>()) {
    connect(box, &QCheckBox::clicked, this, mark);
  }
}

// --- prompts, printing, messages ------------------------------------------

QString Screen::printScreen(const char* documentName, bool withDate,
                            std::initializer_list<QWidget*> alsoHidden) {
  std::vector<QWidget*> hidden;
  for (const BoundPicture& p : pictures_) {
    if (!p.button->isHidden()) hidden.push_back(p.button);
  }
  for (QWidget* w : alsoHidden) {
    if (w != nullptr && !w->isHidden()) hidden.push_back(w);
  }
  for (QWidget* w : hidden) w->hide();
  const PrintOutcome outcome =
      printWindow(this, QString::fromLatin1(documentName), withDate ? 1 : 0, 1, 0);
  for (QWidget* w : hidden) w->show();
  return printOutcomeNote(outcome, language());
}

void Screen::printWithNote(const char* documentName, bool withDate, QLabel* line,
                           std::initializer_list<QWidget*> alsoHidden) {
  // The line may have been drawn again since; then the note is gone already.
  if (noteLine_ && noteLine_->text() == note_) noteLine_->setText(underNote_);
  noteLine_.clear();
  const QString note = printScreen(documentName, withDate, alsoHidden);
  if (note.isEmpty() || line == nullptr) return;
  noteLine_ = line;
  note_ = note;
  underNote_ = line->text();
  line->setText(note);
}

void Screen::tell(Tone tone, const BilingualText& caption, const std::string& message) {
  const UserInterface::Icon icon = tone == Tone::kFailure   ? UserInterface::Icon::kCritical
                                   : tone == Tone::kWarning ? UserInterface::Icon::kWarning
                                                            : UserInterface::Icon::kInformation;
  userInterface().message(this, icon, text(caption), QString::fromStdString(message));
}

bool Screen::ask(const BilingualText& caption, const BilingualText& question) {
  return userInterface().question(this, text(caption), text(question));
}

}  // namespace flowdesk
