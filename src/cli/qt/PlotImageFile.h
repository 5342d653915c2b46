// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

#include "base/BilingualText.h"
#include "base/BinaryFile.h"
#include "base/RegionalFormat.h"
#include "files/PlotSession.h"

namespace flowdesk {

// flowdesk-cli plot's image: the plot window's chart drawn off screen at
// 1600 x 900. Qt Charts draws on a QGraphicsScene, which needs a
// QApplication: the first call makes one on the offscreen platform, so the
// command works without a display.
FileResult writePlotImageFile(const std::string& path, const PlotSession& session,
                              const std::string& title, Language language,
                              const RegionalSettings& regional);

}  // namespace flowdesk
