// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QLocale>

#include "base/RegionalFormat.h"

namespace flowdesk {

// The operator's date, time and decimal conventions as a locale gives them:
// the order and separator of the short date, the separator and clock of the
// short time, the morning and afternoon symbols, the decimal separator.
RegionalSettings regionalSettingsFrom(const QLocale& locale);

// The same for the default locale (the system's).
RegionalSettings systemRegionalSettings();

}  // namespace flowdesk
