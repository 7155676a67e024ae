#include "platform/ansi_code_page.h"

#include <windows.h>

#include "platform/wide_text_win.h"

namespace tessaline::platform {

bool AnsiIsWindows1252() { return GetACP() == 1252; }

std::string AnsiToUtf8(std::string_view text) {
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  const int needed = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  if (needed <= 0) return std::string();
  std::wstring wide(static_cast<std::size_t>(needed), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), needed);
  return Narrow(wide);
}

void AppendUtf8AsAnsi(std::string& out, std::string_view text, std::uint64_t& replaced) {
  const std::wstring wide = Widen(text);
  if (wide.empty() && !text.empty()) {  // not UTF-8: nothing can be told of it
    out.append(text.size(), '?');
    replaced += text.size();
    return;
  }
  // One character at a time, so that each one the code page lacks is counted.
  for (std::size_t i = 0; i < wide.size();) {
    const std::size_t length = (IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size()) ? 2 : 1;
    char bytes[8];
    BOOL used_default = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data() + i, static_cast<int>(length),
                                      bytes, sizeof bytes, "?", &used_default);
    if (n <= 0 || used_default) {
      out += '?';
      ++replaced;
    } else {
      out.append(bytes, static_cast<std::size_t>(n));
    }
    i += length;
  }
}

}  // namespace tessaline::platform
