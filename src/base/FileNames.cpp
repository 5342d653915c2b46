// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/FileNames.h"

#include <filesystem>
#include <set>
#include <system_error>

namespace flowdesk {

namespace {

char lowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return true;
}

// The pattern base + "*." + extension: starts with the base, ends with
// "." + extension, the star matching anything (dots included).
bool matchesPattern(std::string_view name, std::string_view base, std::string_view extension) {
  if (name.size() < base.size() + 1 + extension.size()) return false;
  if (!equalsIgnoreCase(name.substr(0, base.size()), base)) return false;
  const std::size_t dot = name.size() - extension.size() - 1;
  return name[dot] == '.' && equalsIgnoreCase(name.substr(dot + 1), extension);
}

// The decimal number at the start of the text between the base and the first
// dot after it; no digits give 0; large values stop at kMaxNameNumber.
long nameNumber(std::string_view name, std::size_t baseLength) {
  const std::size_t dot = name.find('.', baseLength);
  const std::string_view text = name.substr(baseLength, dot - baseLength);
  long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
    if (value >= kMaxNameNumber) return kMaxNameNumber;
  }
  return value;
}

std::string withSlash(std::string_view folder) {
  std::string out(folder);
  if (!out.empty() && out.back() != '/') out += '/';
  return out;
}

}  // namespace

std::string forceExtension(std::string_view path, std::string_view extension) {
  const std::size_t slash = path.rfind('/');
  const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  const std::size_t dot = path.find('.', nameStart);
  std::string out(path.substr(0, dot));  // npos keeps the whole path
  out += '.';
  out += extension;
  return out;
}

std::string lastPathName(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return {};
  return std::string(path.substr(0, slash + 1));
}

std::string nextFreeName(std::string_view folder, std::string_view base,
                         std::string_view extension) {
  const std::string prefix = withSlash(folder);
  namespace fs = std::filesystem;
  const fs::path where = prefix.empty() ? fs::path(".") : fs::path(prefix);

  bool any = false;
  long largest = 0;
  std::set<long> used;  // numbers taken, for the rare case of a capped name
  std::error_code ec;
  fs::directory_iterator it(where, ec);
  const fs::directory_iterator end;
  while (!ec && it != end) {
    const std::string name = it->path().filename().string();
    if (matchesPattern(name, base, extension)) {
      any = true;
      const long n = nameNumber(name, base.size());
      used.insert(n);
      if (n > largest) largest = n;
    }
    it.increment(ec);
  }

  std::string out = prefix;
  out += base;
  if (!any) {
    out += '.';
    out += extension;
    return out;
  }
  long next = largest + 1;
  if (largest >= kMaxNameNumber) {
    // A name carries a number too large to count on: take the lowest number
    // no name carries (a capped one may hide several, so skip the cap).
    next = 1;
    while (used.count(next) != 0) ++next;
    if (next >= kMaxNameNumber) next = 1;  // cannot happen without a billion files
  }
  out += std::to_string(next);
  out += '.';
  out += extension;
  return out;
}

std::string nextFreeName(std::string_view folder, const BilingualText& base, Language language,
                         std::string_view extension) {
  return nextFreeName(folder, base.text(language), extension);
}

std::string prnNameFor(std::string_view sourcePath) {
  const std::size_t slash = sourcePath.rfind('/');
  const std::string_view name =
      slash == std::string_view::npos ? sourcePath : sourcePath.substr(slash + 1);
  std::string out;
  for (char c : name) {
    if (c != '.') out += c;
  }
  out += ".prn";
  return out;
}

}  // namespace flowdesk
