// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <functional>

namespace flowdesk {

// Starts another program (the spreadsheet program) on a file, detached and
// never through a shell, so no character of either path is interpreted.
// False when the program could not be started; `error` then says why.
bool startProgram(const QString& program, const QString& file, QString* error = nullptr);

// Tests replace the starter; returns the previous one (empty restores the
// real one).
using ProgramStarter = std::function<bool(const QString& program, const QString& file)>;
ProgramStarter setProgramStarter(ProgramStarter starter);

}  // namespace flowdesk
