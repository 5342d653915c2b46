// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

#include "base/BinaryFile.h"
#include "echo/EchoFile.h"

namespace flowdesk {

// A picture as a PNG of the unit's display size, 128 x 64 pixels, painted
// as the echo screen paints it (dark pixels black on the screen's grey).
FileResult writeEchoPng(const std::string& path, const EchoImage& image);

}  // namespace flowdesk
