#include "platform/single_byte_charset_name.h"

namespace tessaline::platform {

namespace {

std::string Lower(std::string_view text) {
  std::string lower;
  for (char c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    // "ISO_8859-1", "ISO 8859-1" and "ISO8859-1" all name the same set.
    if (c == '_' || c == ' ') c = '-';
    lower += c;
  }
  return lower;
}

bool Number(std::string_view digits, int& number) {
  if (digits.empty() || digits.size() > 2) return false;
  number = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
  }
  return true;
}

bool Take(std::string_view& text, std::string_view prefix) {
  if (text.substr(0, prefix.size()) != prefix) return false;
  text.remove_prefix(prefix.size());
  return true;
}

}  // namespace

bool ParseCharsetName(std::string_view name, CharsetName& parsed) {
  const std::string lower = Lower(name);
  std::string_view text = lower;
  int number = 0;
  if (Take(text, "iso-8859-") || Take(text, "iso8859-")) {
    if (!Number(text, number) || number < 1 || number > 16 || number == 12) return false;
    parsed = {CharsetFamily::Iso8859, number, 0};
    return true;
  }
  if (Take(text, "windows-125") || Take(text, "cp125") || Take(text, "x-cp125")) {
    if (text.size() != 1 || !Number(text, number) || number > 8) return false;
    parsed = {CharsetFamily::Windows, number, 0};
    return true;
  }
  if (Take(text, "koi8-")) {
    if (text != "r" && text != "u") return false;
    parsed = {CharsetFamily::Koi8, 0, static_cast<char>(text[0] - 'a' + 'A')};
    return true;
  }
  return false;
}

}  // namespace tessaline::platform
