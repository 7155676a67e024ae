#pragma once
// Percentage text: the integer part of a percentage, then "%" with no space.
// Whatever the formula gives, the text stays within 0% to 100%.

#include <string>

namespace tessaline {

// floor(percent) clamped to 0..100, then "%"; a NaN shows "100%".
std::string PercentageText(double percent);

// part / whole * 100 as above; a zero or negative whole (an empty file, a
// length the file system could not tell) shows "100%".
std::string PercentageOf(double part, double whole);

// The whole number those texts show, 0 to 100, for callers that format only
// when it changes (ProgressPacer: once per line, text would cost more than
// the line).
int PercentOf(double part, double whole);
std::string PercentageText(int percent);

// The text shown at the very end of a conversion in lblFichiers.
inline constexpr const char* kFinalMainPercentage = "100 %";
inline constexpr const char* kFinalInnerPercentage = "100%";

}  // namespace tessaline
