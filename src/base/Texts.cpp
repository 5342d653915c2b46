// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Texts.h"

#include <cstdarg>
#include <cstdio>
#include <iterator>
#include <utility>

namespace flowdesk {

namespace {

// Each `mark` of the text in turn replaced by the next value; a value that
// holds the mark itself stays as it is.
template <typename Values, typename Spell>
std::string replaceMarks(std::string text, std::string_view mark, const Values& values,
                         Spell spell) {
  std::size_t from = 0;
  for (const auto& value : values) {
    const std::size_t at = text.find(mark, from);
    if (at == std::string::npos) break;
    const std::string spelt = spell(value);
    text.replace(at, mark.size(), spelt);
    from = at + spelt.size();
  }
  return text;
}

}  // namespace

std::string textWithNumbers(std::string text, std::initializer_list<long long> numbers) {
  return replaceMarks(std::move(text), "%d", numbers,
                      [](long long n) { return std::to_string(n); });
}

std::string textWithWords(std::string text, std::initializer_list<std::string_view> words) {
  return replaceMarks(std::move(text), "%s", words,
                      [](std::string_view w) { return std::string(w); });
}

std::string printed(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string text;
  if (n > 0) {
    text.resize(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(text.data(), text.size(), format, again);
    text.resize(static_cast<std::size_t>(n));
  }
  va_end(again);
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
