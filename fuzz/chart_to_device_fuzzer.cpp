// A whole chart-to-device run on the fuzzer's bytes as a chart exchange
// file, through the real file system in a scratch folder. Any content is a
// track or a waypoint file, so every run must complete; the device file it
// writes is compared byte for byte with one worked out here from the line
// rules alone (kinds by field 0, the fewest fields, the name of the last
// track header, the value's decimal comma made a point).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "convert/chart_to_device/chart_to_device_converter.h"
#include "fuzz_support.h"
#include "host/real_file_system.h"
#include "support/recording_host.h"

namespace {

using namespace tessaline;
using namespace tessaline::fuzz;

void AppendDevice(std::string& out, std::string_view coord1, std::string_view coord2,
                  std::string_view value, std::string_view name) {
  out.append(coord1).append(",").append(coord2).append(",");
  for (char c : value) out += c == ',' ? '.' : c;
  out.append(",\"").append(name).append("\"\r\n");
}

std::string ExpectedDeviceText(std::string_view content) {
  const std::vector<std::string_view> lines = SplitLines(content);
  std::vector<std::vector<std::string_view>> split;
  bool track_file = false;
  for (std::string_view line : lines) {
    split.push_back(SplitAt(line, ';'));
    if (split.back()[0] == "T") track_file = true;
  }
  // One position past the last field reads as empty; further ones do not exist.
  auto field = [](const std::vector<std::string_view>& f, std::size_t n) {
    return n < f.size() ? f[n] : std::string_view();
  };
  std::string out;
  bool in_track = false;
  std::string_view name;
  for (const std::vector<std::string_view>& f : split) {
    if (track_file) {
      if (f[0] == "T") {
        in_track = true;
        name = field(f, 1);
      } else if (f[0] == "P" && in_track && f.size() + 1 > 3) {
        AppendDevice(out, field(f, 2), field(f, 1), field(f, 3), name);
      }
    } else if (f[0] == "W" && f.size() + 1 > 5) {
      AppendDevice(out, field(f, 4), field(f, 3), field(f, 5), field(f, 1));
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string folder = ScratchFolder();
  const std::string content(reinterpret_cast<const char*>(data), size);
  // The name plays no part in the conversion; both usual ones are tried.
  const std::string base = folder + (size % 2 ? "/in_WPT" : "/in_TRK");
  const std::string input = base + ".txt";
  const std::string output = base + ".asc";
  WriteWhole(input, content);
  unlink(output.c_str());

  RealFileSystem files;
  RecordingHost host(files);
  // Every line kept: the line rules are what is checked here, not the fit
  // to the device.
  const ConversionOutcome outcome = ConvertChartToDevice(host, input, PointBudget{});

  std::string after;
  Check(ReadWhole(input, after) && after == content, "the input was changed");
  if (StartsWithByteOrderMark(content)) return 0;
  Check(outcome == ConversionOutcome::Completed, "a readable chart file did not convert");
  Check(host.Messages().empty(), "a completed run showed a message");
  for (bool finished : host.step_finished) Check(finished, "a step indicator is not green");
  Check(host.main_percentage == "100 %" && host.inner_percentage == "100%", "final percentages");

  // Step 3's percentages only grow and stay within 0-100.
  int last = -1;
  bool in_step3 = false;
  for (const std::string& event : host.Events()) {
    const std::string_view text = event;
    if (text.substr(0, 7) == "status:") in_step3 = text == "status:Etape N°3: Mise en buffer";
    if (text.substr(0, 5) != "main:" || text == "main:100 %") continue;
    Check(IsPercentageText(text.substr(5)), "bad percentage", text);
    Check(in_step3, "a percentage outside step 3", text);
    int value = 0;
    for (char c : text.substr(5, text.size() - 6)) value = value * 10 + (c - '0');
    Check(value > last, "a percentage shown twice or going back", text);
    last = value;
  }

  std::string written;
  Check(ReadWhole(output, written), "no device file written");
  const std::string expected = ExpectedDeviceText(content);
  Check(written == expected || written == expected + "\r\n", "the device file differs from the line rules",
        written);
  return 0;
}
