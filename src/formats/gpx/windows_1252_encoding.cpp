#include "formats/gpx/windows_1252_encoding.h"

#include <string_view>

#include "formats/gpx/eight_bit_text.h"

namespace tessaline::gpx {

namespace {
bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const char x = (a[i] >= 'A' && a[i] <= 'Z') ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
    if (x != b[i]) return false;
  }
  return true;
}
}  // namespace

int XMLCALL Windows1252EncodingHandler(void*, const XML_Char* name, XML_Encoding* info) {
  const std::string_view encoding(name);
  if (!SameIgnoringCase(encoding, "windows-1252") && !SameIgnoringCase(encoding, "cp1252")) {
    return XML_STATUS_ERROR;
  }
  for (int byte = 0; byte < 256; ++byte) {
    info->map[byte] = static_cast<int>(Windows1252Character(static_cast<unsigned char>(byte)));
  }
  info->data = nullptr;
  info->convert = nullptr;
  info->release = nullptr;
  return XML_STATUS_OK;
}

}  // namespace tessaline::gpx
