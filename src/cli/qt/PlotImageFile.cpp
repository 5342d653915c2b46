// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/qt/PlotImageFile.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "files/qt/PlotChart.h"

namespace flowdesk {

namespace {

constexpr QSize kImageSize{1600, 900};

// Qt wants a runtime folder of the user's own and, where the session sets
// none (a shell over ssh, a service, a container), makes one in /tmp and
// says so on the standard error at every run, which reads as a fault in a
// command's output. The command gets a private one of its own for the run,
// made as the XDG rules want it (mode 0700) and removed at the end; any real
// trouble Qt finds with it is still reported.
void ensureRuntimeFolder() {
  if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) return;
  static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/flowdesk-cli-XXXXXX"));
  if (folder.isValid()) qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder.path()));
}

void ensureApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  // The command line never shows a window: drawing needs no display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  ensureRuntimeFolder();
  static int argc = 1;
  static char name[] = "flowdesk-cli";
  static char* argv[] = {name, nullptr};
  static const std::unique_ptr<QApplication> application =
      std::make_unique<QApplication>(argc, argv);
}

}  // namespace

FileResult writePlotImageFile(const std::string& path, const PlotSession& session,
                              const std::string& title, Language language,
                              const RegionalSettings& regional) {
  ensureApplication();
  return writePlotImage(session, language, regional, path, kImageSize,
                        QString::fromStdString(title));
}

}  // namespace flowdesk
