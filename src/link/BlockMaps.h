// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>

#include "link/DeviceImage.h"
#include "link/FieldMap.h"

namespace flowdesk {

// One FieldMap per block that carries fields (addresses and sizes in
// Blocks.h). Each map points into the image it was built for.
FieldMap s1Map(DeviceImage& image = deviceImage());              // 0x0000, 27 rows
FieldMap s2Map(DeviceImage& image = deviceImage());              // 0x100D, 2 rows
FieldMap m1Map(DeviceImage& image = deviceImage());              // 0x0100, 40 rows
FieldMap m2Map(DeviceImage& image = deviceImage());              // 0x0200, 31 rows
FieldMap configurationMap(DeviceImage& image = deviceImage());   // 0x1000 + 0x100 n, 60 rows
FieldMap factoryMap(DeviceImage& image = deviceImage());         // 0x2200, 35 rows
FieldMap clockMap(DeviceImage& image = deviceImage());           // 0x2301, 6 rows
FieldMap echoCommandMap(DeviceImage& image = deviceImage());     // 0x2320, 1 row
FieldMap loggerSettingsMap(DeviceImage& image = deviceImage());  // 0x3100, 11 rows
FieldMap makerMap(DeviceImage& image = deviceImage());           // 0x3300, 7 rows

// The clock fields from a calendar date and time (year in full, e.g. 2004).
void setClockFields(DeviceImage& image, int year, int month, int day, int hour, int minute,
                    int second);

// The CommandBlock's 8 data bytes: one register per totalizer reset, then
// the logger erase; each flag in the low byte. `area` gets kRequestDataSize
// bytes, zeroed first like every encoded block.
struct Commands {
  bool resetTotalizer1 = false;
  bool resetTotalizer2 = false;
  bool resetTotalizer3 = false;
  bool eraseLogger = false;
};
void encodeCommandBlock(const Commands& commands, std::uint8_t* area);

}  // namespace flowdesk
