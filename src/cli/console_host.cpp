#include "cli/console_host.h"

#include <charconv>

#include "cli/cli_options.h"
#include "platform/path_names.h"
#include "platform/utf8.h"

namespace tessaline::cli {

namespace {

// Percentages change at most a hundred times a step, but in steps with two
// of them every pair would be a redraw; a few a second are all an eye needs.
constexpr auto kRedrawInterval = std::chrono::milliseconds(50);

std::size_t ColumnsOf(std::string_view text) {
  std::size_t columns = 0;
  for (char c : text) {
    if (!IsUtf8Continuation(c)) ++columns;
  }
  return columns;
}

// The first `columns` characters of `text`.
std::string_view CutToColumns(std::string_view text, std::size_t columns) {
  std::size_t seen = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsUtf8Continuation(text[i])) continue;
    if (seen == columns) return text.substr(0, i);
    ++seen;
  }
  return text;
}

}  // namespace

ConsoleHost::ConsoleHost(FileSystem& files, TextSink& out, TextSink& err, ConsoleHostOptions options)
    : files_(files),
      out_(out),
      err_(err),
      options_(options),
      progress_(options.show_progress && !options.quiet) {}

void ConsoleHost::BeginFile(const std::string& path) {
  EraseProgress();
  path_ = path;
  file_name_ = FileNameOfPath(path);
  step_.clear();
  main_.clear();
  inner_.clear();
}

void ConsoleHost::EndFile() { EraseProgress(); }

void ConsoleHost::SetStepText(const std::string& text) { Update(step_, text, true); }
void ConsoleHost::SetMainPercentage(const std::string& text) { Update(main_, text, false); }
void ConsoleHost::SetInnerPercentage(const std::string& text) { Update(inner_, text, false); }

void ConsoleHost::MarkStepFinished(int) {}

void ConsoleHost::ShowCompletion(const std::string& caption, const ConversionNotes& notes) {
  EraseProgress();
  if (options_.quiet) return;
  WriteWarnings(notes);
  std::string lines = Joined({OneLine(caption), "\n"});
  if (!notes.summary.empty()) lines += Joined({OneLine(notes.summary), "\n"});
  out_.Write(lines);
}

void ConsoleHost::ShowMessage(const std::string& text, MessageIcon, const ConversionNotes& notes) {
  EraseProgress();
  if (!options_.quiet) WriteWarnings(notes);
  std::string line = Joined({kProgramName, ": ", OneLine(path_), ": ", OneLine(text)});
  if (!notes.reason.empty()) line += Joined({" : ", OneLine(notes.reason)});
  line += "\n";
  err_.Write(line);
}

void ConsoleHost::WriteWarnings(const ConversionNotes& notes) {
  for (const ConversionWarning& warning : notes.warnings) {
    char line_digits[24];
    const auto end = std::to_chars(line_digits, line_digits + sizeof line_digits, warning.first_line);
    err_.Write(Joined({kProgramName, ": ", OneLine(warning.file), ":",
                       std::string_view(line_digits, static_cast<std::size_t>(end.ptr - line_digits)),
                       ": avertissement : ", OneLine(warning.text), "\n"}));
  }
}

bool ConsoleHost::Yield() { return StopRequested(); }

void ConsoleHost::Update(std::string& field, const std::string& text, bool always_draw) {
  // Called once per line: without a terminal to draw on, this is all it costs.
  if (!progress_ || field == text) return;
  field = text;
  if (step_.empty()) return;
  const auto now = std::chrono::steady_clock::now();
  if (!always_draw && drawn_columns_ != 0 && now - last_draw_ < kRedrawInterval) return;
  last_draw_ = now;
  DrawProgress();
}

void ConsoleHost::DrawProgress() {
  std::string line = Joined({OneLine(file_name_), ": ", OneLine(step_)});
  if (!main_.empty()) line += Joined({"  ", OneLine(main_)});
  if (!inner_.empty()) line += Joined({"  ", OneLine(inner_)});
  // One column short of the width: a line that fills the terminal wraps on
  // some of them, and the carriage return would then redraw only its end.
  const std::size_t width = options_.columns > 1 ? static_cast<std::size_t>(options_.columns - 1) : 1;
  line = std::string(CutToColumns(line, width));
  const std::size_t columns = ColumnsOf(line);
  std::string redraw = Joined({"\r", line});
  if (columns < drawn_columns_) redraw.append(drawn_columns_ - columns, ' ');
  err_.Write(redraw);
  drawn_columns_ = std::max(columns, drawn_columns_);
}

void ConsoleHost::EraseProgress() {
  if (drawn_columns_ == 0) return;
  err_.Write(Joined({"\r", std::string(drawn_columns_, ' '), "\r"}));
  drawn_columns_ = 0;
}

}  // namespace tessaline::cli
