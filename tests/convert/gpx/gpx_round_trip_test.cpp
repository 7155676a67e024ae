// Every file under round_trip/ goes to GPX and back: a device file (name
// ending "zbx") to the device file again, a chart file to the chart files.
// Every point, value and name must come back; GPX puts waypoints first, so
// waypoints and tracks are compared apart. The GPX written on the way must
// pass the GPX 1.1 schema and survive a pass through GPSBabel.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "convert/gpx/gpx_conversions.h"
#include "formats/chart_line_reader.h"
#include "formats/device_point_line.h"
#include "formats/gpx/eight_bit_text.h"
#include "formats/number_reader.h"
#include "host/real_file_system.h"
#include "platform/path_names.h"
#include "support/fixed_clock.h"
#include "support/recording_host.h"
#include "support/temp_folder.h"

namespace tessaline::gpx {
namespace {

namespace fs = std::filesystem;
using namespace tessaline::testing;

using tessaline::testing::FixedClock;

// Names as text: a UTF-8 name comes back in Windows-1252, the same text.
// A W line's other fields (its field 2 and fields 8 on) come back as they were.
struct Point {
  double lat = 0, lon = 0;
  std::string value, name, other_fields;
  bool operator==(const Point& other) const {
    return lat == other.lat && lon == other.lon && value == other.value && name == other.name &&
           other_fields == other.other_fields;
  }
};
std::ostream& operator<<(std::ostream& out, const Point& p) {
  return out << "(" << p.lat << ", " << p.lon << ", \"" << p.value << "\", \"" << p.name << "\", \""
             << p.other_fields << "\")";
}

struct Content {
  std::vector<Point> waypoints;
  std::vector<std::vector<Point>> tracks;
};

std::vector<std::string> Lines(const std::string& path) {
  const std::string text = ReadWholeFile(path);
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find("\r\n", start), text.size());
    if (end > start) lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

double Number(std::string_view text) { return ReadAsNumber(TrimSpaces(text)).value_or(-1e300); }

// Runs of equal Group: several points a track, one a waypoint.
Content DeviceContent(const std::string& path) {
  Content content;
  std::vector<Point> run;
  double group = 0;
  auto end_run = [&] {
    if (run.size() == 1) content.waypoints.push_back(run.front());
    if (run.size() > 1) content.tracks.push_back(run);
    run.clear();
  };
  for (const std::string& line : Lines(path)) {
    DevicePointFields f;
    EXPECT_EQ(ReadDevicePointLine(line, f), DeviceLineProblem::None) << line;
    const double g = Number(f.group);
    if (!run.empty() && g != group) end_run();
    group = g;
    run.push_back({Number(f.coord1), Number(f.coord2), std::string(f.value), EightBitToUtf8(f.name), ""});
  }
  end_run();
  return content;
}

// Tracks take the name of their T line; waypoints their own.
Content ChartContent(const std::string& path) {
  Content content;
  std::string track_name;
  for (const std::string& text : Lines(path)) {
    const ChartLine line(text);
    if (line.Kind() == ChartLineKind::TrackHeader) {
      track_name = EightBitToUtf8(line.Field(1));
      content.tracks.emplace_back();
    } else if (line.Kind() == ChartLineKind::TrackPoint) {
      content.tracks.back().push_back({Number(line.Field(2)), Number(line.Field(1)), std::string(line.Field(3)), track_name, ""});
    } else if (line.Kind() == ChartLineKind::Waypoint) {
      content.waypoints.push_back({Number(line.Field(4)), Number(line.Field(3)), std::string(line.Field(5)),
                                   EightBitToUtf8(line.Field(1)),
                                   std::string(WaypointFieldTwo(text)) + std::string(WaypointFieldsFromEight(text))});
    }
  }
  return content;
}

bool ToolPresent(const std::string& tool) {
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

std::vector<fs::path> Inputs() {
  std::vector<fs::path> inputs;
  for (const auto& entry : fs::directory_iterator(TESSALINE_GPX_ROUND_TRIP)) inputs.push_back(entry.path());
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

class ThroughGpx : public ::testing::TestWithParam<fs::path> {
 protected:
  void SetUp() override {
    input_ = folder_.File(GetParam().filename().string());
    fs::copy_file(GetParam(), input_);
    device_ = input_.size() >= 3 && input_.compare(input_.size() - 3, 3, "zbx") == 0;
    const ConversionOutcome outcome = device_ ? ConvertDeviceToGpx(host_, input_) : ConvertChartToGpx(host_, input_);
    ASSERT_EQ(outcome, ConversionOutcome::Completed) << ::testing::PrintToString(host_.Messages());
    gpx_ = GpxOutputPath(input_);
  }

  // The GPX read back into the input's family.
  Content Back(const std::string& gpx) {
    FixedClock clock;
    if (device_) {
      EXPECT_EQ(ConvertGpxToDevice(host_, gpx), ConversionOutcome::Completed);
      return DeviceContent(GpxBaseName(gpx) + ".asc");
    }
    EXPECT_EQ(ConvertGpxToChart(host_, gpx, RegionalSettings::French(), clock), ConversionOutcome::Completed);
    Content content = ChartContent(GpxBaseName(gpx) + "_TRK.txt");
    content.waypoints = ChartContent(GpxBaseName(gpx) + "_WPT.txt").waypoints;
    return content;
  }
  Content Original() { return device_ ? DeviceContent(input_) : ChartContent(input_); }

  TempFolder folder_;
  RealFileSystem files_;
  RecordingHost host_{files_};
  std::string input_, gpx_;
  bool device_ = false;
};

TEST_P(ThroughGpx, KeepsEveryPointValueAndName) {
  const Content before = Original(), after = Back(gpx_);
  EXPECT_EQ(after.waypoints, before.waypoints);
  // A chart track without points has no GPX form.
  std::vector<std::vector<Point>> tracks;
  for (const auto& track : before.tracks) {
    if (!track.empty()) tracks.push_back(track);
  }
  EXPECT_EQ(after.tracks, tracks);
}

TEST_P(ThroughGpx, WritesValidGpx11) {
  const std::string schema = std::string(TESSALINE_SOURCE_DIR) + "/../shared/gpx11.xsd";
  if (!fs::exists(schema)) GTEST_SKIP() << "the GPX 1.1 schema is not at " << schema << ": validation skipped";
  if (!ToolPresent("xmllint")) GTEST_SKIP() << "xmllint (libxml2-utils) is not installed: validation skipped";
  EXPECT_EQ(std::system(("xmllint --noout --nonet --schema '" + schema + "' '" + gpx_ + "' 2>/dev/null").c_str()), 0)
      << ReadWholeFile(gpx_);
}

// GPSBabel reads what we write, and we read what it writes back: the same
// places to its 9 decimals, the same waypoint names (it keeps no foreign
// extension, so no value; it trims names and invents the empty ones).
TEST_P(ThroughGpx, GoesThroughGpsBabel) {
  if (!ToolPresent("gpsbabel")) GTEST_SKIP() << "gpsbabel is not installed";
  const std::string babel = folder_.File("babel.gpx");
  ASSERT_EQ(std::system(("gpsbabel -i gpx -f '" + gpx_ + "' -o gpx,gpxver=1.1 -F '" + babel + "'").c_str()), 0);
  const Content ours = Back(gpx_), theirs = Back(babel);
  auto places = [](const std::vector<Point>& points) {
    std::vector<std::pair<long long, long long>> out;
    for (const Point& p : points) out.emplace_back(std::llround(p.lat * 1e7), std::llround(p.lon * 1e7));
    return out;
  };
  EXPECT_EQ(places(theirs.waypoints), places(ours.waypoints));
  ASSERT_EQ(theirs.tracks.size(), ours.tracks.size());
  for (std::size_t i = 0; i < ours.tracks.size(); ++i) {
    EXPECT_EQ(places(theirs.tracks[i]), places(ours.tracks[i]));
  }
  for (std::size_t i = 0; i < ours.waypoints.size() && i < theirs.waypoints.size(); ++i) {
    const std::string name(TrimSpaces(ours.waypoints[i].name));
    if (!name.empty()) {
      EXPECT_EQ(theirs.waypoints[i].name, name);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Files, ThroughGpx, ::testing::ValuesIn(Inputs()),
                         [](const ::testing::TestParamInfo<fs::path>& info) {
                           std::string name = info.param.filename().string();
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace tessaline::gpx
