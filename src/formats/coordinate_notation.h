#pragma once
// The coordinate notation of the chart files: "0.000000000000000", that is
// at least one digit before the point, exactly 15 after it, "." whatever the
// regional settings. The number is first rounded to 15 significant digits;
// the places beyond them are zeros.

#include <optional>
#include <string>
#include <string_view>

namespace tessaline {

// `value` in the notation. Rounded to 15 significant digits from the
// double's exact value (ties to even, like "%.14e"); a value below 0.1 then
// has digits beyond the 15th decimal, which are rounded away half away from
// zero. Negative values carry "-", except when the text shows zero.
// Infinities and NaN, which no reading produces, write as zero.
std::string CoordinateNotation(double value);

// A decimal text ("-47.25", "+5.", ".125", "007.5": a sign, digits, at most
// one ".") of at most 15 significant digits and 15 decimals, appended in
// the notation straight from its digits: the double nearest to such a
// decimal, rounded to 15 significant digits, is that decimal again, so the
// digits are only padded, as CoordinateNotation would write them. False
// (and `out` unchanged) for any other text, which must go through its
// number.
bool AppendPlainCoordinate(std::string& out, std::string_view text);

// A staged coordinate field: trimmed, read as a number ("." as decimal
// mark), then written in the notation. nullopt when the number lies beyond
// the range of a double.
std::optional<std::string> CoordinateText(std::string_view field);
// The same, appended to `out`; false (and `out` unchanged) for nullopt.
bool AppendCoordinateText(std::string& out, std::string_view field);

}  // namespace tessaline
