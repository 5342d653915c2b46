// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/VirtualUnitProcess.h"

#include <signal.h>
#include <sys/prctl.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "base/BilingualText.h"

namespace flowdesk {

namespace {

constexpr BilingualText kTxtNotFound{"%1 est introuvable, ni à côté de flowdesk ni dans le PATH",
                                     "%1 was found neither next to flowdesk nor in PATH"};
constexpr BilingualText kTxtNotStarted{"%1 n'a pas pu démarrer : %2",
                                       "%1 could not be started: %2"};
constexpr BilingualText kTxtEndedEarly{"%1 s'est arrêté avant de nommer son terminal",
                                       "%1 ended before naming its terminal"};
constexpr BilingualText kTxtNoTerminalInTime{"%1 n'a pas nommé son terminal à temps",
                                             "%1 did not name its terminal in time"};
constexpr BilingualText kTxtNoTerminal{"%1 n'a nommé aucun terminal", "%1 named no terminal"};
constexpr BilingualText kTxtTooManyRestarts{"%1 s'est arrêté %2 fois : il n'est plus redémarré",
                                            "%1 ended %2 times: it is not started again"};

}  // namespace

VirtualUnitProcess::VirtualUnitProcess(QObject* parent) : QObject(parent) {
  // The unit's diagnostics go where ours go; its standard output is read.
  process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
  connect(&process_, &QProcess::finished, this, &VirtualUnitProcess::ended);
}

VirtualUnitProcess::~VirtualUnitProcess() {
  stop();
}

QString VirtualUnitProcess::findProgram(const QString& programDir) {
  if (!programDir.isEmpty()) {
    const QFileInfo beside(QDir(programDir).filePath(QString::fromLatin1(kProgramName)));
    if (beside.isFile() && beside.isExecutable()) return beside.absoluteFilePath();
  }
  return QStandardPaths::findExecutable(QString::fromLatin1(kProgramName));
}

bool VirtualUnitProcess::start(const QString& program, const QStringList& arguments,
                               int timeoutMs) {
  const auto text = [this](const BilingualText& t) { return QString::fromUtf8(t.text(language_)); };
  devicePath_.clear();
  error_.clear();
  program_ = program;
  arguments_ = arguments;
  // The first line is read below, not thrown away.
  disconnect(&process_, &QProcess::readyReadStandardOutput, this,
             &VirtualUnitProcess::discardOutput);
  if (program.isEmpty()) {
    error_ = text(kTxtNotFound).arg(QString::fromLatin1(kProgramName));
    return false;
  }
  stopping_ = true;  // a start that fails is no end to restart from
  process_.start(program, arguments, QIODevice::ReadOnly);
  if (!process_.waitForStarted(timeoutMs)) {
    error_ = text(kTxtNotStarted).arg(program, process_.errorString());
    return false;
  }
  const QDeadlineTimer deadline(timeoutMs);
  while (!process_.canReadLine()) {
    if (process_.state() == QProcess::NotRunning || deadline.hasExpired()) break;
    process_.waitForReadyRead(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())));
  }
  if (!process_.canReadLine()) {
    error_ = text(process_.state() == QProcess::NotRunning ? kTxtEndedEarly : kTxtNoTerminalInTime)
                 .arg(program);
    stop();
    return false;
  }
  devicePath_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
  if (devicePath_.isEmpty()) {
    error_ = text(kTxtNoTerminal).arg(program);
    stop();
    return false;
  }
  // Whatever it prints later is not ours to keep; reading it stops the pipe
  // from filling up and stalling the unit.
  connect(&process_, &QProcess::readyReadStandardOutput, this, &VirtualUnitProcess::discardOutput);
  discardOutput();
  stopping_ = false;
  return true;
}

void VirtualUnitProcess::ended() {
  if (stopping_) return;
  // Started again once the process is wholly gone, outside its own signal.
  QMetaObject::invokeMethod(this, &VirtualUnitProcess::restart, Qt::QueuedConnection);
}

void VirtualUnitProcess::restart() {
  if (stopping_ || running()) return;
  if (restarts_ >= kMaxRestarts) {
    devicePath_.clear();
    error_ =
        QString::fromUtf8(kTxtTooManyRestarts.text(language_)).arg(program_).arg(restarts_ + 1);
    stopping_ = true;
  } else {
    ++restarts_;
    start(program_, arguments_);
  }
  emit restarted(devicePath_);
}

void VirtualUnitProcess::discardOutput() {
  process_.readAllStandardOutput();
}

void VirtualUnitProcess::stop(int graceMs) {
  stopping_ = true;
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(graceMs)) {
    process_.kill();
    process_.waitForFinished(graceMs);
  }
}

}  // namespace flowdesk
