// SPDX-License-Identifier: GPL-3.0-or-later
// Ending flowdesk with a signal: the handler only passes the signal on and
// the event loop ends the program (the real program ending as after Exit is
// in QuitSignalsEndToEndTest.cpp).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <csignal>
#include <functional>

#include "app/qt/QuitSignals.h"

namespace flowdesk {
namespace {

bool handlerIs(int signo, void (*handler)(int)) {
  struct sigaction now {};
  ::sigaction(signo, nullptr, &now);
  return now.sa_handler == handler;
}

// Runs the event loop until `done` or the deadline.
bool processEventsUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
  const QDeadlineTimer deadline(timeoutMs);
  while (!done() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return done();
}

TEST(QuitSignals, EachSignalQuitsOnceFromTheEventLoop) {
  for (int signo : {SIGTERM, SIGINT, SIGHUP}) {
    int quits = 0;
    {
      QuitSignals quitSignals([&] { ++quits; });
      ASSERT_TRUE(quitSignals.active());
      ASSERT_EQ(::raise(signo), 0);
      EXPECT_EQ(quits, 0) << signo << ": nothing happens inside the handler";
      EXPECT_TRUE(processEventsUntil([&] { return quits > 0; })) << signo;
      QCoreApplication::processEvents();
      EXPECT_EQ(quits, 1) << signo;
      // A second one of the same kind would end the program at once.
      EXPECT_TRUE(handlerIs(signo, SIG_DFL)) << signo;
    }
    EXPECT_TRUE(handlerIs(signo, SIG_DFL)) << signo << ": the previous action is back";
  }
}

TEST(QuitSignals, IgnoredSignalsStayIgnoredAndOneObjectAtATime) {
  std::signal(SIGHUP, SIG_IGN);
  {
    int quits = 0;
    QuitSignals quitSignals([&] { ++quits; });
    EXPECT_TRUE(handlerIs(SIGHUP, SIG_IGN));
    EXPECT_FALSE(handlerIs(SIGTERM, SIG_DFL));
    ::raise(SIGHUP);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(quits, 0);

    QuitSignals second([] {});
    EXPECT_FALSE(second.active());
  }
  EXPECT_TRUE(handlerIs(SIGHUP, SIG_IGN));
  EXPECT_TRUE(handlerIs(SIGTERM, SIG_DFL));
  std::signal(SIGHUP, SIG_DFL);
}

}  // namespace
}  // namespace flowdesk
