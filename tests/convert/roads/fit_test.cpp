// Tracks that fit the device, through the table of roads as a front end asks
// it: a file that fits is written as it always was, one that does not loses
// just enough track points and says how far its line moved, a budget that
// cannot be met writes nothing.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "convert/messages.h"
#include "convert/roads/roads.h"
#include "convert/track_reduction.h"
#include "formats/device_point_line.h"
#include "formats/number_reader.h"
#include "host/real_file_system.h"
#include "support/fixed_clock.h"
#include "support/recording_host.h"
#include "support/temp_folder.h"

namespace tessaline::testing {
namespace {

using tessaline::testing::FixedClock;

// A wandering track: legs, turns and a little noise.
std::vector<GeoPoint> Track(int points, double seed) {
  std::vector<GeoPoint> track;
  double lat = 47.0, lon = -4.0, heading = seed;
  for (int i = 0; i < points; ++i) {
    heading += 0.05 * std::sin(i / 37.0 + seed) + (i % 500 == 0 ? 1.3 : 0.0);
    lat += 1e-4 * std::cos(heading) + 2e-6 * std::sin(i * 7.1);
    lon += 1.4e-4 * std::sin(heading);
    track.push_back({lat, lon});
  }
  return track;
}

std::string Number(double value) {
  std::ostringstream text;
  text.imbue(std::locale::classic());
  text.precision(15);
  text << value;
  return text.str();
}

std::string Gpx(const std::vector<std::vector<GeoPoint>>& tracks, int waypoints = 0) {
  std::string gpx = "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\">\n";
  for (int w = 0; w < waypoints; ++w) gpx += "<wpt lat=\"1\" lon=\"" + std::to_string(w) + "\"/>\n";
  for (const auto& track : tracks) {
    gpx += "<trk><name>T</name><trkseg>\n";
    for (const GeoPoint& p : track) gpx += "<trkpt lat=\"" + Number(p.lat) + "\" lon=\"" + Number(p.lon) + "\"/>\n";
    gpx += "</trkseg></trk>\n";
  }
  return gpx + "</gpx>\n";
}

// The points of a device file, in order.
std::vector<GeoPoint> DevicePoints(const std::string& text) {
  std::vector<GeoPoint> points;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find("\r\n", start);
    DevicePointFields f;
    EXPECT_EQ(ReadDevicePointLine(std::string_view(text).substr(start, end - start), f), DeviceLineProblem::None);
    points.push_back({*ReadAsNumber(f.coord1), *ReadAsNumber(f.coord2)});
    start = end + 2;
  }
  return points;
}

class Fit : public ::testing::Test {
 protected:
  ConversionOutcome Convert(const std::string& name, const std::string& content, Request request,
                            std::optional<std::uint64_t> points = std::nullopt) {
    WriteWholeFile(folder.File(name), content);
    Roads roads(host, RoadServices{RegionalSettings::French(), &clock, {staging.path(), "", false}, points});
    return roads.Convert(folder.File(name), request);
  }

  TempFolder folder, staging;
  RealFileSystem files;
  RecordingHost host{files};
  FixedClock clock;
};

TEST_F(Fit, AFileThatFitsIsWrittenAsIfNoBudgetExisted) {
  const std::string gpx = Gpx({Track(32766, 0.3)});
  ASSERT_EQ(Convert("fits.gpx", gpx, Request::ToDevice), ConversionOutcome::Completed);
  const std::string fitted = ReadWholeFile(folder.File("fits.asc"));
  ASSERT_EQ(Convert("fits.gpx", gpx, Request::ToDevice, 1000000), ConversionOutcome::Completed);
  EXPECT_EQ(ReadWholeFile(folder.File("fits.asc")), fitted);
  EXPECT_EQ(host.notes.back().summary, "1 trace (32766 points), 0 waypoint");
  EXPECT_TRUE(host.notes.back().warnings.empty());
}

// One point too many loses exactly one, and the error said is the one the
// written file shows, recomputed from it.
TEST_F(Fit, OnePointTooManyLosesOneAndTheErrorSaidIsTheOneWritten) {
  const std::vector<GeoPoint> track = Track(32767, 1.1);
  ASSERT_EQ(Convert("over.gpx", Gpx({track}), Request::ByFile), ConversionOutcome::Completed);
  const std::vector<GeoPoint> written = DevicePoints(ReadWholeFile(folder.File("over.asc")));
  ASSERT_EQ(written.size(), 32766u);
  std::vector<std::uint8_t> keep(track.size(), 0);
  for (std::size_t i = 0, k = 0; i < track.size() && k < written.size(); ++i) {
    if (std::abs(track[i].lat - written[k].lat) < 1e-9 && std::abs(track[i].lon - written[k].lon) < 1e-9) {
      keep[i] = 1;
      ++k;
    }
  }
  const std::vector<std::size_t> starts{0};
  const std::string error = messages::MetresText(MaxErrorOfKept(track, starts, keep), ",");
  EXPECT_EQ(host.notes.back().summary, "1 trace (32766 points sur 32767, écart max " + error + "), 0 waypoint");
  ASSERT_EQ(host.notes.back().warnings.size(), 1u);
  EXPECT_EQ(host.notes.back().warnings[0].first_line, 3u);
  EXPECT_EQ(host.notes.back().warnings[0].text, "1 trace réduite à 32766 points (écart max " + error + ")");
}

// The error said is a bound: rounded up to the tenth, and above the figure
// itself where tenths times ten round down onto it.
TEST(MetresText, NeverReadsBelowTheError) {
  for (const double metres : {0.0, 0.05, 0.1, 0.15, 2.0000001, 229.20000000000002, 903.3000000000001, 1e-300}) {
    const std::string text = messages::MetresText(metres, ".");
    const double read = ReadAsNumber(text.substr(0, text.size() - 2)).value_or(-1);
    EXPECT_GE(read, metres) << text;
    EXPECT_LE(read, metres + 0.1 + 1e-9) << text;
  }
  EXPECT_EQ(messages::MetresText(229.20000000000002, ","), "229,3 m");
  EXPECT_EQ(messages::MetresText(229.2, ","), "229,2 m");
  EXPECT_EQ(messages::MetresText(-1, ","), "0,0 m");
  EXPECT_EQ(messages::MetresText(std::nan(""), ","), "0,0 m");
}

// A chart track file over the device's limit fits too; a budget chosen
// above the limit keeps every point and warns that the device cannot read it.
TEST_F(Fit, ChartTracksFitUnlessTheUserChoseMore) {
  std::string chart;
  for (int t = 0; t < 2; ++t) {
    chart += "T;Route " + std::to_string(t) + ";1;1\r\n";
    for (const GeoPoint& p : Track(20000, t)) chart += "P;" + Number(p.lon) + ";" + Number(p.lat) + ";1,5\r\n";
  }
  ASSERT_EQ(Convert("r_TRK.txt", chart, Request::ToDevice), ConversionOutcome::Completed);
  EXPECT_EQ(DevicePoints(ReadWholeFile(folder.File("r_TRK.asc"))).size(), 32766u);
  EXPECT_EQ(host.notes.back().summary.rfind("2 traces (32766 points sur 40000, écart max ", 0), 0u)
      << host.notes.back().summary;
  EXPECT_EQ(host.notes.back().warnings.at(0).text.rfind("2 traces réduites à 32766 points", 0), 0u);

  ASSERT_EQ(Convert("r_TRK.txt", chart, Request::ToDevice, 40000), ConversionOutcome::Completed);
  EXPECT_EQ(DevicePoints(ReadWholeFile(folder.File("r_TRK.asc"))).size(), 40000u);
  ASSERT_EQ(host.notes.back().warnings.size(), 1u);
  EXPECT_EQ(host.notes.back().warnings[0].first_line, 32769u);  // the 32,767th point, after two headers
  EXPECT_EQ(host.notes.back().warnings[0].text.rfind("7234 lignes au-delà de 32 766", 0), 0u);
}

// Waypoints and two points a track are the least a file can keep: below
// that nothing is written, and the reason says why.
TEST_F(Fit, ABudgetThatCannotBeMetWritesNothing) {
  WriteWholeFile(folder.File("few.asc"), "earlier");
  EXPECT_EQ(Convert("few.gpx", Gpx({Track(10, 0), Track(10, 1)}, 3), Request::ToDevice, 6),
            ConversionOutcome::Failed);
  EXPECT_EQ(host.notes.back().reason,
            "au plus 6 points permis, il en faut au moins 7 (chaque waypoint et deux points par trace)");
  EXPECT_EQ(ReadWholeFile(folder.File("few.asc")), "earlier");
}

// --points caps every output, GPX and chart files too; one budget for all
// the tracks of the file. Each chart file takes the whole budget: the track
// file N P lines, the waypoint file N W lines, and more waypoints than that
// fail, since none is ever dropped.
TEST_F(Fit, ChosenBudgetCapsEveryOutput) {
  std::string device;
  for (const GeoPoint& p : Track(100, 0)) device += Number(p.lat) + "," + Number(p.lon) + ",1,\"a\",1\r\n";
  device += "48,-5,1,\"w\",2\r\n";
  ASSERT_EQ(Convert("trace.zbx", device, Request::ToGpx, 20), ConversionOutcome::Completed);
  const std::string gpx = ReadWholeFile(folder.File("trace.gpx"));
  EXPECT_EQ(std::count(gpx.begin(), gpx.end(), '\n') - 5, 20) << gpx;  // head, trk start and end, tail
  ASSERT_EQ(Convert("trace.zbx", device, Request::DeviceToChart, 20), ConversionOutcome::Completed);
  const std::string tracks = ReadWholeFile(folder.File("trace_TRK.txt"));
  EXPECT_EQ(std::count(tracks.begin(), tracks.end(), 'P'), 20);
  EXPECT_EQ(host.notes.back().summary.rfind("1 trace (20 points sur 100, écart max ", 0), 0u);
  ASSERT_EQ(Convert("marks.zbx", device + "48,-5,1,\"x\",3\r\n48,-5,1,\"y\",4\r\n", Request::DeviceToChart, 2),
            ConversionOutcome::Failed);
  EXPECT_EQ(host.notes.back().reason,
            "au plus 2 points permis, il en faut au moins 3 (chaque waypoint et deux points par trace)");
  ASSERT_EQ(Convert("marks.gpx", Gpx({Track(30, 0)}, 3), Request::ToChart, 3), ConversionOutcome::Completed);
  const std::string gpx_tracks = ReadWholeFile(folder.File("marks_TRK.txt"));
  EXPECT_EQ(std::count(gpx_tracks.begin(), gpx_tracks.end(), 'P'), 3);
  const std::string marks = ReadWholeFile(folder.File("marks_WPT.txt"));
  std::size_t w_lines = 0;
  for (std::size_t at = 0; (at = marks.find("W;", at)) != std::string::npos; ++at) ++w_lines;
  EXPECT_EQ(w_lines, 3u);
}

// A route is no track: its named marks stay as waypoints do, its other
// points may go, and the report calls it a route. More marks than the
// budget cannot be written.
TEST_F(Fit, ARouteKeepsItsNamedMarks) {
  std::string gpx = "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\"><rte>\n";
  const std::vector<GeoPoint> track = Track(60, 0.7);
  for (std::size_t i = 0; i < track.size(); ++i) {
    gpx += "<rtept lat=\"" + Number(track[i].lat) + "\" lon=\"" + Number(track[i].lon) + "\">";
    if (i % 9 == 4) gpx += "<name>B" + std::to_string(i) + "</name>";
    gpx += "</rtept>\n";
  }
  gpx += "</rte></gpx>\n";
  ASSERT_EQ(Convert("buoys.gpx", gpx, Request::ToDevice, 12), ConversionOutcome::Completed);
  const std::string device = ReadWholeFile(folder.File("buoys.asc"));
  EXPECT_EQ(std::count(device.begin(), device.end(), '\n'), 12);
  for (std::size_t i = 4; i < track.size(); i += 9) EXPECT_NE(device.find("\"B" + std::to_string(i) + "\""), std::string::npos) << i;
  ASSERT_EQ(host.notes.back().warnings.size(), 1u);
  EXPECT_EQ(host.notes.back().warnings[0].text.rfind("1 route réduite à 12 points (écart max ", 0), 0u);
  EXPECT_EQ(Convert("buoys.gpx", gpx, Request::ToDevice, 8), ConversionOutcome::Failed);
  EXPECT_EQ(host.notes.back().reason,
            "au plus 8 points permis, il en faut au moins 9 (chaque waypoint et deux points par trace)");
}

}  // namespace
}  // namespace tessaline::testing
