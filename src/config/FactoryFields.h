// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "config/ComparisonReport.h"
#include "config/ConfigurationFields.h"

namespace flowdesk {

// The factory and maker blocks' fields as their dialogs bind them, the
// comparison names them and flowdesk-cli clamps them before a write: one
// table each, pointing into the image it was built for.

// A text edit: cut to `maxLength` characters when read back.
struct TextField {
  BilingualText reportName;
  std::string* variable;
  std::size_t maxLength;
  const char* id = "";
};

// The factory block's 24 edits, 9 lists and 2 texts, in report order.
std::vector<EditField> factoryEdits(DeviceImage& image);
std::vector<ListField> factoryLists(DeviceImage& image);
std::vector<TextField> factoryTexts(DeviceImage& image);

// The maker block's edits (the three serial-number parts, the 4 mA and
// 20 mA points) and its one list (the device variant).
std::vector<EditField> makerEdits(DeviceImage& image);
std::vector<ListField> makerLists(DeviceImage& image);

// The factory settings in the comparison's order: edits, lists, texts.
ReportTable factoryReportTable();

// Brings every edit into its range, every list index into its list and
// every text to its length, as showing the fields on a screen does; a file
// written to the unit without being shown goes out the same way.
void clampFields(const std::vector<EditField>& edits, const std::vector<ListField>& lists,
                 const std::vector<TextField>& texts = {});

// Which of the factory dialog's optional controls apply to the values now in
// the image.
struct FactoryVisibility {
  bool simulation = false;             // flow and ripple: function "Simulation"
  std::array<bool, 2> specialProbe{};  // angle, frequency and text: T0 not 0
  bool specialProbeHeaders = false;    // column headers: either T0 not 0
  bool operator==(const FactoryVisibility&) const = default;
};
FactoryVisibility factoryVisibility(const FactoryRegion& factory);

}  // namespace flowdesk
