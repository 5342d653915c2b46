#include "link/qt/Screen.h"

#include <QApplication>
#include <QEvent>
#include <QMetaObject>
#include <QPushButton>

#include "base/qt/UserInterface.h"
#include "base/qt/WindowPrinter.h"
#include "link/AppContext.h"

namespace flowdesk {

Screen::Screen(AppContext& context, QWidget* parent) : QDialog(parent), context_(context) {
  connect(&timer_, &QTimer::timeout, this, &Screen::timedOut);
}

Screen::~Screen() {
  if (busyDepth_ > 0) qApp->removeEventFilter(this);
}

bool Screen::open(const ScreenSource& source) {
  source_ = source;
  return load();
}

int Screen::language() const {
  return context_.settings.Language;
}

QString Screen::text(const BilingualText& t) const {
  return QString::fromUtf8(t.text(language()));
}

// --- picture buttons -------------------------------------------------------

void Screen::bindPictures(std::span<const PictureRow> rows, ShortcutContext context) {
  for (const PictureRow& row : rows) {
    auto* button = findChild<PictureButton*>(QString::fromLatin1(row.control));
    if (button == nullptr) {
      qWarning("%s: no picture button %s", metaObject()->className(), row.control);
      continue;
    }
    button->setShortcut(pictureShortcut(row.role, context));
    // Enter in an edit must not press a picture button: it would act before
    // the value typed is read back.
    button->setAutoDefault(false);
    button->setDefault(false);
    if (row.press) connect(button, &QPushButton::clicked, this, row.press);
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
  talk([this] { tick(); });
}

Screen::Busy::Busy(Screen& screen) : screen_(screen) {
  if (screen_.busyDepth_++ == 0) qApp->installEventFilter(&screen_);
}

Screen::Busy::~Busy() {
  if (--screen_.busyDepth_ != 0) return;
  qApp->removeEventFilter(&screen_);
  if (screen_.closeWaiting_) {
    // From the event loop: the code that talked may still use the screen.
    QMetaObject::invokeMethod(
        &screen_,
        [s = &screen_] {
          if (const std::optional<int> result = s->closeWaiting_) s->done(*result);
        },
        Qt::QueuedConnection);
  }
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

bool Screen::eventFilter(QObject* watched, QEvent* event) {
  if (busy()) {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::Shortcut:
      case QEvent::ShortcutOverride:
      case QEvent::Wheel:
        if (isInputForMe(watched)) return true;
        break;
      default:
        break;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void Screen::done(int result) {
  if (busy()) {
    closeWaiting_ = result;
    return;
  }
  if (!readyToClose()) return;
  closeWaiting_.reset();
  timer_.stop();
  QDialog::done(result);
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
  const UserInterface::Icon icon = tone == Tone::Failure   ? UserInterface::Icon::Critical
                                   : tone == Tone::Warning ? UserInterface::Icon::Warning
                                                           : UserInterface::Icon::Information;
  userInterface().message(this, icon, text(caption), QString::fromStdString(message));
}

bool Screen::ask(const BilingualText& caption, const BilingualText& question) {
  return userInterface().question(this, text(caption), text(question));
}

}  // namespace flowdesk
