// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace flowdesk {

// How numeric edit rows show and read their values. A row has a float
// variable, a printf-style format (possibly empty), a minimum and a maximum.
// These are the pure halves of the show/read operations; the widget layer
// moves the texts in and out of the controls.

// The value clamped into [min, max]: NaN or below min gives min, above max
// gives max. The caller stores the result back into the row's variable.
double clampToRange(double value, double min, double max);

// A double narrowed to the float a row variable holds, saturating at the
// largest float instead of overflowing (NaN stays NaN).
float toFieldFloat(double value);

// One parsed printf conversion with the literal text around it.
struct NumberFormat {
  std::string prefix;     // literal text before the conversion, "%%" kept as is
  std::string modifiers;  // flags, width and precision, e.g. "+.1" or "05.0"
  char conversion = 'f';
  std::string suffix;  // literal text after the conversion
  bool isInteger() const;
};

// Parses a row's format. Accepted: any literal text and "%%" around exactly
// one conversion made of flags (-+ #0), a width and a precision of at most two
// digits each, an optional l/ll/h/hh length, and one of f F e E g G (real) or
// d i u o x X (integer). Anything else ("%s", "%n", "%*d", two conversions,
// "%Lf") is refused, so no unchecked text ever reaches the C formatter.
std::optional<NumberFormat> parseNumberFormat(std::string_view format);

// Number texts are made with the C conventions whatever the process's locale
// says ("282.8"); `separator`, where a function takes one, is the regional
// decimal separator a person reads instead of the point (its first
// character; "" or "." keep the point). Files and the wire keep the point.

// The point of a number text replaced by the separator.
std::string withDecimalSeparator(std::string text, std::string_view separator);

// The value printed with the adaptive precision of values that have no
// format of their own ("%.*f" with the decimal count it chooses).
std::string formatAdaptive(double value, std::string_view separator = ".");

// "%.*f" of the value.
std::string formatFixed(double value, int decimals, std::string_view separator = ".");

// The value printed with the row's format. An empty or refused format falls
// back to the adaptive precision; an integer conversion gets the value
// truncated towards zero.
std::string formatNumber(double value, std::string_view format, std::string_view separator = ".");

// The value truncated towards zero, printed with the row's format (integer
// or real conversion); an empty or refused format prints the plain integer.
std::string formatWholeNumber(double value, std::string_view format);

// Show numbers for one row: clamps the variable in place, returns its text.
std::string showNumber(float& variable, double min, double max, std::string_view format,
                       std::string_view separator = ".");

// Show whole numbers for one row: clamps in place, returns the truncated text.
std::string showWholeNumber(float& variable, double min, double max, std::string_view format);

// What an edit's text gives its row's variable: nothing when the text is the
// one the variable shows (a field the operator left alone keeps its bytes,
// whatever precision its format shows), else the number read from it.
std::optional<float> readShownNumber(std::string_view text, float variable, double min, double max,
                                     std::string_view format, std::string_view separator);
std::optional<float> readShownWholeNumber(std::string_view text, float variable, double min,
                                          double max, std::string_view format);

// Read numbers: the leading decimal number of the text (blanks before it and
// a sign allowed, '.' or ',' as the decimal point, an exponent allowed), the
// rest ignored; a text without one reads as 0. "1,5" and "1.5" both read as
// 1.5, whatever the regional settings say; neither is read as a thousands
// separator. Too large a number reads as +-infinity (the following clamp
// brings it into range), too small a one as 0.
double readNumber(std::string_view text);

// Read whole numbers: the leading integer of the text (blanks and a sign
// allowed), in hexadecimal when the row's format is an x/X conversion, else
// decimal; the rest ignored; no digits gives 0. Saturates instead of wrapping.
double readWholeNumber(std::string_view text, std::string_view format = {});

// A free-text edit's text cut to at most maxChars characters (not bytes).
std::string cutText(std::string_view text, std::size_t maxChars);

}  // namespace flowdesk
