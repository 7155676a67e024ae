// Every folder under cases/ is one conversion of its "input.gpx" to the
// device, fitted to the points its "points" file gives (none: not fitted),
// with a picture made beside it. Its "expected.txt" is the picture: the
// view box, each line's role, each mark with where it falls, in metres east
// and north of the centre, and the scale bar; numbers must match within the
// "tolerance" its first line gives, in metres.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>

#include "convert/roads/roads.h"
#include "host/real_file_system.h"
#include "picture/picture.h"
#include "support/fixed_clock.h"
#include "support/recording_host.h"
#include "support/temp_folder.h"

namespace tessaline::picture {
namespace {

namespace fs = std::filesystem;
using namespace tessaline::testing;

const char* RoleName(LineRole role) {
  switch (role) {
    case LineRole::Original: return "original";
    case LineRole::Track: return "track";
    case LineRole::Route: return "route";
  }
  return "?";
}

const char* MarkName(MarkKind kind) {
  switch (kind) {
    case MarkKind::Start: return "start";
    case MarkKind::End: return "end";
    case MarkKind::Waypoint: return "waypoint";
    case MarkKind::LargestDeviation: return "deviation";
  }
  return "?";
}

// The picture as lines of words and numbers.
std::vector<std::string> Described(const Picture& picture) {
  std::vector<std::string> lines;
  std::ostringstream box;
  box << "box " << picture.box.min_x << ' ' << picture.box.min_y << ' ' << picture.box.max_x << ' ' << picture.box.max_y;
  lines.push_back(box.str());
  for (const Polyline& line : picture.lines) lines.push_back(std::string("line ") + RoleName(line.role));
  for (const Mark& mark : picture.marks) {
    std::ostringstream text;
    text << "mark " << MarkName(mark.kind) << ' ' << mark.at.x << ' ' << mark.at.y;
    if (mark.kind == MarkKind::LargestDeviation) text << ' ' << mark.metres;
    if (!mark.name.empty()) text << ' ' << mark.name;
    lines.push_back(text.str());
  }
  std::ostringstream scale;
  scale << "scale " << picture.scale.label << ' ' << picture.scale.metres;
  lines.push_back(scale.str());
  return lines;
}

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

// Equal word for word, numbers within `tolerance`.
bool Matches(const std::string& expected, const std::string& actual, double tolerance) {
  const std::vector<std::string> a = Words(expected), b = Words(actual);
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char* end_a = nullptr;
    char* end_b = nullptr;
    const double x = std::strtod(a[i].c_str(), &end_a), y = std::strtod(b[i].c_str(), &end_b);
    const bool numbers = *end_a == '\0' && *end_b == '\0' && end_a != a[i].c_str();
    if (numbers ? std::fabs(x - y) > tolerance : a[i] != b[i]) return false;
  }
  return true;
}

using tessaline::testing::FixedClock;

TEST(PictureCases, EachFolderDrawsItsExpectedPicture) {
  int cases = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(TESSALINE_PICTURE_CASES)) {
    SCOPED_TRACE(entry.path().filename().string());
    ++cases;
    TempFolder folder, staging;
    const std::string input = folder.File("input.gpx");
    WriteWholeFile(input, ReadWholeFile((entry.path() / "input.gpx").string()));
    const std::string points_text = ReadWholeFile((entry.path() / "points").string());
    std::optional<std::uint64_t> points;
    if (!points_text.empty()) points = std::stoull(points_text);

    RealFileSystem files;
    RecordingHost host{files};
    FixedClock clock;
    PictureBuilder builder;
    RoadServices services{RegionalSettings::C(), &clock, {staging.path(), "", false}, points};
    services.second = &builder;
    Roads roads(host, services);
    ASSERT_EQ(roads.Convert(input, Request::ToDevice), ConversionOutcome::Completed);

    std::istringstream expected(ReadWholeFile((entry.path() / "expected.txt").string()));
    std::string first;
    std::getline(expected, first);
    const double tolerance = std::stod(Words(first).at(1));
    const std::vector<std::string> actual = Described(builder.Build());
    std::size_t at = 0;
    for (std::string line; std::getline(expected, line); ++at) {
      ASSERT_LT(at, actual.size()) << "missing: " << line;
      EXPECT_TRUE(Matches(line, actual[at], tolerance)) << "expected: " << line << "\n  actual: " << actual[at];
    }
    EXPECT_EQ(at, actual.size()) << "more than expected: " << (at < actual.size() ? actual[at] : "");
  }
  EXPECT_GE(cases, 5);
}

}  // namespace
}  // namespace tessaline::picture
