// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/qt/KindPrompts.h"

#include "base/qt/FilePrompts.h"
#include "link/AppContext.h"

namespace flowdesk {

std::optional<std::string> askSavePath(QWidget* parent, AppContext& context, FileKind kind) {
  const FileKindInfo& info = fileKindInfo(kind);
  return askSaveFile(parent, context.settings.LastPathName, info.description, info.extension,
                     context.settings.language());
}

std::optional<std::string> askOpenPath(QWidget* parent, AppContext& context, FileKind kind) {
  const FileKindInfo& info = fileKindInfo(kind);
  return askOpenFile(parent, context.settings.LastPathName, info.description, info.extension,
                     context.settings.language());
}

}  // namespace flowdesk
