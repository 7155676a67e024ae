#pragma once
// "Read as a number": the numeric prefix of a text, "." as decimal mark
// whatever the regional settings, blanks anywhere passed over, 0 for text
// with no number. Independent of the process locale.

#include <optional>
#include <string_view>

namespace tessaline {

// An optional sign, digits with at most one ".", then an optional exponent
// ("E" or "D", either case, with an optional sign); spaces, tabs and line
// feeds anywhere are skipped; reading stops at the first character that
// cannot continue the number. The result is the double nearest to the digits
// read. Returns nullopt when the number lies beyond the range of a double,
// which the caller treats as a failure; a number too small to represent
// reads as zero.
std::optional<double> ReadAsNumber(std::string_view text);

// A plain decimal: an optional "-", digits with at most one "." and a digit
// before it, nothing else (no blank, "+" or exponent): "47.123", "-4.5",
// "5."; the double nearest to it. nullopt for anything else, and for a
// number beyond the range of a double.
std::optional<double> ReadPlainDecimal(std::string_view text);

// Whether that reading finds any digit: "abc", "" and "-." read as 0 without
// holding a number.
bool HoldsNumber(std::string_view text);

}  // namespace tessaline
