// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/QuitSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>

namespace flowdesk {

namespace {

// The pipe's writing end as the handler sees it; -1 while no object is
// active. A lock-free atomic is safe to read in a handler.
std::atomic<int> g_writeFd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void onQuitSignal(int signo) {
  const int savedErrno = errno;
  const int fd = g_writeFd.load(std::memory_order_relaxed);
  if (fd >= 0) {
    // A full pipe already holds a request; losing this byte loses nothing.
    const char byte = static_cast<char>(signo);
    [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
  }
  errno = savedErrno;
}

}  // namespace

QuitSignals::QuitSignals(std::function<void()> quit, QObject* parent)
    : QObject(parent), quit_(std::move(quit)) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  int none = -1;
  if (!g_writeFd.compare_exchange_strong(none, fds[1])) {
    ::close(fds[0]);
    ::close(fds[1]);
    return;
  }
  readFd_ = fds[0];
  writeFd_ = fds[1];
  notifier_ = std::make_unique<QSocketNotifier>(readFd_, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &QuitSignals::readSignals);

  struct sigaction action {};
  action.sa_handler = onQuitSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  for (std::size_t i = 0; i < kSignals.size(); ++i) {
    if (::sigaction(kSignals[i], nullptr, &previous_[i]) != 0) continue;
    if (previous_[i].sa_handler == SIG_IGN) continue;
    caught_[i] = ::sigaction(kSignals[i], &action, nullptr) == 0;
  }
}

QuitSignals::~QuitSignals() {
  if (!active()) return;
  for (std::size_t i = 0; i < kSignals.size(); ++i) {
    if (caught_[i]) ::sigaction(kSignals[i], &previous_[i], nullptr);
  }
  g_writeFd.store(-1);
  notifier_.reset();
  ::close(readFd_);
  ::close(writeFd_);
}

void QuitSignals::readSignals() {
  // Several signals at once ask for one ending.
  char bytes[16];
  bool any = false;
  while (::read(readFd_, bytes, sizeof bytes) > 0) any = true;
  if (any && quit_) quit_();
}

}  // namespace flowdesk
