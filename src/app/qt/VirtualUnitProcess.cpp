#include "app/qt/VirtualUnitProcess.h"

#include <signal.h>
#include <sys/prctl.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace flowdesk {

VirtualUnitProcess::VirtualUnitProcess(QObject* parent) : QObject(parent) {
  // The unit's diagnostics go where ours go; its standard output is read.
  process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
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
  devicePath_.clear();
  error_.clear();
  if (program.isEmpty()) {
    error_ = QStringLiteral("%1 was found neither next to flowdesk nor in PATH")
                 .arg(QString::fromLatin1(kProgramName));
    return false;
  }
  process_.start(program, arguments, QIODevice::ReadOnly);
  if (!process_.waitForStarted(timeoutMs)) {
    error_ = QStringLiteral("%1 could not be started: %2").arg(program, process_.errorString());
    return false;
  }
  const QDeadlineTimer deadline(timeoutMs);
  while (!process_.canReadLine()) {
    if (process_.state() == QProcess::NotRunning || deadline.hasExpired()) break;
    process_.waitForReadyRead(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())));
  }
  if (!process_.canReadLine()) {
    error_ = process_.state() == QProcess::NotRunning
                 ? QStringLiteral("%1 ended before naming its terminal").arg(program)
                 : QStringLiteral("%1 did not name its terminal in time").arg(program);
    stop();
    return false;
  }
  devicePath_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
  if (devicePath_.isEmpty()) {
    error_ = QStringLiteral("%1 named no terminal").arg(program);
    stop();
    return false;
  }
  // Whatever it prints later is not ours to keep; reading it stops the pipe
  // from filling up and stalling the unit.
  connect(&process_, &QProcess::readyReadStandardOutput, this, &VirtualUnitProcess::discardOutput);
  discardOutput();
  return true;
}

void VirtualUnitProcess::discardOutput() {
  process_.readAllStandardOutput();
}

void VirtualUnitProcess::stop(int graceMs) {
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(graceMs)) {
    process_.kill();
    process_.waitForFinished(graceMs);
  }
}

}  // namespace flowdesk
