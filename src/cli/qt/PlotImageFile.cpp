// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/qt/PlotImageFile.h"

#include <QApplication>
#include <memory>

#include "base/qt/core/RuntimeFolder.h"
#include "files/qt/PlotChart.h"

namespace flowdesk {

namespace {

constexpr QSize kImageSize{1600, 900};

void ensureApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  // The command line never shows a window: drawing needs no display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  ensurePrivateRuntimeFolder();
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
