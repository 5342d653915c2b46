// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "base/IdentificationCache.h"

namespace flowdesk {

// The probe catalogue the program ships with, copied into the settings on the
// first run (before any unit has reported its own table): six special-probe
// slots, the standard probes with their angle words, and five empty entries.
const ProbeCatalogue& builtinProbeCatalogue();

}  // namespace flowdesk
