// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/ValueLists.h"

#include "base/BilingualText.h"

namespace flowdesk {

const char* listItem(const ValueList& list, Language language, int i) {
  const int n = list.count();
  if (i < 0 || i >= n) return "";
  const int offset = (list.bilingual && language == kEnglish) ? n : 0;
  const char* item = list.items[static_cast<std::size_t>(offset + i)];
  return item != nullptr ? item : "";
}

std::vector<std::string> fillItems(const ValueList& list, int n, Language language) {
  std::vector<std::string> shown;
  for (int i = 0; i < n; ++i) {
    const char* item = listItem(list, language, i);
    if (*item == '\0') break;  // an empty item ends the list, as does its end
    shown.emplace_back(item);
  }
  return shown;
}

int fillSelection(std::int32_t variable, int n) {
  // A negative index would leave the list without a selection and be read
  // back as -1; it gets the first entry like an index past the end.
  if (variable < 0 || variable >= n) return 0;
  return static_cast<int>(variable);
}

std::string listText(const ValueList& list, int n, std::int32_t variable, Language language) {
  if (variable < 0 || variable >= n || variable >= list.count()) return kNoListText;
  return listItem(list, language, static_cast<int>(variable));
}

const ValueList& configurationNumberList(int configurations) {
  return configurations == 2 ? ConfigurationNumberList2 : ConfigurationNumberList;
}

const ValueList& configurationChoiceList(int configurations) {
  return configurations == 2 ? ConfigurationChoiceList2 : ConfigurationChoiceList;
}

std::uint32_t periodSeconds(int index) {
  static constexpr std::uint32_t kSeconds[kPeriodCount] = {
      1, 5, 10, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 21600, 43200, 86400};
  if (index < 0 || index >= kPeriodCount) return 0;
  return kSeconds[index];
}

ProbeNameList::ProbeNameList(const ProbeCatalogue& catalogue) {
  for (std::size_t i = 0; i < names_.size(); ++i) names_[i] = catalogue[i].name;
  link();
}

ProbeNameList::ProbeNameList(const ProbeNameList& other) : names_(other.names_) {
  link();
}

ProbeNameList& ProbeNameList::operator=(const ProbeNameList& other) {
  if (this != &other) {
    names_ = other.names_;
    link();
  }
  return *this;
}

// The list points into this object's own strings, never into another's.
void ProbeNameList::link() {
  for (std::size_t i = 0; i < names_.size(); ++i) pointers_[i] = names_[i].c_str();
  list_ = ValueList{pointers_, false};
}

}  // namespace flowdesk
