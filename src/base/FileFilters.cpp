// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/FileFilters.h"

namespace flowdesk {

namespace {

std::string trim(std::string_view s) {
  std::size_t b = 0;
  std::size_t e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return std::string(s.substr(b, e - b));
}

}  // namespace

std::string filterText(std::string_view description, std::string_view extension) {
  std::string out(description);
  out += " (*.";
  out += extension;
  out += ")|*.";
  out += extension;
  out += "|";
  return out;
}

std::vector<FilterEntry> parseFilterText(std::string_view filter) {
  std::vector<FilterEntry> entries;
  std::size_t pos = 0;
  while (pos < filter.size()) {
    const std::size_t bar1 = filter.find('|', pos);
    if (bar1 == std::string_view::npos) break;  // a description without patterns
    std::size_t bar2 = filter.find('|', bar1 + 1);
    if (bar2 == std::string_view::npos) bar2 = filter.size();
    entries.push_back({std::string(filter.substr(pos, bar1 - pos)),
                       std::string(filter.substr(bar1 + 1, bar2 - bar1 - 1))});
    pos = bar2 + 1;
  }
  return entries;
}

std::vector<std::string> qtFilters(std::string_view filter) {
  std::vector<std::string> out;
  for (const auto& entry : parseFilterText(filter)) {
    // Drop a trailing "(...)" from the description: Qt reads the patterns
    // from the parentheses, so they must be the real ones.
    std::string_view description = entry.description;
    if (!description.empty() && description.back() == ')') {
      const std::size_t open = description.rfind('(');
      if (open != std::string_view::npos) description = description.substr(0, open);
    }
    std::string patterns;
    std::size_t pos = 0;
    while (pos <= entry.patterns.size()) {
      std::size_t semi = entry.patterns.find(';', pos);
      if (semi == std::string::npos) semi = entry.patterns.size();
      const std::string pattern = trim(std::string_view(entry.patterns).substr(pos, semi - pos));
      if (!pattern.empty()) {
        if (!patterns.empty()) patterns += ' ';
        patterns += pattern;
      }
      pos = semi + 1;
    }
    std::string text = trim(description);
    if (!text.empty()) text += ' ';
    text += "(" + patterns + ")";
    out.push_back(std::move(text));
  }
  return out;
}

std::string qtFilterString(std::string_view filter) {
  std::string out;
  for (const auto& f : qtFilters(filter)) {
    if (!out.empty()) out += ";;";
    out += f;
  }
  return out;
}

}  // namespace flowdesk
