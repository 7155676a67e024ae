#pragma once
// The host of the command line. The panel becomes at most one progress line
// on stderr, redrawn in place while a terminal is watching; the completion
// caption is one line on stdout, followed by the summary of what was
// converted; every message box is one line on stderr,
// "tessaline-convert: <path as given>: <message>", followed by " : <reason>"
// when the converter gave one. Warnings go to stderr GNU style,
// "tessaline-convert: <path>:<line>: avertissement : <text>", before the
// completion or the message they belong to. --quiet keeps only the
// message lines.

#include <chrono>
#include <string>

#include "cli/console_output.h"
#include "host/host.h"

namespace tessaline::cli {

struct ConsoleHostOptions {
  bool quiet = false;          // no progress, no completion captions
  bool show_progress = false;  // stderr is a terminal
  int columns = 80;            // width of that terminal
  // Asked at every yield; true stops the conversion. Null: never.
  bool (*stop_requested)() = nullptr;
};

class ConsoleHost final : public Host {
 public:
  ConsoleHost(FileSystem& files, TextSink& out, TextSink& err, ConsoleHostOptions options);

  // Frames the conversion of one file; `path` is named in its messages.
  void BeginFile(const std::string& path);
  void EndFile();

  void SetStepText(const std::string& text) override;
  void SetMainPercentage(const std::string& text) override;
  void SetInnerPercentage(const std::string& text) override;
  void MarkStepFinished(int step) override;
  using Host::ShowCompletion;
  using Host::ShowMessage;
  void ShowCompletion(const std::string& caption, const ConversionNotes& notes) override;
  void ShowMessage(const std::string& text, MessageIcon icon, const ConversionNotes& notes) override;
  bool Yield() override;
  FileSystem& Files() override { return files_; }

  // Whether the user has asked the run to stop (between files as in a file).
  bool StopRequested() const { return options_.stop_requested != nullptr && options_.stop_requested(); }

 private:
  void Update(std::string& field, const std::string& text, bool always_draw);
  void DrawProgress();
  void EraseProgress();
  void WriteWarnings(const ConversionNotes& notes);

  FileSystem& files_;
  TextSink& out_;
  TextSink& err_;
  ConsoleHostOptions options_;
  bool progress_;

  std::string path_;
  std::string file_name_;
  std::string step_, main_, inner_;
  std::size_t drawn_columns_ = 0;  // 0: no progress line on the screen
  std::chrono::steady_clock::time_point last_draw_{};
};

}  // namespace tessaline::cli
