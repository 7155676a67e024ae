#include <iconv.h>

#include <cstdint>
#include <string>

#include "platform/single_byte_charset.h"
#include "platform/single_byte_charset_name.h"

namespace tessaline::platform {

namespace {

// iconv's own name of the set.
std::string IconvName(const CharsetName& parsed) {
  switch (parsed.family) {
    case CharsetFamily::Iso8859: return "ISO-8859-" + std::to_string(parsed.number);
    case CharsetFamily::Windows: return "CP125" + std::to_string(parsed.number);
    case CharsetFamily::Koi8: return std::string("KOI8-") + parsed.variant;
  }
  return {};
}

}  // namespace

bool SingleByteCharset(std::string_view name, std::array<int, 256>& characters) {
  CharsetName parsed{};
  if (!ParseCharsetName(name, parsed)) return false;
  iconv_t converter = iconv_open("UTF-32LE", IconvName(parsed).c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  bool usable = true;
  for (int byte = 0; byte < 256 && usable; ++byte) {
    char in = static_cast<char>(byte);
    unsigned char out[8] = {};
    char* in_at = &in;
    char* out_at = reinterpret_cast<char*>(out);
    std::size_t in_left = 1, out_left = sizeof out;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);  // a fresh state for each byte
    const std::size_t done = iconv(converter, &in_at, &in_left, &out_at, &out_left);
    if (done == static_cast<std::size_t>(-1) || sizeof out - out_left != 4) {
      characters[static_cast<std::size_t>(byte)] = -1;
    } else {
      characters[static_cast<std::size_t>(byte)] =
          static_cast<int>(static_cast<std::uint32_t>(out[0]) | static_cast<std::uint32_t>(out[1]) << 8 |
                           static_cast<std::uint32_t>(out[2]) << 16 | static_cast<std::uint32_t>(out[3]) << 24);
    }
    // Only a set that keeps ASCII as it is can be read by the XML reader.
    if (byte < 0x80 && characters[static_cast<std::size_t>(byte)] != byte) usable = false;
  }
  iconv_close(converter);
  return usable;
}

}  // namespace tessaline::platform
