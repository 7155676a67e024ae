#pragma once
// What the track and the waypoint conversions share: the reading passes over
// the input, the checks that the input is still the file step 1 examined,
// and steps 2 to 4 with the completion. The two conversions differ only in
// the rule that turns a chart line into a device line. Failures are thrown
// as ConversionFailure to the one end of the conversion (conversion_end.h).

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>
#include <string>
#include <string_view>

#include "convert/conversion_end.h"
#include "convert/conversion_failure.h"
#include "convert/input_file.h"
#include "convert/input_text.h"
#include "host/conversion_report.h"
#include "convert/messages.h"
#include "convert/output_guard.h"
#include "convert/progress_pacer.h"
#include "convert/split_parts.h"
#include "convert/streamed_output.h"
#include "convert/track_budget.h"
#include "formats/chart_line_reader.h"
#include "formats/device_line_writer.h"
#include "formats/line_reader.h"
#include "host/host.h"
#include "host/replace_file.h"

namespace tessaline::chart_to_device {

// The input as step 1 found it. The input is read three times; a file that
// is replaced, grows or shrinks in between would give a device file that
// matches none of its versions, so every pass checks it against this.
struct ChartInput {
  std::string path;
  FileIdentity identity;
  std::uint64_t length = 0;
  PointBudget budget;  // the points the device file may hold
  std::string output;  // the device file
  std::vector<std::string>* parts = nullptr;  // receives the parts' paths of an output cut (may be null)
};

// The input's base name + ".asc".
std::string DeviceOutputPath(const std::string& input_path);

// Reads the input line by line, yielding to the host once per line before
// handing the line to `on_line`, which returns false to end the pass early.
// A pass that reaches the end must have read exactly the bytes of the file
// (OpenWholeInput). `report` receives the notes of the reading; null for a
// pass that tells nothing.
template <typename OnLine>
void ReadInputLines(Host& host, const ChartInput& input, ConversionReport* report, OnLine&& on_line) {
  FileSystem& files = host.Files();
  const auto stream = OpenWholeInput(files, input.path, InputFile{input.identity, input.length});
  InputText text(*stream, input.path, files, true, report);
  std::string_view line;
  while (text.Next(line)) {
    YieldOrStop(host);
    if (!on_line(line)) return;
  }
}

// Steps 3 and 4 of an output too long for its budget, cut into parts
// (split_parts.h): each part goes to its temporary file as it is made, and
// all of them replace their targets together at the end. Device lines name
// no run, so a part is only its lines.
template <typename Rule>
void ConvertChartLinesInParts(Host& host, const ChartInput& input, std::uint64_t line_total,
                              std::uint64_t waypoints, ConversionReport& report) {
  // A waypoint file holds nothing else: more of them than a part holds
  // fails here, and a file that gets past this has tracks only.
  PartCutter cutter(*input.budget.points, waypoints);
  host.MarkStepFinished(2);
  host.SetStepText(messages::kChartToDeviceStep3);
  Rule rule;
  std::vector<std::unique_ptr<StreamedOutput>> parts;
  auto open_part = [&] {
    if (!parts.empty()) parts.back()->Settle();
    parts.push_back(std::make_unique<StreamedOutput>(host.Files(), PartPath(input.output, parts.size() + 1), true,
                                                     input.identity.permissions));
  };
  open_part();
  std::uint64_t line_number = 0, device_lines = 0, track = 0, part_lines = 0;
  std::string last;  // the line of the point before, which a new part may start with
  DevicePointTexts point;
  ProgressPacer percentage(host, ProgressPacer::Label::Main);
  percentage.Restart(line_total);
  ReadInputLines(host, input, &report, [&](std::string_view line) {
    percentage.At(++line_number);
    const bool taken = rule.Take(line, point);
    if (taken) {
      const PartCutter::Place place = cutter.TrackPoint(rule.Track() != track);
      track = rule.Track();
      if (place != PartCutter::Place::Here) {
        open_part();
        part_lines = 0;
      }
      if (place == PartCutter::Place::NewPartOverlap) {
        parts.back()->text += last;
        ++part_lines;
      }
      // A budget chosen above the device's limit: each part says where it
      // goes past it.
      if (++part_lines > kDeviceLineLimit) report.Warn(messages::kTooManyDeviceLines, line_number);
      const std::size_t begin = parts.back()->text.size();
      AppendDeviceLine(parts.back()->text, point);
      last.assign(parts.back()->text, begin, std::string::npos);
      ++device_lines;
    }
    rule.NoteLosses(line, taken, line_number, report);
    parts.back()->Flow();
    return true;
  });
  if (line_number != line_total) throw ConversionFailure::OfFile(input.path, messages::kInputChanged);

  host.MarkStepFinished(3);
  host.SetStepText(messages::kChartToDeviceStep4);
  report.SetSummary(rule.Summary(device_lines));
  ReportParts(host.Files(), input.output, parts.size(), report);
  std::vector<StreamedOutput*> outputs;
  for (const auto& part : parts) outputs.push_back(part.get());
  ReplaceStreamedOutputs(host.Files(), outputs, input.identity);
  if (input.parts != nullptr) {
    for (const StreamedOutput* part : outputs) input.parts->push_back(part->Path());
  }
  CompleteConversion(host, input.path, report);
}

// Steps 2 to 4 and the completion. `Rule` is default-constructible, starts
// afresh for each pass, and has
//   static constexpr ChartLineKind kPointKind
// the kind of the lines that may give a device line;
//   bool Take(std::string_view line, DevicePointTexts& point)
// which answers whether `line` gives a device line, and which one;
//   void NoteLosses(std::string_view line, bool taken, std::uint64_t line_number,
//                   ConversionReport& report)
// which warns of what the line loses;
//   std::uint64_t Track() const
// the track the last line taken belongs to (numbered from 1; 0: a waypoint);
// and
//   ConversionSummary Summary(std::uint64_t device_lines) const.
template <typename Rule>
void ConvertChartLines(Host& host, const ChartInput& input, ConversionReport& report) {
  host.MarkStepFinished(1);
  host.SetStepText(messages::kChartToDeviceStep2);
  // Counting the lines, for the percentage, and those that may give a
  // point: no more points than these can come, which tells whether the
  // tracks may need a reduction. Only the line's kind is looked at.
  std::uint64_t line_total = 0;
  std::uint64_t candidates = 0;
  // A split needs the points themselves: an output that fits is written
  // whole, under its own name.
  const bool may_split = input.budget.Splits();
  std::uint64_t points = 0, waypoints = 0;
  {
    Rule counted;
    DevicePointTexts point;
    ReadInputLines(host, input, nullptr, [&](std::string_view line) {
      ++line_total;
      if (KindOfChartLine(line) == Rule::kPointKind) ++candidates;
      if (may_split && counted.Take(line, point)) {
        ++points;
        if (counted.Track() == 0) ++waypoints;
      }
      return true;
    });
  }
  if (may_split && points > *input.budget.points) {
    ConvertChartLinesInParts<Rule>(host, input, line_total, waypoints, report);
    return;
  }

  host.MarkStepFinished(2);
  host.SetStepText(messages::kChartToDeviceStep3);
  std::uint64_t line_number = 0;
  std::uint64_t device_lines = 0;
  Rule rule;
  TrackBudget budget(input.budget);
  // Only a file that may hold more points than its budget keeps them for
  // the reduction (and its output whole in memory); any other output goes
  // to its temporary file as it is made, in blocks, so that the memory used
  // does not grow with the file.
  budget.ExpectAtMost(candidates);
  StreamedOutput output(host.Files(), input.output, !budget.Recording(), input.identity.permissions);
  // A whole output is about the input's size (pages never written are never
  // used); a streamed one holds a block.
  const std::uint64_t room = output.Streaming() ? StreamedOutput::kBlock + 4096
                                                : std::min<std::uint64_t>(input.length, std::uint64_t{4} << 30);
  output.text.reserve(static_cast<std::size_t>(room));
  std::uint64_t candidates_seen = 0;
  std::uint64_t budget_track = 0;
  std::uint64_t empty_lines = 0, first_empty_line = 0;
  {
    DevicePointTexts point;
    // Line number / line total * 100 in that order, then the whole part:
    // line 29 of 100 shows 28%. The line total is a 64-bit count, so a
    // long file never goes past 100%.
    ProgressPacer percentage(host, ProgressPacer::Label::Main);
    percentage.Restart(line_total);
    ReadInputLines(host, input, &report, [&](std::string_view line) {
      percentage.At(++line_number);
      if (line.empty() && empty_lines++ == 0) first_empty_line = line_number;
      if (KindOfChartLine(line) == Rule::kPointKind) ++candidates_seen;
      const bool taken = rule.Take(line, point);
      if (taken) {
        const std::size_t begin = output.text.size();
        AppendDeviceLine(output.text, point);
        ++device_lines;
        if (rule.Track() == 0) {
          budget.OtherPoint(line_number);
        } else {
          if (rule.Track() != budget_track) budget.StartTrack(line_number);
          budget_track = rule.Track();
          const bool read = budget.Recording();
          budget.TrackPoint(begin, output.text.size(), read ? CoordinateOf(point.coord1) : 0.0,
                            read ? CoordinateOf(point.coord2) : 0.0, line_number);
        }
      }
      rule.NoteLosses(line, taken, line_number, report);
      output.Flow();
      return true;
    });
  }
  // Same length, yet other lines: the file was rewritten in place.
  if (line_number != line_total || candidates_seen != candidates) {
    throw ConversionFailure::OfFile(input.path, messages::kInputChanged);
  }

  // Every other line that gave nothing is warned of already.
  if (device_lines == 0) report.Warn(messages::kLineSkipped, first_empty_line, empty_lines);

  // More points than the device takes: the tracks are reduced to fit.
  budget.Fit(output.text, [&host] { YieldOrStop(host); });
  budget.WarnPastDeviceLimit(report);

  host.MarkStepFinished(3);
  host.SetStepText(messages::kChartToDeviceStep4);
  ReplaceStreamedOutputs(host.Files(), {&output}, input.identity);
  report.SetSummary(rule.Summary(device_lines));
  budget.Report(report);
  if (may_split) ReportParts(host.Files(), input.output, 0, report);
  CompleteConversion(host, input.path, report);
}

}  // namespace tessaline::chart_to_device
