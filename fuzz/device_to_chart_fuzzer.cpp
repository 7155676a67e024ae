// A whole device-to-chart run on the fuzzer's bytes as a device point file:
// staging, grouping, both output files, through the real file system in a
// scratch folder. Besides crashes it checks the promises a user relies on:
// the run ends in the completion or in the one error message, exactly when
// the input breaks a reading rule; every line lands in exactly one output
// line, the runs of equal Group becoming tracks and waypoints in file order;
// no percentage leaves 0-100; the staging store is deleted after a success
// and left after a failure; no temporary file is left behind.

#include <dirent.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/device_to_chart/device_to_chart_converter.h"
#include "formats/number_reader.h"
#include "fuzz_support.h"
#include "host/real_file_system.h"
#include "support/recording_host.h"

namespace {

using namespace tessaline;
using namespace tessaline::fuzz;

constexpr std::string_view kError = "error:Erreur dans le module de conversion ZRB -> Vestamar";
constexpr std::string_view kStamp = "09/03/2024 14:05:07";
constexpr std::string_view kWaypointEnd =
    ";0;C8;WGS84;2;1;18;255;1;0;3;Arial,8,0,0,0,0;0;65535;16;0;0";

std::string_view KeptPrefix(std::string_view text, std::size_t width) {
  return text.substr(0, width < text.size() ? width : text.size());
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Whether reading `text` as a number meets a digit: blanks passed over, a
// sign and a decimal point allowed before it. A coordinate without one would
// read as 0, a point invented at 0°, so its line fails.
bool ReadsADigit(std::string_view text) {
  bool sign = false, point = false;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\n') continue;
    if (c >= '0' && c <= '9') return true;
    if ((c == '+' || c == '-') && !sign && !point) {
      sign = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return false;
}

// What the run must give, worked out from the reading rules without the
// converter's code: nullopt when it must fail, else the run lengths in file
// order (a length of 1 is a waypoint).
std::optional<std::vector<std::size_t>> ExpectedRuns(std::string_view content) {
  const std::vector<std::string_view> lines = SplitLines(content);
  if (lines.size() > 32766) return std::nullopt;  // no record number for the end record
  std::vector<std::size_t> runs;
  std::optional<double> current;
  for (std::string_view line : lines) {
    const std::vector<std::string_view> fields = SplitAt(line, ',');
    // Four fields at least, the fourth with its two enclosing characters.
    if (fields.size() < 4 || fields[3].size() < 2) return std::nullopt;
    // The number read stops at the first byte that is not ASCII, so cutting
    // the slot at its byte width reads the same as any finer cut.
    for (std::size_t f = 0; f < 2; ++f) {
      const std::string_view coordinate = Trimmed(KeptPrefix(fields[f], 20));
      if (!ReadAsNumber(coordinate) || !ReadsADigit(coordinate)) return std::nullopt;
    }
    const std::string_view group = fields.size() > 4 ? fields[4] : std::string_view();
    const std::optional<double> value = ReadAsNumber(Trimmed(KeptPrefix(group, 10)));
    if (!value) return std::nullopt;
    if (current && *current == *value) {
      ++runs.back();
      continue;
    }
    const double rounded = std::nearbyint(*value);  // ties to even in the default mode
    if (!(rounded >= -32768.0 && rounded <= 32767.0)) return std::nullopt;
    runs.push_back(1);
    current = *value;
  }
  return runs;
}

std::vector<std::string_view> SplitCrLf(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string_view::npos) {
      lines.push_back(text.substr(start));  // checked below: must not happen
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

bool IsCoordinateText(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && text[i] == '-') ++i;
  const std::size_t digits_start = i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  if (i == digits_start || i + 16 != text.size() || text[i] != '.') return false;
  for (++i; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return text.substr(0, 2) != "-0" || text.find_first_of("123456789") != std::string_view::npos;
}

// "P;" coord2 ";" coord1 ";" value ";-9999;" stamp: the value may itself hold ";".
void CheckPointLine(std::string_view line) {
  Check(line.size() > 2 && line.substr(0, 2) == "P;", "a track line is neither T nor P", line);
  std::string_view rest = line.substr(2);
  for (int c = 0; c < 2; ++c) {
    const std::size_t semicolon = rest.find(';');
    Check(semicolon != std::string_view::npos && IsCoordinateText(rest.substr(0, semicolon)),
          "a P line coordinate is not in the notation", line);
    rest.remove_prefix(semicolon + 1);
  }
  const std::string end = std::string(";-9999;") + std::string(kStamp);
  Check(rest.size() >= end.size() && rest.substr(rest.size() - end.size()) == end,
        "a P line does not end with -9999 and the stamp", line);
}

std::vector<std::string> Leftovers(const std::string& folder, std::string_view suffix) {
  std::vector<std::string> found;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return found;
  while (dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name.size() >= suffix.size() && name.substr(name.size() - suffix.size()) == suffix) {
      found.emplace_back(name);
    }
  }
  closedir(dir);
  return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string folder = ScratchFolder();
  const std::string program_folder = folder + "/program";
  static const bool made = [&] { return mkdir(program_folder.c_str(), 0755) == 0; }();
  Check(made, "cannot make the program folder");

  const std::string content(reinterpret_cast<const char*>(data), size);
  const std::string input = folder + "/in.zbx";
  const std::string tracks = folder + "/in_TRK.txt";
  const std::string waypoints = folder + "/in_WPT.txt";
  WriteWhole(input, content);
  unlink(tracks.c_str());
  unlink(waypoints.c_str());

  RealFileSystem files;
  RecordingHost host(files);
  FixedClock clock;
  const RegionalSettings regional = size % 2 ? RegionalSettings::French() : RegionalSettings::C();
  DeviceToChartConverter converter(host, regional, clock, StagingLocation{program_folder, "", false});
  const ConversionOutcome outcome = converter.ConvertDeviceToChart(input);

  const std::optional<std::vector<std::size_t>> runs = ExpectedRuns(content);
  const std::vector<std::string> messages = host.Messages();

  std::string after;
  Check(ReadWhole(input, after) && after == content, "the input was changed");
  for (const std::string& event : host.Events()) {
    const std::string_view text = event;
    if (text.substr(0, 5) == "main:") Check(IsPercentageText(text.substr(5)), "bad main percentage", text);
    if (text.substr(0, 6) == "inner:") Check(IsPercentageText(text.substr(6)), "bad inner percentage", text);
  }
  Check(Leftovers(folder, ".tmp").empty(), "a temporary output file was left behind");
  const std::vector<std::string> stores = Leftovers(program_folder, ".dat");
  const bool shared_store_left = FileExists(program_folder + "/ZRB_DB.dat");
  Check(stores.size() == (shared_store_left ? 1u : 0u), "a private staging store was made or left");
  if (StartsWithByteOrderMark(content)) return 0;

  if (!runs) {
    Check(outcome == ConversionOutcome::Failed, "an input breaking a reading rule did not fail");
    Check(messages.size() == 1 && messages[0] == kError, "a failure without its one error message");
    Check(!host.completion_shown, "a failure shows the completion");
    Check(shared_store_left, "the staging store was not left for the next run");
    return 0;
  }

  Check(outcome == ConversionOutcome::Completed, "a sound input did not convert");
  Check(messages.empty(), "a completed run showed a message");
  Check(host.completion_caption == "Traitement du fichier in.zbx terminé.", "completion caption",
        host.completion_caption);
  for (bool finished : host.step_finished) Check(finished, "a step indicator is not green");
  Check(!shared_store_left, "the staging store was not deleted after a success");

  std::string track_text, waypoint_text;
  Check(ReadWhole(tracks, track_text), "no track file");
  Check(ReadWhole(waypoints, waypoint_text), "no waypoint file");

  // The track file: each track a T line then its points, in file order.
  std::vector<std::size_t> expected_tracks;
  std::size_t expected_waypoints = 0;
  for (std::size_t length : *runs) {
    if (length > 1) expected_tracks.push_back(length);
    else ++expected_waypoints;
  }
  std::vector<std::size_t> found_tracks;
  for (std::string_view line : SplitCrLf(track_text)) {
    if (line.substr(0, 2) == "T;") {
      Check(line.size() >= 6 && line.substr(line.size() - 4) == ";1;1", "a T line's end", line);
      found_tracks.push_back(0);
      continue;
    }
    CheckPointLine(line);
    Check(!found_tracks.empty(), "a P line before any T line", line);
    ++found_tracks.back();
  }
  Check(track_text.empty() || track_text.substr(track_text.size() - 2) == "\r\n",
        "the track file does not end with CR LF");
  Check(found_tracks == expected_tracks, "the tracks are not the runs of equal Group");
  Check(converter.List1().size() == expected_tracks.size(), "List1 does not hold one entry per track");

  std::size_t found_waypoints = 0;
  for (std::string_view line : SplitCrLf(waypoint_text)) {
    Check(line.substr(0, 2) == "W;" && line.size() >= kWaypointEnd.size() &&
              line.substr(line.size() - kWaypointEnd.size()) == kWaypointEnd,
          "a waypoint line's layout", line);
    ++found_waypoints;
  }
  Check(waypoint_text.empty() || waypoint_text.substr(waypoint_text.size() - 2) == "\r\n",
        "the waypoint file does not end with CR LF");
  Check(found_waypoints == expected_waypoints, "the waypoints are not the single-point runs");
  Check(converter.List2().size() == expected_waypoints, "List2 does not hold one entry per waypoint");
  return 0;
}
