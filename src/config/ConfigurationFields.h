// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <vector>

#include "base/BilingualText.h"
#include "base/ValueLists.h"
#include "link/DeviceImage.h"

namespace flowdesk {

// The configuration's fields as the two pages bind them and the comparison
// report names them: one table, so the page, the report and `show` format a
// field alike. Each table points into the image it was built for.

// Every field has an id that does not change when a table is reordered:
// the screens name its control after it ("edit" or "combo" + id), so a
// control is never bound to a field by its place in a table.

// An edit: shown with its display format after clamping into [min, max].
struct EditField {
  BilingualText reportName;
  float* variable;
  const char* format;
  double min;
  double max;
  const char* id = "";
};

// A list: the field is the index of the entry.
struct ListField {
  BilingualText reportName;
  std::int32_t* variable;
  const ValueList* list;
  int count;  // entries the control offers (the probe list offers 30, named or not)
  const char* id = "";
};

// The measurement point page's 34 edits and 7 lists, in report order. The
// probe list is the catalogue's names (ProbeNameList), which must outlive
// the table.
std::vector<EditField> measurementPointEdits(DeviceImage& image);
std::vector<ListField> measurementPointLists(DeviceImage& image, const ValueList& probeNames);

// The inputs/outputs page's 9 edits and 10 lists, in report order.
std::vector<EditField> inputsOutputsEdits(DeviceImage& image);
std::vector<ListField> inputsOutputsLists(DeviceImage& image);

}  // namespace flowdesk
