// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "base/IdentificationCache.h"
#include "link/DeviceImage.h"
#include "link/JbusMaster.h"

namespace flowdesk {

// Learns who is on the line before the first real exchange: the unit's probe
// catalogue (0x5000, 0x5100), its unit code and the special-probe words from
// its FactoryBlock (0x2200, decoded into the image as well). The master runs
// it as its identification (setIdentification) and marks the unit
// identified when it succeeds. On a failed read the result says why and the
// cache is left exactly as it was.
LinkResult IdentificationRead(JbusMaster& master, DeviceImage& image, IdentificationCache& cache);

}  // namespace flowdesk
