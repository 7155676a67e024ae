#include <windows.h>

#include "platform/single_byte_charset.h"
#include "platform/single_byte_charset_name.h"

namespace tessaline::platform {

namespace {

// The Windows code page of the set; 0 when it has none.
UINT CodePage(const CharsetName& parsed) {
  switch (parsed.family) {
    case CharsetFamily::Iso8859:
      // ISO-8859-n is code page 28590 + n, 28603 for -13 and so on (there is no -12).
      return static_cast<UINT>(28590 + parsed.number);
    case CharsetFamily::Windows: return static_cast<UINT>(1250 + parsed.number);
    case CharsetFamily::Koi8: return parsed.variant == 'R' ? 20866 : 21866;
  }
  return 0;
}

}  // namespace

bool SingleByteCharset(std::string_view name, std::array<int, 256>& characters) {
  CharsetName parsed{};
  if (!ParseCharsetName(name, parsed)) return false;
  const UINT code_page = CodePage(parsed);
  CPINFO info;
  if (code_page == 0 || !GetCPInfo(code_page, &info) || info.MaxCharSize != 1) return false;
  for (int byte = 0; byte < 256; ++byte) {
    const char in = static_cast<char>(byte);
    wchar_t out[2] = {};
    const int n = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, &in, 1, out, 2);
    characters[static_cast<std::size_t>(byte)] = n == 1 ? static_cast<int>(out[0]) : -1;
    if (byte < 0x80 && characters[static_cast<std::size_t>(byte)] != byte) return false;
  }
  return true;
}

}  // namespace tessaline::platform
