#pragma once
// The point value of a P line: two decimals in the notation of the regional
// settings ("12,50" in French settings).

#include <string>
#include <string_view>

#include "platform/regional_settings.h"

namespace tessaline {

// The staged Value field, trimmed. When it is a plain decimal number (an
// optional sign, digits and at most one ".", at least one digit: "12",
// "-3.25", ".5", "+5") it is rounded to two decimals half away from zero on
// its digits as written and written with the regional decimal mark; a zero
// result has no sign. Any other text ("", "12abc", "1e3", "4 5") is written
// trimmed and unchanged: there is no number in it to format.
std::string ValueNotation(std::string_view field, const RegionalSettings& regional);

}  // namespace tessaline
