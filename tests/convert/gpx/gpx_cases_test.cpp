// Every folder under cases/ is one conversion: its "command" file names the
// conversion and the input ("gpx-to-device trace.gpx"), or a front end's
// request to the table of roads ("cli-c trace.gpx", "window-to-device x"),
// then perhaps the points the outputs may hold ("cli-g trace.zbx 5");
// the other files are
// copied beside each other and the conversion runs there. Each file under
// expected/ must then exist with exactly that content: the outputs, and
// report.txt (how it ended, the messages, the summary, the notes). No other
// file may appear. Adding a case is adding a folder.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>

#include "convert/roads/roads.h"
#include "formats/gpx/gpx_reader.h"
#include "convert/gpx/gpx_conversions.h"
#include "host/real_file_system.h"
#include "support/fixed_clock.h"
#include "support/recording_host.h"
#include "support/temp_folder.h"

namespace tessaline::gpx {
namespace {

namespace fs = std::filesystem;
using namespace tessaline::testing;

using tessaline::testing::FixedClock;

const char* OutcomeName(ConversionOutcome outcome) {
  switch (outcome) {
    case ConversionOutcome::Completed: return "completed";
    case ConversionOutcome::Refused: return "refused";
    case ConversionOutcome::Failed: return "failed";
    case ConversionOutcome::Stopped: return "stopped";
  }
  return "?";
}

// A front end's request, for the routes that ask the table of roads.
std::optional<Request> RequestOf(const std::string& route) {
  if (route == "window-to-device") return Request::WindowToDevice;
  if (route == "window-to-chart") return Request::DeviceToChart;
  if (route == "cli") return Request::ByFile;
  if (route == "cli-c") return Request::ToChart;
  if (route == "cli-d") return Request::ToDevice;
  if (route == "cli-g") return Request::ToGpx;
  if (route == "cli-kml") return Request::ToKml;
  if (route == "cli-kmz") return Request::ToKmz;
  return std::nullopt;
}

ConversionOutcome Convert(const std::string& route, Host& host, const std::string& path,
                          std::optional<std::uint64_t> points) {
  FixedClock clock;
  if (const std::optional<Request> request = RequestOf(route)) {
    TempFolder staging;
    Roads roads(host,
                RoadServices{RegionalSettings::French(), &clock, StagingLocation{staging.path(), "", false}, points});
    return roads.Convert(path, *request);
  }
  if (route == "gpx-to-device") return ConvertGpxToDevice(host, path);
  if (route == "gpx-to-chart") return ConvertGpxToChart(host, path, RegionalSettings::French(), clock);
  if (route == "device-to-gpx") return ConvertDeviceToGpx(host, path);
  if (route == "chart-to-gpx") return ConvertChartToGpx(host, path);
  ADD_FAILURE() << "unknown conversion " << route;
  return ConversionOutcome::Failed;
}

// How it ended, the messages, then the notes: reason, summary, warnings.
std::string Report(ConversionOutcome outcome, const RecordingHost& host) {
  std::ostringstream text;
  text << "outcome: " << OutcomeName(outcome) << "\n";
  for (const std::string& message : host.Messages()) text << message << "\n";
  for (const ConversionNotes& notes : host.notes) {
    if (!notes.reason.empty()) text << "reason: " << notes.reason << "\n";
    if (!notes.summary.empty()) text << "summary: " << notes.summary << "\n";
    for (const ConversionWarning& warning : notes.warnings) {
      text << "warning line " << warning.first_line << ": " << warning.text << "\n";
    }
  }
  return text.str();
}

std::vector<fs::path> Cases() {
  std::vector<fs::path> cases;
  for (const auto& entry : fs::directory_iterator(TESSALINE_GPX_CASES)) cases.push_back(entry.path());
  std::sort(cases.begin(), cases.end());
  return cases;
}

class GpxCase : public ::testing::TestWithParam<fs::path> {};

class IgnoringSink final : public GpxSink {
 public:
  void BeginRun(RunKind, std::string_view) override {}
  bool Point(const GpxPoint&) override { return true; }
  void EndRun(RunKind, std::uint64_t) override {}
  void PointSkipped(std::uint64_t) override {}
};

// Why the KML at `path` does not pass the KML 2.2 schema with Google's
// extension; empty when it does, or when xmllint or the schema is missing.
std::string KmlInvalid(const std::string& path) {
  const std::string schema = TESSALINE_KML_SCHEMA;
  if (schema.empty() || std::system("xmllint --version >/dev/null 2>&1") != 0) return "";
  const std::string command = "xmllint --noout --nonet --schema '" + schema + "' '" + path + "' 2>&1";
  return std::system((command + " >/dev/null").c_str()) == 0 ? "" : "not valid KML: " + command;
}

// Why the KMZ at `path` is no sound zip archive holding a valid doc.kml;
// empty when it is, or when unzip is missing.
std::string KmzInvalid(const std::string& path) {
  if (std::system("unzip -v >/dev/null 2>&1") != 0) return "";
  if (std::system(("unzip -tq '" + path + "' >/dev/null 2>&1").c_str()) != 0) return "unzip -t fails on " + path;
  const std::string document = path + ".doc.kml";
  if (std::system(("unzip -p '" + path + "' doc.kml > '" + document + "'").c_str()) != 0) return "no doc.kml in " + path;
  std::string invalid = KmlInvalid(document);
  fs::remove(document);
  return invalid;
}

// Why the GPX at `path` cannot be read back; empty when it can.
std::string ReadBack(FileSystem& files, const std::string& path) {
  auto input = files.OpenRead(path);
  if (!input) return "cannot open";
  IgnoringSink sink;
  const GpxReadResult read = ReadGpx(**input, sink);
  return read.end == GpxReadEnd::Finished ? "" : "not read back: " + read.reason;
}

TEST_P(GpxCase, GivesTheExpectedFilesAndReport) {
  const fs::path source = GetParam();
  std::string route, input;
  std::uint64_t points = 0;
  std::istringstream(ReadWholeFile((source / "command").string())) >> route >> input >> points;
  TempFolder folder;
  std::set<std::string> allowed;
  for (const auto& entry : fs::directory_iterator(source)) {
    const std::string name = entry.path().filename().string();
    if (name == "command" || name == "expected") continue;
    fs::copy_file(entry.path(), folder.File(name));
    allowed.insert(name);
  }
  RealFileSystem files;
  RecordingHost host(files);
  const ConversionOutcome outcome =
      Convert(route, host, folder.File(input), points > 0 ? std::optional<std::uint64_t>(points) : std::nullopt);
  const std::string produced = Report(outcome, host);
  WriteWholeFile(folder.File("report.txt"), produced);

  // TESSALINE_GPX_BLESS=1 writes what came out as the expected files, to be
  // read through before they are committed.
  if (std::getenv("TESSALINE_GPX_BLESS") != nullptr) {
    fs::create_directories(source / "expected");
    for (const auto& entry : fs::directory_iterator(folder.path())) {
      const std::string name = entry.path().filename().string();
      if (!allowed.count(name)) fs::copy_file(entry.path(), source / "expected" / name, fs::copy_options::overwrite_existing);
    }
  }
  for (const auto& entry : fs::directory_iterator(source / "expected")) {
    const std::string name = entry.path().filename().string();
    allowed.insert(name);
    EXPECT_EQ(ReadWholeFile(folder.File(name)), ReadWholeFile(entry.path().string()))
        << source.filename() << ": " << name;
  }
  for (const auto& entry : fs::directory_iterator(folder.path())) {
    EXPECT_TRUE(allowed.count(entry.path().filename().string()))
        << source.filename() << ": unexpected file " << entry.path().filename();
    // Whatever GPX the program writes, it reads back.
    if (entry.path().extension() == ".gpx" && !fs::exists(source / entry.path().filename())) {
      EXPECT_EQ(ReadBack(files, entry.path().string()), "") << source.filename() << ": " << entry.path().filename();
    }
    if (entry.path().extension() == ".kml" && !fs::exists(source / entry.path().filename())) {
      EXPECT_EQ(KmlInvalid(entry.path().string()), "") << source.filename();
    }
    if (entry.path().extension() == ".kmz" && !fs::exists(source / entry.path().filename())) {
      EXPECT_EQ(KmzInvalid(entry.path().string()), "") << source.filename();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, GpxCase, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<fs::path>& info) {
                           std::string name = info.param.filename().string();
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace tessaline::gpx

namespace tessaline::gpx {
namespace {

// Past 32,767 runs the numbering starts again at 1 (never 0, never twice in
// a row), and past 32,766 lines (a budget chosen above the device's) the
// file is one the device cannot read back. Within the device's own budget
// the waypoints cannot all be kept: nothing is written.
TEST(GpxToDevice, GroupsWrapAndTooManyLinesAreNoted) {
  std::string gpx = "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\">\n";
  for (int i = 0; i < 32768; ++i) gpx += "<wpt lat=\"1\" lon=\"2\"/>\n";
  gpx += "</gpx>\n";
  testing::TempFolder folder;
  testing::WriteWholeFile(folder.File("many.gpx"), gpx);
  RealFileSystem files;
  RecordingHost host(files);
  EXPECT_EQ(ConvertGpxToDevice(host, folder.File("many.gpx")), ConversionOutcome::Failed);
  EXPECT_FALSE(fs::exists(folder.File("many.asc")));
  host.notes.clear();
  ASSERT_EQ(ConvertGpxToDevice(host, folder.File("many.gpx"), PointBudget::ForDevice(40000)),
            ConversionOutcome::Completed);
  const std::string device = testing::ReadWholeFile(folder.File("many.asc"));
  const std::string line = "1.000000000000000,2.000000000000000,-9999,\"\",";
  EXPECT_EQ(device.substr(device.size() - (2 * line.size() + 10)),
            line + "32767\r\n" + line + "1\r\n");
  ASSERT_EQ(host.notes.size(), 1u);
  // The 32,767th and 32,768th points, after the root's line.
  EXPECT_EQ(host.notes[0].warnings,
            (std::vector<ConversionWarning>{{folder.File("many.gpx"), 32768,
                                             "2 lignes au-delà de 32 766 (ni l'appareil ni ce programme ne "
                                             "relisent le fichier)"}}));
  EXPECT_EQ(host.notes[0].summary, "0 trace (0 point), 32768 waypoints");
}

}  // namespace
}  // namespace tessaline::gpx

namespace tessaline::gpx {
namespace {

// A stop asked in the middle of the points (a throw from inside Expat's
// callbacks) ends the conversion cleanly: nothing shown, nothing written.
TEST(GpxToDevice, AStopInTheMiddleLeavesNothingBehind) {
  testing::TempFolder folder;
  testing::WriteWholeFile(folder.File("a.gpx"),
                          "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\"><wpt lat=\"1\" lon=\"2\"/>"
                          "<wpt lat=\"3\" lon=\"4\"/><wpt lat=\"5\" lon=\"6\"/></gpx>");
  RealFileSystem files;
  RecordingHost host(files);
  host.StopAtYield(2);
  EXPECT_EQ(ConvertGpxToDevice(host, folder.File("a.gpx")), ConversionOutcome::Stopped);
  EXPECT_TRUE(host.Messages().empty());
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace tessaline::gpx

namespace tessaline::gpx {
namespace {

// Every file under detect/ starts as XML, and so takes the GPX road (or
// KML's, when its name says kml), when its name starts with "yes_", and
// not when it starts with "no_", whatever its extension.
TEST(ContentOf, TheContentDecidesNotTheName) {
  RealFileSystem files;
  for (const auto& entry : fs::directory_iterator(TESSALINE_GPX_DETECT)) {
    const std::string name = entry.path().filename().string();
    const InputContent content = ContentOf(files, entry.path().string());
    const bool kml = name.find("kml") != std::string::npos;
    EXPECT_EQ(content == (kml ? InputContent::Kml : InputContent::Xml), name.rfind("yes_", 0) == 0) << name;
  }
  EXPECT_EQ(ContentOf(files, TESSALINE_GPX_DETECT), InputContent::Unreadable);  // a folder
  EXPECT_EQ(ContentOf(files, ""), InputContent::Unreadable);
}

}  // namespace
}  // namespace tessaline::gpx
