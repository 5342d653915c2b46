// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace flowdesk {

// Language index as kept in AppSettings: 0 French, 1 English.
inline constexpr int kFrench = 0;
inline constexpr int kEnglish = 1;

// A text in both languages, French first. Texts are UTF-8 and may carry
// leading or trailing blanks, tabs or line breaks: they belong to the text.
struct BilingualText {
  const char* texts[2];

  // Any language index other than English reads as French, so a corrupted
  // setting can never index past the pair.
  constexpr const char* text(int language) const {
    return texts[language == kEnglish ? kEnglish : kFrench];
  }
  constexpr const char* french() const { return texts[kFrench]; }
  constexpr const char* english() const { return texts[kEnglish]; }
};

}  // namespace flowdesk
