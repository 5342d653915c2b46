// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/qt/ProgramLauncher.h"

#include <QFileInfo>
#include <QProcess>

namespace flowdesk {

namespace {

ProgramStarter& starter() {
  static ProgramStarter s;
  return s;
}

}  // namespace

ProgramStarter setProgramStarter(ProgramStarter s) {
  ProgramStarter previous = std::move(starter());
  starter() = std::move(s);
  return previous;
}

bool startProgram(const QString& program, const QString& file, QString* error) {
  if (starter()) return starter()(program, file);
  if (program.isEmpty()) {
    if (error) *error = QStringLiteral("no program chosen");
    return false;
  }
  const QFileInfo info(program);
  if (!info.exists() || !info.isExecutable()) {
    if (error) *error = QStringLiteral("%1 is not an executable file").arg(program);
    return false;
  }
  if (!QProcess::startDetached(program, {file})) {
    if (error) *error = QStringLiteral("%1 could not be started").arg(program);
    return false;
  }
  return true;
}

}  // namespace flowdesk
