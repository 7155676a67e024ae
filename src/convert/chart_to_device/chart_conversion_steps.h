#pragma once
// What the track and the waypoint conversions share: the reading passes over
// the input, the checks that the input is still the file step 1 examined,
// and steps 2 to 4 with the completion. The two conversions differ only in
// the rule that turns a chart line into a device line.

#include <cstdint>
#include <string>
#include <string_view>

#include "convert/conversion_outcome.h"
#include "convert/messages.h"
#include "formats/device_line_writer.h"
#include "formats/line_reader.h"
#include "host/host.h"

namespace tessaline::chart_to_device {


// The input as step 1 found it. The input is read three times; a file that
// is replaced, grows or shrinks in between would give a device file that
// matches none of its versions, so every pass checks it against this.
struct ChartInput {
  std::string path;
  FileIdentity identity;
  std::uint64_t length = 0;
};

// The input's base name + ".asc".
std::string DeviceOutputPath(const std::string& input_path);

// Shows the error message; the panel stays as it is.
ConversionOutcome Fail(Host& host);

// Whether `path` still names the same regular file of the same length.
bool StillSameInput(FileSystem& files, const ChartInput& input);

// Whether writing `output_path` could replace the input: the same file under
// another name (a path ending in ".asc", "x.ASC" on a case-insensitive file
// system, a link), or an existing output whose identity cannot be told.
bool OutputWouldReplaceInput(FileSystem& files, const std::string& output_path,
                             const FileIdentity& input);

enum class PassEnd { Finished, Stopped, Failed };

// Reads the input line by line, yielding to the host once per line before
// handing the line to `on_line`, which returns false to end the pass early.
// A pass that reaches the end must have read exactly the bytes of the file.
template <typename OnLine>
PassEnd ReadInputLines(Host& host, const ChartInput& input, OnLine&& on_line) {
  FileSystem& files = host.Files();
  if (!StillSameInput(files, input)) return PassEnd::Failed;
  auto stream = files.OpenRead(input.path);
  if (!stream) return PassEnd::Failed;
  LineReader reader(*stream);
  std::string_view line;
  while (reader.Next(line)) {
    if (host.Yield()) return PassEnd::Stopped;
    if (!on_line(line)) return PassEnd::Finished;
  }
  if (reader.Failed() || reader.BytesConsumed() != input.length) return PassEnd::Failed;
  stream.reset();
  return StillSameInput(files, input) ? PassEnd::Finished : PassEnd::Failed;
}

// The outcome of a pass that did not finish.
inline ConversionOutcome Unfinished(Host& host, PassEnd end) {
  return end == PassEnd::Stopped ? ConversionOutcome::Stopped : Fail(host);
}

// lblFichiers during step 3: only a changed text goes to the host, since the
// host call may cost far more than the line.
class LinePercentage {
 public:
  explicit LinePercentage(Host& host) : host_(host) {}
  void Show(std::uint64_t line_number, std::uint64_t line_total);

 private:
  Host& host_;
  int shown_ = -1;
};

// Step 4's writing and the completion.
ConversionOutcome SaveAndComplete(Host& host, const ChartInput& input, std::string_view output);

// Steps 2 to 4 and the completion. `Rule` is default-constructible, starts
// afresh for each pass, and has
//   bool Take(std::string_view line, DevicePointTexts& point)
// which answers whether `line` gives a device line, and which one.
template <typename Rule>
ConversionOutcome ConvertChartLines(Host& host, const ChartInput& input) {
  host.MarkStepFinished(1);
  host.SetStepText(messages::kChartToDeviceStep2);
  // Counting; it also measures the output, so that the buffer is allocated
  // once at its final size.
  std::uint64_t line_total = 0;
  std::uint64_t output_size = 0;
  {
    Rule rule;
    DevicePointTexts point;
    const PassEnd end = ReadInputLines(host, input, [&](std::string_view line) {
      ++line_total;
      if (rule.Take(line, point)) output_size += DeviceLineSize(point);
      return true;
    });
    if (end != PassEnd::Finished) return Unfinished(host, end);
  }

  host.MarkStepFinished(2);
  host.SetStepText(messages::kChartToDeviceStep3);
  std::string output;
  output.reserve(static_cast<std::size_t>(output_size));
  std::uint64_t line_number = 0;
  {
    Rule rule;
    DevicePointTexts point;
    LinePercentage percentage(host);
    const PassEnd end = ReadInputLines(host, input, [&](std::string_view line) {
      ++line_number;
      percentage.Show(line_number, line_total);
      if (rule.Take(line, point)) AppendDeviceLine(output, point);
      return true;
    });
    if (end != PassEnd::Finished) return Unfinished(host, end);
  }
  // Same length, yet other lines: the file was rewritten in place.
  if (line_number != line_total || output.size() != output_size) return Fail(host);

  host.MarkStepFinished(3);
  host.SetStepText(messages::kChartToDeviceStep4);
  return SaveAndComplete(host, input, output);
}

}  // namespace tessaline::chart_to_device
