#include "base/Latin1.h"

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

}  // namespace

std::string toLatin1(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const long cp = nextCodePoint(utf8, i);
    out.push_back(cp >= 0 && cp <= 0xFF ? static_cast<char>(cp) : '?');
  }
  return out;
}

std::string fromLatin1(std::string_view latin1) {
  std::string out;
  out.reserve(latin1.size() * 2);
  for (char c : latin1) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out.push_back(c);
    } else {
      out.push_back(static_cast<char>(0xC0 | (b >> 6)));
      out.push_back(static_cast<char>(0x80 | (b & 0x3F)));
    }
  }
  return out;
}

std::string fromLatin1Field(const std::uint8_t* bytes, std::size_t n) {
  std::size_t len = 0;
  while (len < n && bytes[len] != 0) ++len;
  return fromLatin1(std::string_view(reinterpret_cast<const char*>(bytes), len));
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
