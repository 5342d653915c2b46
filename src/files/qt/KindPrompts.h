// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <string>

#include "files/FileKinds.h"

class QWidget;

namespace flowdesk {

class AppContext;

// The file prompts of a kind, for a screen or one of its pages: the kind's
// extension and description, the path chosen handed back (LastPathName
// follows it), nothing on cancel.
std::optional<std::string> askSavePath(QWidget* parent, AppContext& context, FileKind kind);
std::optional<std::string> askOpenPath(QWidget* parent, AppContext& context, FileKind kind);

}  // namespace flowdesk
