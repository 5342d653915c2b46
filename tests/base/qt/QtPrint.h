// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Readable QString values in GoogleTest failure messages.
#include <QString>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}
