// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the screen tests read off a running dialog: a child, a label's text, which
// picture buttons are shown, and the event loop run until something happened.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <cstddef>
#include <functional>
#include <string>

namespace flowdesk::testing {

// The window's child of that object name and type; a test failure when there
// is none.
template <typename T>
T* child(QWidget& window, const char* name) {
  T* found = window.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(found, nullptr) << name;
  return found;
}
template <typename T>
T* child(QWidget* window, const char* name) {
  return child<T>(*window, name);
}

// Types `text` into the window's edit, then takes the focus away as a
// person's Tab would (the screens store a value when its edit is left);
// what the edit shows afterwards.
inline QString type(QWidget* window, const char* edit, const QString& text) {
  auto* e = child<QLineEdit>(window, edit);
  if (e == nullptr) return {};
  e->setText(text);
  QFocusEvent out(QEvent::FocusOut);
  QApplication::sendEvent(e, &out);
  return e->text();
}

inline QString labelText(QWidget& window, const char* name) {
  auto* label = window.findChild<QLabel*>(QString::fromLatin1(name));
  EXPECT_NE(label, nullptr) << name;
  return label != nullptr ? label->text() : QString();
}

// Which of the dialog's `count` buttons are shown, as "10010001" in the
// order of its button enum.
template <typename Button, typename Dialog>
std::string shownButtons(const Dialog& d, std::size_t count) {
  std::string s;
  for (std::size_t i = 0; i < count; ++i) {
    s += d.button(static_cast<Button>(i))->isHidden() ? '0' : '1';
  }
  return s;
}

// Runs the event loop until `done` or `ms` have passed; false on the timeout.
// The deadline only ends a test that is failing anyway, so it is never
// shorter than 20 s: a busy machine may take far longer than `ms`, the time
// the wait is expected to take, without anything being wrong.
inline bool waitFor(const std::function<bool()>& done, int ms) {
  constexpr qint64 kShortestDeadlineMs = 20000;
  const qint64 deadline = std::max<qint64>(ms, kShortestDeadlineMs);
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > deadline) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

}  // namespace flowdesk::testing
