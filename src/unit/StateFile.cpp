// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/StateFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <span>

#include "base/BilingualText.h"
#include "base/BinaryFile.h"

namespace flowdesk::unit {

namespace {

void appendHex(std::string& out, std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (std::uint8_t b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool parseHex(std::string_view hex, std::span<std::uint8_t> out) {
  if (hex.size() != out.size() * 2) return false;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const int hi = hexDigit(hex[2 * i]), lo = hexDigit(hex[2 * i + 1]);
    if (hi < 0 || lo < 0) return false;
    out[i] = static_cast<std::uint8_t>(hi * 16 + lo);
  }
  return true;
}

std::string_view nextWord(std::string_view& s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  std::size_t n = 0;
  while (n < s.size() && s[n] != ' ' && s[n] != '\t') ++n;
  const std::string_view w = s.substr(0, n);
  s.remove_prefix(n);
  return w;
}

}  // namespace

std::string formatState(const StoredBlocks& b) {
  std::string out = "# flowdesk-unit state: the blocks written to the unit\n";
  for (int n = 0; n < kMaxConfigs; ++n) {
    out += "config " + std::to_string(n) + " ";
    appendHex(out, b.configs[n]);
    out += '\n';
  }
  out += "factory ";
  appendHex(out, b.factory);
  out += "\nmaker ";
  appendHex(out, b.maker);
  out += "\nlogger ";
  appendHex(out, b.logger);
  out += '\n';
  return out;
}

bool parseState(std::string_view text, StoredBlocks& blocks, std::string& error) {
  StoredBlocks parsed = blocks;
  int lineNumber = 0;
  while (!text.empty()) {
    const std::size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::string_view rest = line;
    const std::string_view key = nextWord(rest);
    if (key.empty() || key.front() == '#') continue;
    const std::string where = "line " + std::to_string(lineNumber) + ": ";
    std::span<std::uint8_t> target;
    if (key == "config") {
      const std::string_view number = nextWord(rest);
      int n = -1;
      if (number.size() == 1 || number.size() == 2) {
        n = 0;
        for (char c : number) n = (c >= '0' && c <= '9' && n >= 0) ? n * 10 + (c - '0') : -1;
      }
      if (n < 0 || n >= kMaxConfigs) {
        error = where + "configuration number must be 0 to 17";
        return false;
      }
      target = parsed.configs[n];
    } else if (key == "factory") {
      target = parsed.factory;
    } else if (key == "maker") {
      target = parsed.maker;
    } else if (key == "logger") {
      target = parsed.logger;
    } else {
      error = where + "unknown block \"" + std::string(key) + "\"";
      return false;
    }
    const std::string_view hex = nextWord(rest);
    if (!parseHex(hex, target) || !nextWord(rest).empty()) {
      error = where + "expected " + std::to_string(target.size() * 2) + " hexadecimal digits";
      return false;
    }
  }
  blocks = parsed;
  return true;
}

bool readTextFile(const std::string& path, std::string& text, bool& missing, std::string& error) {
  missing = false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) {
      missing = true;
      return true;
    }
    error = path + ": " + std::strerror(errno);
    return false;
  }
  text.clear();
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = path + ": " + std::strerror(errno);
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    text.append(buf, static_cast<std::size_t>(n));
    if (text.size() > (1u << 20)) {
      error = path + ": larger than a state file can be";
      ::close(fd);
      return false;
    }
  }
  ::close(fd);
  return true;
}

bool writeFileAtomically(const std::string& path, std::string_view text, std::string& error) {
  const FileResult written = writeFileAtomic(
      path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  if (!written.ok()) error = written.message(kEnglish);
  return written.ok();
}

}  // namespace flowdesk::unit
