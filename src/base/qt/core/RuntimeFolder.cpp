// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/qt/core/RuntimeFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace flowdesk {

void ensurePrivateRuntimeFolder() {
  if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) return;
  static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/flowdesk-XXXXXX"));
  if (folder.isValid()) qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder.path()));
}

}  // namespace flowdesk
