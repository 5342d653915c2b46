// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Texts.h"

#include <iterator>

namespace flowdesk {

std::string textWithNumbers(std::string text, std::initializer_list<long long> numbers) {
  std::size_t from = 0;
  for (long long n : numbers) {
    const std::size_t at = text.find("%d", from);
    if (at == std::string::npos) break;
    const std::string digits = std::to_string(n);
    text.replace(at, 2, digits);
    from = at + digits.size();
  }
  return text;
}

const char* resourceString(int id) {
  switch (id) {
    case kIdsSelectConfiguration:
    case kIdsSelectConfiguration + 1:
      return kTxtSelectConfiguration.text(languageOf(id - kIdsSelectConfiguration));
    case kIdsMeasurementPoint:
    case kIdsMeasurementPoint + 1:
      return kTxtMeasurementPoint.text(languageOf(id - kIdsMeasurementPoint));
    case kIdsInputOutput:
    case kIdsInputOutput + 1:
      return kTxtInputOutput.text(languageOf(id - kIdsInputOutput));
    default:
      return "";
  }
}

namespace {

#define FLOWDESK_TEXT(name, french, english) {#name, name},
const NamedText kAllTexts[] = {
#include "base/TextTable.inc"
};
#undef FLOWDESK_TEXT

}  // namespace

std::span<const NamedText> allTexts() {
  return kAllTexts;
}

}  // namespace flowdesk
