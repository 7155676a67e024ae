#include "platform/ansi_code_page.h"

namespace tessaline::platform {

bool AnsiIsWindows1252() { return true; }

// Never called: the files' code page here is Windows-1252.
std::string AnsiToUtf8(std::string_view text) { return std::string(text); }
void AppendUtf8AsAnsi(std::string& out, std::string_view text, std::uint64_t&) { out.append(text); }

}  // namespace tessaline::platform
