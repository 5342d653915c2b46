// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <signal.h>

#include <QObject>
#include <array>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace flowdesk {

// SIGTERM, SIGINT and SIGHUP (kill, a logout, Ctrl+C, a closed terminal)
// end the program the way Exit does instead of killing it on the spot, so
// the settings are saved and the virtual unit ended on the way out. The
// handler does the one thing a handler may do, writing the signal's number
// into a pipe; `quit` runs later from the event loop, where closing windows
// is safe. A second signal of the same kind takes its default action at
// once, for a program that no longer answers; a signal ignored when the
// program started (nohup) stays ignored. One object at a time, made after
// the QCoreApplication.
class QuitSignals : public QObject {
  Q_OBJECT
 public:
  explicit QuitSignals(std::function<void()> quit, QObject* parent = nullptr);
  ~QuitSignals() override;  // the signals' previous actions again
  QuitSignals(const QuitSignals&) = delete;
  QuitSignals& operator=(const QuitSignals&) = delete;

  // False when nothing was set up (no pipe, or another object is active):
  // the signals keep their actions.
  bool active() const { return notifier_ != nullptr; }

 private:
  void readSignals();

  static constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

  std::function<void()> quit_;
  int readFd_ = -1;
  int writeFd_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::array<struct sigaction, kSignals.size()> previous_{};
  std::array<bool, kSignals.size()> caught_{};
};

}  // namespace flowdesk
