#include "base/IniSettingsStore.h"

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <limits>
#include <optional>
#include <system_error>

#include "base/BinaryFile.h"

namespace flowdesk {

namespace {

constexpr const char* kGeneral = "General";
constexpr char kHex[] = "0123456789ABCDEF";

bool isHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

void appendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Next code point of a UTF-8 text; a broken byte stands for itself (Latin-1),
// and so does a lead byte of something beyond U+10FFFF, which no UTF-16
// escape could hold.
std::uint32_t nextCodePoint(std::string_view s, std::size_t& i) {
  auto b = static_cast<unsigned char>(s[i]);
  std::size_t extra = b >= 0xF8 ? 0 : b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
  if (extra == 0 || i + extra >= s.size()) {
    ++i;
    return b;
  }
  std::uint32_t cp = b & (0x3Fu >> extra);
  for (std::size_t k = 1; k <= extra; ++k) {
    auto c = static_cast<unsigned char>(s[i + k]);
    if ((c & 0xC0) != 0x80) {
      ++i;
      return b;
    }
    cp = (cp << 6) | (c & 0x3F);
  }
  if (cp > 0x10FFFF) {
    ++i;
    return b;
  }
  i += extra + 1;
  return cp;
}

std::string trimmed(std::string_view s) {
  std::size_t a = 0, b = s.size();
  while (a < b && (s[a] == ' ' || s[a] == '\t')) ++a;
  while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t' || s[b - 1] == '\r')) --b;
  return std::string(s.substr(a, b - a));
}

// A "%Uxxxx" escape at `i`: its UTF-16 unit, or nothing.
std::optional<std::uint32_t> utf16Escape(std::string_view raw, std::size_t i) {
  if (i + 5 >= raw.size() || raw[i] != '%' || raw[i + 1] != 'U') return std::nullopt;
  std::uint32_t unit = 0;
  for (std::size_t k = 2; k <= 5; ++k) {
    if (!isHexDigit(raw[i + k])) return std::nullopt;
    unit = unit * 16 + static_cast<std::uint32_t>(hexValue(raw[i + k]));
  }
  return unit;
}

}  // namespace

std::string iniEscapeKey(std::string_view utf8) {
  std::string out;
  std::size_t i = 0;
  while (i < utf8.size()) {
    std::uint32_t ch = nextCodePoint(utf8, i);
    if (ch == '/') {
      out += '\\';
    } else if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
               ch == '_' || ch == '-' || ch == '.') {
      out += static_cast<char>(ch);
    } else if (ch <= 0xFF) {
      out += '%';
      out += kHex[ch / 16];
      out += kHex[ch % 16];
    } else {
      // Qt escapes the UTF-16 units: a character beyond U+FFFF is written as
      // its two surrogates, never cut to its low 16 bits.
      const auto unit = [&out](std::uint32_t u) {
        out += "%U";
        for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(u >> shift) & 0xF];
      };
      if (ch > 0xFFFF) {
        unit(0xD800 + ((ch - 0x10000) >> 10));
        unit(0xDC00 + ((ch - 0x10000) & 0x3FF));
      } else {
        unit(ch);
      }
    }
  }
  return out;
}

std::string iniUnescapeKey(std::string_view raw) {
  std::string out;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    char c = raw[i];
    if (c == '\\') {
      out += '/';
    } else if (const auto unit = utf16Escape(raw, i)) {
      std::uint32_t cp = *unit;
      i += 5;
      // Two escaped surrogates make one character, as they do in Qt's strings.
      if (cp >= 0xD800 && cp <= 0xDBFF) {
        if (const auto low = utf16Escape(raw, i + 1); low && *low >= 0xDC00 && *low <= 0xDFFF) {
          cp = 0x10000 + ((cp - 0xD800) << 10) + (*low - 0xDC00);
          i += 6;
        }
      }
      appendUtf8(out, cp);
    } else if (c == '%' && i + 2 < raw.size() && isHexDigit(raw[i + 1]) && isHexDigit(raw[i + 2])) {
      appendUtf8(out, static_cast<std::uint32_t>(hexValue(raw[i + 1]) * 16 + hexValue(raw[i + 2])));
      i += 2;
    } else {
      // Unescaped bytes are read the way names are escaped, a broken one as
      // Latin-1: the name written back is then the name that was read, and
      // two names that would be written alike are one name already.
      appendUtf8(out, nextCodePoint(raw, i));
      --i;  // nextCodePoint moved past the character
    }
  }
  return out;
}

std::string iniEscapeText(std::string_view utf8) {
  std::string out;
  if (!utf8.empty() && utf8.front() == '@') out += '@';  // "@..." would read as a typed value
  bool needsQuotes = false;
  bool escapeNextIfDigit = false;
  for (char c : utf8) {
    auto ch = static_cast<unsigned char>(c);
    if (ch == ';' || ch == ',' || ch == '=') needsQuotes = true;
    if (escapeNextIfDigit && isHexDigit(c)) {
      // A digit right after a \x escape would extend the escape when read.
      out += "\\x";
      out += kHex[ch / 16];
      out += kHex[ch % 16];
      continue;
    }
    escapeNextIfDigit = false;
    switch (ch) {
      case '\0':
        out += "\\0";
        escapeNextIfDigit = true;
        break;
      case '\a':
        out += "\\a";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\v':
        out += "\\v";
        break;
      case '"':
      case '\\':
        out += '\\';
        out += c;
        break;
      default:
        if (ch <= 0x1F || ch == 0x7F) {
          out += "\\x";
          if (ch >= 16) out += kHex[ch / 16];
          out += kHex[ch % 16];
          escapeNextIfDigit = true;
        } else {
          out += c;  // UTF-8 bytes go into the file as they are
        }
    }
  }
  if (needsQuotes || (!out.empty() && (out.front() == ' ' || out.back() == ' '))) {
    out = "\"" + out + "\"";
  }
  return out;
}

std::string iniUnescapeText(std::string_view raw, bool* isText) {
  if (isText) *isText = true;
  std::vector<std::string> items;
  std::string cur;
  bool inQuotes = false;
  bool curQuoted = false;
  std::size_t chopLimit = 0;  // blanks before this position are kept
  std::size_t i = 0;
  auto skipSpaces = [&] {
    while (i < raw.size() && (raw[i] == ' ' || raw[i] == '\t')) ++i;
  };
  auto chop = [&] {
    if (curQuoted) return;
    while (cur.size() > chopLimit && (cur.back() == ' ' || cur.back() == '\t')) cur.pop_back();
  };
  skipSpaces();
  chopLimit = cur.size();
  while (i < raw.size()) {
    char c = raw[i];
    if (c == '\\') {
      ++i;
      if (i >= raw.size()) break;
      char e = raw[i++];
      switch (e) {
        case 'a':
          cur += '\a';
          break;
        case 'b':
          cur += '\b';
          break;
        case 'f':
          cur += '\f';
          break;
        case 'n':
          cur += '\n';
          break;
        case 'r':
          cur += '\r';
          break;
        case 't':
          cur += '\t';
          break;
        case 'v':
          cur += '\v';
          break;
        case '"':
        case '?':
        case '\'':
        case '\\':
          cur += e;
          break;
        case 'x': {
          std::uint32_t v = 0;
          while (i < raw.size() && isHexDigit(raw[i])) {
            v = (v * 16 + static_cast<std::uint32_t>(hexValue(raw[i++]))) & 0xFFFF;
          }
          appendUtf8(cur, v);
          break;
        }
        default:
          if (e >= '0' && e <= '7') {
            std::uint32_t v = static_cast<std::uint32_t>(e - '0');
            while (i < raw.size() && raw[i] >= '0' && raw[i] <= '7') {
              v = (v * 8 + static_cast<std::uint32_t>(raw[i++] - '0')) & 0xFFFF;
            }
            appendUtf8(cur, v);
          }
          // Any other escaped character is dropped, as Qt does.
      }
      chopLimit = cur.size();
    } else if (c == '"') {
      ++i;
      curQuoted = true;
      inQuotes = !inQuotes;
      if (!inQuotes) skipSpaces();
    } else if (c == ',' && !inQuotes) {
      chop();
      items.push_back(cur);
      cur.clear();
      curQuoted = false;
      ++i;
      skipSpaces();
      chopLimit = 0;
    } else {
      cur += c;
      ++i;
    }
  }
  chop();
  if (!items.empty()) {
    items.push_back(cur);
    std::string joined;
    for (std::size_t k = 0; k < items.size(); ++k) {
      if (k) joined += ", ";
      joined += items[k];
    }
    return joined;
  }
  if (!cur.empty() && cur.front() == '@') {
    if (cur.size() > 1 && cur[1] == '@') return cur.substr(1);
    if (cur.rfind("@String(", 0) == 0 && cur.back() == ')') return cur.substr(8, cur.size() - 9);
    if (isText) *isText = false;
    return {};
  }
  return cur;
}

IniSettingsStore::IniSettingsStore(std::string filePath) : path_(std::move(filePath)) {
  load();
}

IniSettingsStore::~IniSettingsStore() {
  if (dirty_) sync();
}

std::string IniSettingsStore::userFilePath(const std::string& applicationName,
                                           const EnvironmentLookup& env) {
  std::string base;
  if (env) {
    if (auto xdg = env("XDG_CONFIG_HOME"); xdg && !xdg->empty() && xdg->front() == '/') base = *xdg;
    if (base.empty()) {
      if (auto home = env("HOME"); home && !home->empty()) base = *home + "/.config";
    }
  }
  if (base.empty()) base = ".config";
  if (base.back() == '/') base.pop_back();
  return base + "/flowdesk/" + applicationName + ".ini";
}

void IniSettingsStore::load() {
  sections_.clear();
  Bytes bytes;
  if (!readWholeFile(path_, bytes).ok()) return;  // no file yet: every read gives its default
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  Section* current = nullptr;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string line = trimmed(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      std::size_t close = line.find(']');
      std::string name = iniUnescapeKey(
          line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      current = nullptr;
      for (auto& s : sections_) {
        if (s.name == name) current = &s;
      }
      if (!current) {
        sections_.push_back({name, {}});
        current = &sections_.back();
      }
      continue;
    }
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    if (!current) {
      sections_.push_back({kGeneral, {}});
      current = &sections_.back();
    }
    std::string name = iniUnescapeKey(trimmed(line.substr(0, eq)));
    std::string raw = trimmed(line.substr(eq + 1));
    bool replaced = false;
    for (auto& e : current->entries) {
      if (e.name == name) {
        e.raw = raw;  // the last of two equal names wins
        replaced = true;
      }
    }
    if (!replaced) current->entries.push_back({name, raw});
  }
}

const IniSettingsStore::Entry* IniSettingsStore::find(const std::string& key,
                                                      const std::string& name) const {
  const std::string section = key.empty() ? kGeneral : key;
  for (const auto& s : sections_) {
    if (s.name != section) continue;
    for (const auto& e : s.entries) {
      if (e.name == name) return &e;
    }
  }
  return nullptr;
}

void IniSettingsStore::put(const std::string& key, const std::string& name, std::string raw) {
  const std::string section = key.empty() ? kGeneral : key;
  dirty_ = true;
  Section* target = nullptr;
  for (auto& s : sections_) {
    if (s.name == section) target = &s;
  }
  if (!target) {
    sections_.push_back({section, {}});
    target = &sections_.back();
  }
  for (auto& e : target->entries) {
    if (e.name == name) {
      e.raw = std::move(raw);
      return;
    }
  }
  target->entries.push_back({name, std::move(raw)});
}

std::string IniSettingsStore::readText(const std::string& key, const std::string& name,
                                       const std::string& defaultValue) {
  const Entry* e = find(key, name);
  if (!e) return defaultValue;
  bool isText = true;
  std::string value = iniUnescapeText(e->raw, &isText);
  return isText ? value : defaultValue;
}

std::int32_t IniSettingsStore::readNumber(const std::string& key, const std::string& name,
                                          std::int32_t defaultValue) {
  const Entry* e = find(key, name);
  if (!e) return defaultValue;
  bool isText = true;
  std::string value = trimmed(iniUnescapeText(e->raw, &isText));
  if (!isText || value.empty()) return defaultValue;
  const char* first = value.data();
  const char* last = value.data() + value.size();
  if (*first == '+') ++first;  // Qt's toLongLong takes a leading plus
  long long number = 0;
  auto [ptr, ec] = std::from_chars(first, last, number, 10);
  if (ec != std::errc() || ptr != last || number < std::numeric_limits<std::int32_t>::min() ||
      number > static_cast<long long>(std::numeric_limits<std::uint32_t>::max())) {
    return defaultValue;
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(number));
}

void IniSettingsStore::writeText(const std::string& key, const std::string& name,
                                 const std::string& value) {
  put(key, name, iniEscapeText(value));
}

void IniSettingsStore::writeNumber(const std::string& key, const std::string& name,
                                   std::int32_t value) {
  put(key, name, std::to_string(value));
}

std::string IniSettingsStore::render() const {
  std::string out;
  // [General] first, as Qt writes it; the others in the order found.
  auto renderSection = [&](const Section& s) {
    if (!out.empty()) out += '\n';
    out += "[" + (s.name == kGeneral ? std::string(kGeneral) : iniEscapeKey(s.name)) + "]\n";
    for (const auto& e : s.entries) out += iniEscapeKey(e.name) + "=" + e.raw + "\n";
  };
  for (const auto& s : sections_) {
    if (s.name == kGeneral && !s.entries.empty()) renderSection(s);
  }
  for (const auto& s : sections_) {
    if (s.name != kGeneral && !s.entries.empty()) renderSection(s);
  }
  return out;
}

bool IniSettingsStore::sync() {
  if (!dirty_) return true;
  std::error_code ec;
  std::filesystem::path folder = std::filesystem::path(path_).parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder, ec);
  std::string text = render();
  FileResult r =
      writeFileAtomic(path_, std::span<const std::uint8_t>(
                                 reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  if (!r.ok()) {
    error_ = r.message();
    return false;
  }
  error_.clear();
  dirty_ = false;
  return true;
}

}  // namespace flowdesk
