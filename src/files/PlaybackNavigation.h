// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <algorithm>
#include <optional>

namespace flowdesk {

// HOME, PGD, PGU and END of a recording played back (measurements, echo
// pictures): the record each leads to among records 0 to `last`, or nothing
// for any other button. The screens' button enums name the four alike.
template <typename Button>
std::optional<long long> playbackRecord(Button button, long long current, long long last) {
  switch (button) {
    case Button::kHome:
      return 0;
    case Button::kPgd:
      return std::min(current + 1, last);
    case Button::kPgu:
      return std::max(current - 1, 0LL);
    case Button::kEnd:
      return last;
    default:
      return std::nullopt;
  }
}

}  // namespace flowdesk
