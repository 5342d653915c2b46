// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/FieldFormat.h"

#include <locale.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <vector>

#include "base/Numeric.h"
#include "base/Windows1252.h"

namespace flowdesk {

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// Where a number typed in `text` starts: after the blanks before it and its
// sign, which sets `negative`.
std::size_t numberStart(std::string_view text, bool& negative) {
  std::size_t pos = 0;
  while (pos < text.size() && isBlank(text[pos])) ++pos;
  negative = pos < text.size() && text[pos] == '-';
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
  return pos;
}

// The conversions a row's format may end on.
constexpr std::string_view kIntegerConversions = "diuoxX";
constexpr std::string_view kRealConversions = "fFeEgG";

// Copies literal text up to the next lone '%', keeping "%%" pairs. Returns
// the position of the '%' or text.size().
std::size_t scanLiteral(std::string_view text, std::size_t pos, std::string& out) {
  while (pos < text.size()) {
    if (text[pos] != '%') {
      out += text[pos++];
    } else if (pos + 1 < text.size() && text[pos + 1] == '%') {
      out += "%%";
      pos += 2;
    } else {
      return pos;
    }
  }
  return pos;
}

// Reads at most two digits; more than two makes the format invalid.
bool scanNumber(std::string_view text, std::size_t& pos, std::string& out) {
  std::size_t digits = 0;
  while (pos < text.size() && isDigit(text[pos])) {
    if (++digits > 2) return false;
    out += text[pos++];
  }
  return true;
}

// The C formatter follows the process's numeric locale, which a Qt program
// takes from the desktop: on a French one "%.1f" writes "282,8". Number texts
// are made with the C conventions whatever the process's locale, and the
// regional separator is put in afterwards where a person reads them, so a
// text reads back the same everywhere.
class CNumericLocale {
 public:
  CNumericLocale() : previous_(c() != locale_t{} ? uselocale(c()) : locale_t{}) {}
  ~CNumericLocale() {
    if (previous_ != locale_t{}) uselocale(previous_);
  }
  CNumericLocale(const CNumericLocale&) = delete;
  CNumericLocale& operator=(const CNumericLocale&) = delete;

 private:
  static locale_t c() {
    static const locale_t kC = newlocale(LC_NUMERIC_MASK, "C", locale_t{});
    return kC;
  }
  locale_t previous_;
};

// The format has been checked by parseNumberFormat (or is a fixed one) and
// matches the argument types.
template <typename... Args>
std::string printf1(const std::string& format, Args... args) {
  const CNumericLocale cConventions;
  char small[64];
  const int n = std::snprintf(small, sizeof small, format.c_str(), args...);
  if (n < 0) return {};
  if (static_cast<std::size_t>(n) < sizeof small)
    return std::string(small, static_cast<std::size_t>(n));
  std::vector<char> big(static_cast<std::size_t>(n) + 1);
  std::snprintf(big.data(), big.size(), format.c_str(), args...);
  return std::string(big.data(), static_cast<std::size_t>(n));
}

long long toWholeSaturated(double value) {
  if (std::isnan(value)) return 0;
  const double t = std::trunc(value);
  // 2^63 is exact in double; anything at or past it saturates.
  if (t >= 9223372036854775808.0) return std::numeric_limits<long long>::max();
  if (t < -9223372036854775808.0) return std::numeric_limits<long long>::min();
  return static_cast<long long>(t);
}

// The literal text around the conversion goes through the formatter too, for
// its "%%"; only the number's own point takes the separator.
std::string render(const NumberFormat& f, double value, std::string_view separator) {
  const std::string prefix = printf1(f.prefix + "%s", "");
  const std::string suffix = printf1("%s" + f.suffix, "");
  if (f.isInteger()) {
    const long long whole = toWholeSaturated(value);
    const std::string fmt = "%" + f.modifiers + "ll" + f.conversion;
    if (f.conversion == 'd' || f.conversion == 'i') return prefix + printf1(fmt, whole) + suffix;
    return prefix + printf1(fmt, static_cast<unsigned long long>(whole)) + suffix;
  }
  return prefix +
         withDecimalSeparator(printf1("%" + f.modifiers + f.conversion, value), separator) + suffix;
}

}  // namespace

double clampToRange(double value, double min, double max) {
  if (std::isnan(value) || value < min) return min;
  if (value > max) return max;
  return value;
}

float toFieldFloat(double value) {
  constexpr double kMax = std::numeric_limits<float>::max();
  if (value > kMax) return std::numeric_limits<float>::max();
  if (value < -kMax) return -std::numeric_limits<float>::max();
  return static_cast<float>(value);
}

bool NumberFormat::isInteger() const {
  return kIntegerConversions.find(conversion) != std::string_view::npos;
}

std::optional<NumberFormat> parseNumberFormat(std::string_view format) {
  NumberFormat f;
  std::size_t pos = scanLiteral(format, 0, f.prefix);
  if (pos >= format.size()) return std::nullopt;  // no conversion at all
  ++pos;                                          // the '%'
  while (pos < format.size()) {
    const char c = format[pos];
    if (c != '-' && c != '+' && c != ' ' && c != '#' && c != '0') break;
    f.modifiers += c;
    ++pos;
  }
  if (!scanNumber(format, pos, f.modifiers)) return std::nullopt;
  if (pos < format.size() && format[pos] == '.') {
    f.modifiers += '.';
    ++pos;
    if (!scanNumber(format, pos, f.modifiers)) return std::nullopt;
  }
  // Length modifiers are dropped: the value is always passed as a double or
  // a long long, and the conversion rebuilt to match.
  bool hasLength = false;
  while (pos < format.size() && (format[pos] == 'l' || format[pos] == 'h')) {
    hasLength = true;
    ++pos;
  }
  if (pos >= format.size()) return std::nullopt;
  f.conversion = format[pos++];
  if (kRealConversions.find(f.conversion) != std::string_view::npos) {
    if (hasLength && format[pos - 2] != 'l') return std::nullopt;  // only "%lf"
  } else if (!f.isInteger()) {
    return std::nullopt;
  }
  pos = scanLiteral(format, pos, f.suffix);
  if (pos < format.size()) return std::nullopt;  // a second conversion
  return f;
}

std::string withDecimalSeparator(std::string text, std::string_view separator) {
  if (separator.empty() || separator == ".") return text;
  const std::string first = utf8Left(separator, 1);
  std::string out;
  out.reserve(text.size() + first.size());
  for (const char c : text) {
    if (c == '.') {
      out += first;
    } else {
      out += c;
    }
  }
  return out;
}

std::string formatAdaptive(double value, std::string_view separator) {
  int decimals = 0;
  const double shown = adaptivePrecision(value, decimals);
  return withDecimalSeparator(printf1("%.*f", decimals, shown), separator);
}

std::string formatFixed(double value, int decimals, std::string_view separator) {
  return withDecimalSeparator(printf1("%.*f", decimals, value), separator);
}

std::string formatNumber(double value, std::string_view format, std::string_view separator) {
  if (format.empty()) return formatAdaptive(value, separator);
  const auto f = parseNumberFormat(format);
  if (!f) return formatAdaptive(value, separator);
  return render(*f, value, separator);
}

std::string formatWholeNumber(double value, std::string_view format) {
  const long long whole = toWholeSaturated(value);
  const auto f = format.empty() ? std::nullopt : parseNumberFormat(format);
  if (!f) return printf1("%lld", whole);
  return render(*f, static_cast<double>(whole), ".");
}

std::string showNumber(float& variable, double min, double max, std::string_view format,
                       std::string_view separator) {
  variable = toFieldFloat(clampToRange(variable, min, max));
  return formatNumber(variable, format, separator);
}

std::string showWholeNumber(float& variable, double min, double max, std::string_view format) {
  variable = toFieldFloat(clampToRange(variable, min, max));
  return formatWholeNumber(variable, format);
}

std::optional<float> readShownNumber(std::string_view text, float variable, double min, double max,
                                     std::string_view format, std::string_view separator) {
  float shown = variable;
  if (text == showNumber(shown, min, max, format, separator)) return std::nullopt;
  return toFieldFloat(readNumber(text));
}

std::optional<float> readShownWholeNumber(std::string_view text, float variable, double min,
                                          double max, std::string_view format) {
  float shown = variable;
  if (text == showWholeNumber(shown, min, max, format)) return std::nullopt;
  return toFieldFloat(readWholeNumber(text, format));
}

double readNumber(std::string_view original) {
  // Both "," and "." are the decimal point, whatever the desktop says: a
  // French operator types a comma, and a value pasted from elsewhere may
  // carry a point. Neither is ever a thousands separator.
  std::string copy(original);
  for (char& c : copy) {
    if (c == ',') c = '.';
  }
  const std::string_view text = copy;
  bool negative = false;
  const std::size_t start = numberStart(text, negative);
  const bool digitFirst = start < text.size() && isDigit(text[start]);
  const bool pointFirst = start + 1 < text.size() && text[start] == '.' && isDigit(text[start + 1]);
  if (!digitFirst && !pointFirst) return 0.0;  // also refuses "inf", "nan", "0x"

  double value = 0.0;
  const char* first = text.data() + start;
  const char* last = text.data() + text.size();
  const auto result = std::from_chars(first, last, value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // Tell overflow from underflow by the decimal exponent of the leading
    // significant digit.
    const char* p = first;
    long long magnitude = 0;  // digits before the point, or -zeros after it
    bool seenSignificant = false;
    for (; p < result.ptr && isDigit(*p); ++p) {
      if (*p != '0') seenSignificant = true;
      if (seenSignificant) ++magnitude;
    }
    if (p < result.ptr && *p == '.') {
      for (++p; p < result.ptr && isDigit(*p); ++p) {
        if (seenSignificant) continue;
        if (*p != '0') {
          seenSignificant = true;
        } else {
          --magnitude;
        }
      }
    }
    long long exponent = 0;
    if (p < result.ptr && (*p == 'e' || *p == 'E')) {
      ++p;
      const bool negativeExponent = p < result.ptr && *p == '-';
      if (p < result.ptr && (*p == '+' || *p == '-')) ++p;
      for (; p < result.ptr && isDigit(*p); ++p) {
        if (exponent < 1000000) exponent = exponent * 10 + (*p - '0');
      }
      if (negativeExponent) exponent = -exponent;
    }
    value = magnitude + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (result.ec != std::errc()) {
    return 0.0;
  }
  return negative ? -value : value;
}

double readWholeNumber(std::string_view text, std::string_view format) {
  const auto f = format.empty() ? std::nullopt : parseNumberFormat(format);
  const bool hex = f && (f->conversion == 'x' || f->conversion == 'X');
  const int base = hex ? 16 : 10;

  bool negative = false;
  std::size_t pos = numberStart(text, negative);
  if (hex && pos + 2 < text.size() && text[pos] == '0' && (text[pos + 1] | 0x20) == 'x') pos += 2;

  // Accumulate as a double, saturating far beyond any field's range.
  double value = 0.0;
  bool any = false;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    int digit = -1;
    if (isDigit(c)) {
      digit = c - '0';
    } else if (hex && (c | 0x20) >= 'a' && (c | 0x20) <= 'f') {
      digit = (c | 0x20) - 'a' + 10;
    }
    if (digit < 0 || digit >= base) break;
    any = true;
    if (value < 1e18) value = value * base + digit;
  }
  if (!any) return 0.0;
  return negative ? -value : value;
}

std::string cutText(std::string_view text, std::size_t maxChars) {
  return utf8Left(text, maxChars);
}

}  // namespace flowdesk
