// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include "base/BilingualText.h"

namespace flowdesk {

// The virtual unit run as a child of the GUI (flowdesk --virtual-unit): it
// is started, its first line of output (the pseudo-terminal to open) is
// read, and it is ended with the program. It also ends if the GUI dies, as
// the kernel sends it SIGTERM when its parent goes. If it ends by itself it
// is started again: its terminal went with it, and the system may give that
// terminal's name to another program.
class VirtualUnitProcess : public QObject {
  Q_OBJECT
 public:
  static constexpr const char* kProgramName = "flowdesk-unit";
  // A unit that keeps ending is not started for ever.
  static constexpr int kMaxRestarts = 20;

  explicit VirtualUnitProcess(QObject* parent = nullptr);
  ~VirtualUnitProcess() override;

  // flowdesk-unit next to the running program, else the one in PATH; empty
  // when there is none.
  static QString findProgram(const QString& programDir);

  // Starts the program and waits up to `timeoutMs` for its first line.
  // False with a readable reason when it cannot start, ends early or says
  // nothing in time (the child is then ended).
  bool start(const QString& program, const QStringList& arguments, int timeoutMs = 5000);
  // The language of errorText(): 0 French, 1 English.
  void setLanguage(Language language) { language_ = language; }
  QString devicePath() const { return devicePath_; }
  QString errorText() const { return error_; }
  bool running() const { return process_.state() != QProcess::NotRunning; }
  qint64 processId() const { return process_.processId(); }

  // Asks the child to end (SIGTERM, which it handles by removing its link),
  // then kills it if it is still there after `graceMs`.
  void stop(int graceMs = 2000);

  int restarts() const { return restarts_; }

 signals:
  // The unit ended by itself and was started again on `devicePath`, or
  // could not be (`devicePath` empty, errorText() says why).
  void restarted(const QString& devicePath);

 private:
  void discardOutput();
  void ended();
  void restart();

  QProcess process_;
  QString program_;
  QStringList arguments_;
  QString devicePath_;
  QString error_;
  Language language_ = kFrench;
  int restarts_ = 0;
  bool stopping_ = false;
};

}  // namespace flowdesk
