#pragma once
// The code page of the device and chart files' 8-bit text: the system's
// ANSI code page on Windows, Windows-1252 (the usual one) everywhere else.

#include <cstdint>
#include <string>
#include <string_view>

namespace tessaline::platform {

// Whether that code page is Windows-1252, which the callers handle alone.
bool AnsiIsWindows1252();

// Only when !AnsiIsWindows1252() (Windows with another code page):
// 8-bit text in that code page as UTF-8;
std::string AnsiToUtf8(std::string_view text);
// UTF-8 `text` in that code page, appended to `out`; a character it cannot
// hold becomes "?" and is counted in `replaced`.
void AppendUtf8AsAnsi(std::string& out, std::string_view text, std::uint64_t& replaced);

}  // namespace tessaline::platform
