#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace flowdesk {

// Texts that travel to the unit or live in the binary file kinds are one byte
// per character, ISO-8859-1. Inside the program they are UTF-8.

// UTF-8 to ISO-8859-1; a character without a byte (or a broken sequence)
// becomes '?'.
std::string toLatin1(std::string_view utf8);

// ISO-8859-1 bytes to UTF-8.
std::string fromLatin1(std::string_view latin1);

// Bytes up to the first zero byte (at most n) as UTF-8 text.
std::string fromLatin1Field(const std::uint8_t* bytes, std::size_t n);

// Number of characters (code points) of a UTF-8 text.
std::size_t utf8Length(std::string_view utf8);

// The first n characters of a UTF-8 text.
std::string utf8Left(std::string_view utf8, std::size_t n);

}  // namespace flowdesk
