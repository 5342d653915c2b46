#pragma once
// What the screen tests read off a running dialog: a label's text, which
// picture buttons are shown, and the event loop run until something happened.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QString>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <string>

namespace flowdesk::testing {

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
inline bool waitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > ms) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

}  // namespace flowdesk::testing
