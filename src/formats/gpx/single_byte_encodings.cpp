#include "formats/gpx/single_byte_encodings.h"

#include <array>
#include <string_view>

#include "formats/gpx/eight_bit_text.h"
#include "platform/single_byte_charset.h"

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

int XMLCALL SingleByteEncodingHandler(void* unread_name, const XML_Char* name, XML_Encoding* info) {
  const std::string_view encoding(name);
  std::array<int, 256> characters{};
  if (SameIgnoringCase(encoding, "windows-1252") || SameIgnoringCase(encoding, "cp1252")) {
    // Our own table: it also gives the five bytes Windows-1252 leaves
    // undefined, as Windows itself reads them.
    for (int byte = 0; byte < 256; ++byte) {
      characters[static_cast<std::size_t>(byte)] =
          static_cast<int>(Windows1252Character(static_cast<unsigned char>(byte)));
    }
  } else if (!platform::SingleByteCharset(encoding, characters)) {
    if (unread_name != nullptr) static_cast<std::string*>(unread_name)->assign(encoding);
    return XML_STATUS_ERROR;
  }
  for (std::size_t byte = 0; byte < characters.size(); ++byte) info->map[byte] = characters[byte];
  info->data = nullptr;
  info->convert = nullptr;
  info->release = nullptr;
  return XML_STATUS_OK;
}

}  // namespace tessaline::gpx
