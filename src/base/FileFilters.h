// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace flowdesk {

// File prompts describe what they offer with filter texts of the form
// "description (*.ext)|*.ext|", one entry after another; Qt's dialogs take
// another form, made from it here.

// Filter text of the file prompts, entries of the form
// "description (*.ext)|*.ext|": "Fichier Etalonnage (*.eta)|*.eta|".
std::string filterText(std::string_view description, std::string_view extension);
// One entry of a filter text.
struct FilterEntry {
  std::string description;
  std::string patterns;  // as written, ";"-separated: "*.mes;*.eta"
};
std::vector<FilterEntry> parseFilterText(std::string_view filter);

// The entries in the form Qt's file dialogs take ("Fichier Etalonnage
// (*.eta)"). The patterns in parentheses are the ones the entry really
// filters on, so the "(*.*)" entry of Open shows its extension list rather
// than a pattern that would let every file through.
std::vector<std::string> qtFilters(std::string_view filter);

// The same entries joined with ";;", as QFileDialog takes them.
std::string qtFilterString(std::string_view filter);

}  // namespace flowdesk
