// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>

namespace flowdesk {

// The language the program speaks. AppSettings keeps it as its index, 0
// French and 1 English; `languageOf` reads that index.
enum class Language : std::int32_t { kFrench = 0, kEnglish = 1 };
inline constexpr Language kFrench = Language::kFrench;
inline constexpr Language kEnglish = Language::kEnglish;

// Any index other than English's reads as French, so a corrupted setting
// never names a language that is not there.
constexpr Language languageOf(std::int32_t index) {
  return index == 1 ? kEnglish : kFrench;
}
// The index AppSettings keeps for `language`.
constexpr std::int32_t languageIndex(Language language) {
  return static_cast<std::int32_t>(language);
}

// A text in both languages, French first. Texts are UTF-8 and may carry
// leading or trailing blanks, tabs or line breaks: they belong to the text.
struct BilingualText {
  const char* texts[2];

  constexpr const char* text(Language language) const {
    return texts[language == kEnglish ? 1 : 0];
  }
  constexpr const char* french() const { return texts[0]; }
  constexpr const char* english() const { return texts[1]; }
};

}  // namespace flowdesk
