// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Byte vectors written by hand in tests ("01 03 FF ..."), and their text for
// failure messages.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "base/Bytes.h"

namespace flowdesk::testing {

using flowdesk::Bytes;

inline Bytes hex(const std::string& text) {
  Bytes out;
  std::istringstream in(text);
  std::string item;
  while (in >> item) {
    // Two digits per byte: a missing blank between two literals must not pass.
    if (item.size() != 2) ADD_FAILURE() << "bad byte \"" << item << "\" in the vector";
    out.push_back(static_cast<std::uint8_t>(std::stoul(item, nullptr, 16)));
  }
  return out;
}

inline Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

inline std::string hexOf(const std::uint8_t* p, std::size_t n) {
  std::string s;
  char buf[4];
  for (std::size_t i = 0; i < n; ++i) {
    std::snprintf(buf, sizeof buf, "%02X ", p[i]);
    s += buf;
  }
  return s;
}

inline std::string hexOf(const Bytes& b) {
  return hexOf(b.data(), b.size());
}

}  // namespace flowdesk::testing
