// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Windows1252.h"

namespace flowdesk {
namespace {

// Decodes one UTF-8 sequence at s[i]; returns the code point or -1 for a
// broken sequence, and advances i past what it consumed.
long nextCodePoint(std::string_view s, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int extra = 0;
  long cp = 0;
  if ((b0 & 0xE0) == 0xC0) {
    extra = 1;
    cp = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2;
    cp = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3;
    cp = b0 & 0x07;
  } else {
    ++i;
    return -1;
  }
  if (i + static_cast<std::size_t>(extra) >= s.size()) {
    i = s.size();
    return -1;
  }
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
    if ((b & 0xC0) != 0x80) {
      i += static_cast<std::size_t>(k);
      return -1;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  i += static_cast<std::size_t>(extra) + 1;
  return cp;
}

// Code points of the bytes 0x80 to 0x9F; the rest of the page is ISO-8859-1.
// The bytes the code page leaves undefined keep their own number.
constexpr char32_t kHighHalf[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 0x98
};

char32_t codePointOf(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kHighHalf[byte - 0x80] : byte;
}

// The byte of a code point, '?' when the code page has none (or the
// sequence was broken).
char byteOf(long cp) {
  if ((cp >= 0 && cp < 0x80) || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
  for (unsigned k = 0; k < 32; ++k) {
    if (static_cast<long>(kHighHalf[k]) == cp) return static_cast<char>(0x80 + k);
  }
  return '?';
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    // Every character of the code page lies below U+10000.
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

std::string toWindows1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    out.push_back(byteOf(nextCodePoint(utf8, i)));
  }
  return out;
}

std::string fromWindows1252(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char c : bytes) appendUtf8(out, codePointOf(static_cast<unsigned char>(c)));
  return out;
}

std::string fromWindows1252Field(const std::uint8_t* bytes, std::size_t n) {
  std::size_t len = 0;
  while (len < n && bytes[len] != 0) ++len;
  return fromWindows1252(std::string_view(reinterpret_cast<const char*>(bytes), len));
}

std::size_t utf8Length(std::string_view utf8) {
  std::size_t count = 0;
  std::size_t i = 0;
  while (i < utf8.size()) {
    nextCodePoint(utf8, i);
    ++count;
  }
  return count;
}

std::string utf8Left(std::string_view utf8, std::size_t n) {
  std::size_t i = 0;
  std::size_t count = 0;
  while (i < utf8.size() && count < n) {
    nextCodePoint(utf8, i);
    ++count;
  }
  return std::string(utf8.substr(0, i));
}

}  // namespace flowdesk
