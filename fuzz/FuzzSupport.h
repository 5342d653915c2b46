// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the fuzz targets share: a private scratch folder for inputs that have
// to be files, a check that stops the run on a broken property (libFuzzer then
// keeps the input), and a pass over decoded fields that shows each one as a
// screen would.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <span>
#include <sstream>
#include <string>
#include <string_view>
#include <variant>

#include "base/FieldFormat.h"
#include "base/RegionalFormat.h"
#include "base/ValueLists.h"
#include "base/Windows1252.h"
#include "cli/FileShow.h"
#include "link/FieldMap.h"

namespace flowdesk::fuzz {

[[noreturn]] inline void fail(const char* file, int line, const char* what) {
  std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, what);
  std::abort();
}

#define FUZZ_CHECK(cond)                                            \
  do {                                                              \
    if (!(cond)) ::flowdesk::fuzz::fail(__FILE__, __LINE__, #cond); \
  } while (0)

// A folder of our own, in memory when /dev/shm is there: the readers under
// test take paths, and a million inputs must not wear a disk.
class ScratchDir {
 public:
  ScratchDir() {
    std::error_code ec;
    std::string base = "/dev/shm";
    if (::access(base.c_str(), W_OK) != 0) base = std::filesystem::temp_directory_path(ec).string();
    std::string tmpl = base + "/flowdesk-fuzz-XXXXXX";
    if (::mkdtemp(tmpl.data()) == nullptr) {
      std::perror("flowdesk fuzz: cannot create a scratch folder");
      std::abort();
    }
    path_ = tmpl;
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline ScratchDir& scratch() {
  static ScratchDir dir;
  return dir;
}

// A function code from one input byte: mostly the three the program uses
// (3, 4, 16), otherwise the byte itself.
inline std::uint8_t functionOf(std::uint8_t selector) {
  switch (selector & 3) {
    case 0:
      return 3;
    case 1:
      return 4;
    case 2:
      return 16;
    default:
      return selector;
  }
}

// Whether `text` is well-formed UTF-8: no stray continuation byte, no
// sequence cut short, no overlong form, no surrogate, nothing past U+10FFFF.
inline bool validUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    std::size_t n = 0;
    std::uint32_t cp = 0;
    if (b < 0x80) {
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      n = 1, cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      n = 2, cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      n = 3, cp = b & 0x07;
    } else {
      return false;
    }
    if (n >= text.size() - i) return false;
    for (std::size_t k = 1; k <= n; ++k) {
      const auto c = static_cast<unsigned char>(text[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = cp << 6 | (c & 0x3F);
    }
    if ((n == 2 && cp < 0x800) || (n == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    i += n + 1;
  }
  return true;
}

// Writes the input to the scratch file `name` and returns its path.
inline std::string writeScratch(const std::string& name, const std::uint8_t* data,
                                std::size_t size) {
  const std::string path = scratch().file(name);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) fail(__FILE__, __LINE__, "scratch file cannot be created");
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n <= 0) fail(__FILE__, __LINE__, "scratch file cannot be written");
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return path;
}

// A parameter file read from memory and from disk, and shown by
// `flowdesk-cli show`: all three must agree, and a refused file says why in
// both languages and prints nothing. True when the file was accepted.
template <class File, class Parse, class Read>
bool readParameterFile(const std::string& name, const std::uint8_t* data, std::size_t size,
                       Parse parse, Read read, File& fromMemory, File& fromDisk) {
  const std::string path = writeScratch(name, data, size);
  const auto parsed = parse(std::span<const std::uint8_t>(data, size), path, fromMemory);
  const auto result = read(path, fromDisk);
  FUZZ_CHECK(parsed.status == result.status);
  std::ostringstream shown;
  const auto show =
      showFile(path, languageOf(static_cast<int>(size & 1)), RegionalSettings{}, shown);
  FUZZ_CHECK(show.status == result.status);
  if (!result.ok()) {
    FUZZ_CHECK(!result.message(kFrench).empty() && !result.message(kEnglish).empty());
    FUZZ_CHECK(shown.str().empty());
    return false;
  }
  return true;
}

// Every field a map fills, shown the way the screens show it: numbers through
// the edit-row clamp and formats, list indexes through a list, texts counted
// as UTF-8. Char arrays must still end in a zero byte whatever was decoded.
inline std::size_t showDecodedFields(const FieldMap& map) {
  std::size_t shown = 0;
  for (const FieldRow& row : map.rows) {
    if (std::holds_alternative<std::monostate>(row.target)) break;
    if (auto p = std::get_if<float*>(&row.target)) {
      float copy = **p;
      shown += formatAdaptive(**p).size();
      shown += showNumber(copy, -1.0e6, 1.0e6, "%.3f").size();
      copy = **p;
      shown += showWholeNumber(copy, -2.0e9, 2.0e9, "%d").size();
    } else if (auto p = std::get_if<std::int32_t*>(&row.target)) {
      shown += listText(FlowUnitList, FlowUnitList.count(), **p, kEnglish).size();
      shown += formatWholeNumber(**p, "%5d").size();
    } else if (auto p = std::get_if<std::int16_t*>(&row.target)) {
      shown += formatWholeNumber(**p, "%d").size();
    } else if (auto p = std::get_if<std::string*>(&row.target)) {
      shown += utf8Length(**p) + toWindows1252(**p).size();
    } else if (auto p = std::get_if<CharArrayRef>(&row.target)) {
      if (p->data != nullptr && p->size > 0) {
        FUZZ_CHECK(p->data[p->size - 1] == '\0');
        shown += std::strlen(p->data);
      }
    } else if (auto p = std::get_if<FloatArrayRef>(&row.target)) {
      for (std::size_t i = 0; p->data != nullptr && i < p->size; ++i) {
        shown += formatAdaptive(p->data[i]).size();
      }
    }
  }
  return shown;
}

}  // namespace flowdesk::fuzz
