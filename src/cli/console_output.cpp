#include "cli/console_output.h"

namespace tessaline::cli {

void StreamSink::Write(std::string_view text) {
  if (text.empty()) return;
  if (std::fwrite(text.data(), 1, text.size(), stream_) != text.size()) failed_ = true;
  if (std::fflush(stream_) != 0) failed_ = true;
}

std::string OneLine(std::string_view text) {
  std::string line(text);
  for (char& c : line) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = '?';
  }
  return line;
}

}  // namespace tessaline::cli

namespace tessaline::cli {

std::string Joined(std::initializer_list<std::string_view> parts) {
  std::size_t size = 0;
  for (std::string_view part : parts) size += part.size();
  std::string joined;
  joined.reserve(size);
  for (std::string_view part : parts) joined.append(part);
  return joined;
}

}  // namespace tessaline::cli
