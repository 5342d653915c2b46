// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace flowdesk {

// Texts that travel to the unit or live in the binary file kinds are one byte
// per character in Windows-1252, the code page of the PCs the unit's files
// come from. Inside the program they are UTF-8.
//
// The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) stand for the control characters of the same number, so that every
// byte read from a unit or a file is written back as it was.

// UTF-8 to Windows-1252; a character without a byte (or a broken sequence)
// becomes '?'.
std::string toWindows1252(std::string_view utf8);

// Windows-1252 bytes to UTF-8.
std::string fromWindows1252(std::string_view bytes);

// Bytes up to the first zero byte (at most n) as UTF-8 text.
std::string fromWindows1252Field(const std::uint8_t* bytes, std::size_t n);

// Number of characters (code points) of a UTF-8 text.
std::size_t utf8Length(std::string_view utf8);

// The first n characters of a UTF-8 text.
std::string utf8Left(std::string_view utf8, std::size_t n);

}  // namespace flowdesk
