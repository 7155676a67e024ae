#pragma once
// Where the command line writes its texts. Each Write is one whole line (or
// one redraw of the progress line) and goes out at once, so that the lines
// of several copies running side by side on one terminal or pipe never mix.
// Texts are UTF-8 bytes and are written as they are, whatever the locale.

#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>

namespace tessaline::cli {

class TextSink {
 public:
  virtual ~TextSink() = default;
  virtual void Write(std::string_view text) = 0;
  // Whether some write could not be done (a full disk, a closed pipe).
  virtual bool Failed() const = 0;
};

// A C stream, flushed after every write.
class StreamSink final : public TextSink {
 public:
  explicit StreamSink(std::FILE* stream) : stream_(stream) {}
  void Write(std::string_view text) override;
  bool Failed() const override { return failed_; }

 private:
  std::FILE* stream_;
  bool failed_ = false;
};

// Keeps everything written (tests).
class StringSink final : public TextSink {
 public:
  void Write(std::string_view text) override { text_.append(text); }
  bool Failed() const override { return false; }
  const std::string& text() const { return text_; }
  void Clear() { text_.clear(); }

 private:
  std::string text_;
};

// `text` fit for one line: control characters (a line feed or carriage
// return in a file name, an escape sequence) become "?", so that a message
// stays one line and cannot drive the terminal.
std::string OneLine(std::string_view text);

// The parts one after the other. (Chains of "text" + std::string trip a
// false -Wrestrict alarm of GCC 12 at -O3; appending does not.)
std::string Joined(std::initializer_list<std::string_view> parts);

}  // namespace tessaline::cli
