#pragma once
// What the harnesses share: a scratch folder of their own, whole-file reads
// and writes, a fixed clock, and a way to stop at the first broken promise
// so that libFuzzer keeps the input that showed it.

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"

namespace tessaline::fuzz {

// Prints what went wrong and aborts: libFuzzer then saves the input as a crash.
[[noreturn]] inline void Broken(const char* what, std::string_view detail = {}) {
  std::fprintf(stderr, "broken promise: %s\n", what);
  if (!detail.empty()) {
    std::fprintf(stderr, "  detail: %.*s\n", static_cast<int>(detail.size() > 2000 ? 2000 : detail.size()),
                 detail.data());
  }
  std::abort();
}

inline void Check(bool condition, const char* what, std::string_view detail = {}) {
  if (!condition) Broken(what, detail);
}

// A folder made once per process, in memory when the machine offers it, so
// that the thousands of runs a second do not wear a disk.
inline const std::string& ScratchFolder() {
  // Never destroyed: the exit handler that removes the folder still needs it.
  static const std::string& folder = *[] {
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    if (const char* tmp = std::getenv("TESSALINE_FUZZ_TMP")) base = tmp;
    std::string pattern = base + "/tessaline-fuzz-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) Broken("cannot make a scratch folder", base);
    return new std::string(buffer.data());
  }();
  // Removed at exit; a crash leaves it behind in the temporary folder.
  static const bool cleanup = std::atexit([] {
    const std::string command = "rm -rf '" + ScratchFolder() + "'";
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", command.c_str());
  }) == 0;
  (void)cleanup;
  return folder;
}

inline void WriteWhole(const std::string& path, std::string_view content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) Broken("cannot write a scratch file", path);
}

inline bool ReadWhole(const std::string& path, std::string& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

inline bool FileExists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// The stamp of every P line is then the same, whatever the time.
class FixedClock final : public Clock {
 public:
  LocalTime Now() override { return LocalTime{2024, 3, 9, 14, 5, 7}; }
};

// Splits at every CR LF or lone CR, the line ends of both file families; a
// last line without its end counts, an empty remainder after the last end
// does not. A lone LF stays inside its line, unless the text has no CR at
// all: a file made on Linux or macOS is read at its LFs.
inline std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  const char end = text.find('\r') == std::string_view::npos ? '\n' : '\r';
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != end) continue;
    lines.push_back(text.substr(start, i - start));
    if (end == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// Whether the text starts with the byte-order mark of UTF-8, UTF-16 or
// UTF-32: it is then decoded before the line rules see it, which the
// oracles here do not model; such inputs are checked for what holds of
// every input only.
inline bool StartsWithByteOrderMark(std::string_view text) {
  return text.substr(0, 3) == "\xEF\xBB\xBF" || text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF" ||
         text.substr(0, 4) == std::string_view("\0\0\xFE\xFF", 4);
}

// Splits at every `separator`, keeping empty pieces.
inline std::vector<std::string_view> SplitAt(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(separator, start);
    if (at == std::string_view::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, at - start));
    start = at + 1;
  }
}

// A percentage as the converters show it: "0%" to "100%", or the final "100 %".
inline bool IsPercentageText(std::string_view text) {
  if (text == "100 %") return true;
  if (text.size() < 2 || text.back() != '%') return false;
  const std::string_view digits = text.substr(0, text.size() - 1);
  if (digits.size() > 3) return false;
  int value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (digits.size() > 1 && digits[0] == '0') return false;
  return value <= 100;
}

}  // namespace tessaline::fuzz
