// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/BuiltinProbeCatalogue.h"

namespace flowdesk {

const ProbeCatalogue& builtinProbeCatalogue() {
  // Names fit the unit's 12-byte name field with room to spare.
  static const ProbeCatalogue kCatalogue = {{
      {"SP No 1", 0},   {"SP No 2", 0},    {"SP No 3", 0},   {"SP No 4", 0},    {"SP No 5", 0},
      {"SP No 6", 0},   {"T210", 6022},    {"T210-I", 5980}, {"T216", 6022},    {"T216-HT", 6022},
      {"T221", 6022},   {"T224", 6022},    {"T225", 6022},   {"T225-HT", 6022}, {"T226", 6022},
      {"T240-1", 6022}, {"T240-05", 6022}, {"T203-A", 0},    {"T203-B", 0},     {"T203-C", 0},
      {"T231", 0},      {"T232-1", 0},     {"T232-2", 0},    {"T234", 0},       {"T239", 0},
      {"", 0},          {"", 0},           {"", 0},          {"", 0},           {"", 0},
  }};
  return kCatalogue;
}

}  // namespace flowdesk
