// GPX -> KML -> GPX and KML -> GPX -> KML, by KML and by KMZ: what comes
// back is what the same GPX gives written again as GPX (or the first KML),
// and every KML written on the way passes the KML 2.2 schema with Google's
// extension. A long track, streamed, goes through the writer's spill file.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "convert/roads/roads.h"
#include "host/real_file_system.h"
#include "support/fixed_clock.h"
#include "support/recording_host.h"
#include "support/temp_folder.h"

namespace tessaline::gpx {
namespace {

namespace fs = std::filesystem;
using namespace tessaline::testing;

using tessaline::testing::FixedClock;

class KmlRoundTrip : public ::testing::Test {
 protected:
  void Convert(const std::string& from, Request request, const std::string& to) {
    RecordingHost host(files_);
    Roads roads(host, RoadServices{RegionalSettings::French(), &clock_, StagingLocation{staging_.path(), "", false}, {}});
    ASSERT_EQ(roads.Convert(folder_.File(from), request, folder_.File(to)), ConversionOutcome::Completed)
        << from << " -> " << to;
  }

  void ExpectValidKml(const std::string& name) {
    const std::string schema = TESSALINE_KML_SCHEMA;
    if (schema.empty() || std::system("xmllint --version >/dev/null 2>&1") != 0) return;
    const std::string command = "xmllint --noout --nonet --schema '" + schema + "' '" + folder_.File(name) + "'";
    EXPECT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command;
  }

  std::string Text(const std::string& name) { return ReadWholeFile(folder_.File(name)); }

  // The GPX given, there and back by KML and by KMZ.
  void GoesAndComesBack(const std::string& gpx) {
    WriteWholeFile(folder_.File("a.gpx"), gpx);
    Convert("a.gpx", Request::ToGpx, "again.gpx");
    Convert("a.gpx", Request::ToKml, "a.kml");
    ExpectValidKml("a.kml");
    Convert("a.kml", Request::ToGpx, "back.gpx");
    EXPECT_EQ(Text("back.gpx"), Text("again.gpx"));
    Convert("a.gpx", Request::ToKmz, "a.kmz");
    Convert("a.kmz", Request::ToGpx, "back_kmz.gpx");
    EXPECT_EQ(Text("back_kmz.gpx"), Text("again.gpx"));
    // KML -> GPX -> KML.
    Convert("back.gpx", Request::ToKml, "b.kml");
    ExpectValidKml("b.kml");
    EXPECT_EQ(Text("b.kml"), Text("a.kml"));
    EXPECT_FALSE(fs::exists(folder_.File("a.kml.~spill")));
    EXPECT_FALSE(fs::exists(folder_.File("a.kmz.~zip")));
  }

  RealFileSystem files_;
  FixedClock clock_;
  TempFolder folder_, staging_;
};

TEST_F(KmlRoundTrip, KeepsTimesValuesNamesElevationsAndRoutes) {
  GoesAndComesBack(
      "<?xml version=\"1.0\"?>\n"
      "<gpx version=\"1.1\" creator=\"x\" xmlns=\"http://www.topografix.com/GPX/1/1\""
      " xmlns:tsl=\"urn:tessaline:gpx:1\">\n"
      "<wpt lat=\"48.1\" lon=\"-5.1\"><ele>4</ele><time>2004-01-01T00:00:00Z</time><name>A &amp; &lt;b&gt;\nc</name>"
      "<extensions><tsl:value>-2,5</tsl:value></extensions></wpt>\n"
      "<trk><name>Tout</name><trkseg>\n"
      "<trkpt lat=\"47.5\" lon=\"-3.5\"><ele>1.5</ele><time>2004-01-01T00:00:00.123456789Z</time>"
      "<name>p1</name><extensions><tsl:value>7</tsl:value></extensions></trkpt>\n"
      "<trkpt lat=\"47.6\" lon=\"-3.6\"><time>2004-01-01T00:01:00Z</time></trkpt>\n"
      "</trkseg></trk>\n"
      "<trk><name>Partiel</name><trkseg><trkpt lat=\"1\" lon=\"2\"><time>2004-01-01T00:00:00.5Z</time></trkpt>"
      "<trkpt lat=\"1.5\" lon=\"2.5\"/></trkseg></trk>\n"
      "<trk><name>Nu</name><trkseg><trkpt lat=\"1\" lon=\"2\"/><trkpt lat=\"-90\" lon=\"180\"/></trkseg></trk>\n"
      "<rte><name>R</name><rtept lat=\"47\" lon=\"-3\"><name>Marque</name></rtept>"
      "<rtept lat=\"47.1\" lon=\"-3.1\"><time>2004-01-01T00:00:00Z</time></rtept></rte>\n"
      "</gpx>\n");
}

// Past a block of records, the spill file is written and read back, its
// records cut at the blocks' ends.
TEST_F(KmlRoundTrip, ALongTrackThroughTheSpillFile) {
  std::string gpx = "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\" xmlns:tsl=\"urn:tessaline:gpx:1\">\n<trk><trkseg>\n";
  for (int i = 0; i < 40000; ++i) {
    const std::string n = std::to_string(i);
    gpx += "<trkpt lat=\"45." + n + "\" lon=\"-3." + n + "\"><time>2020-01-01T00:00:00." + n +
           "Z</time><extensions><tsl:value>" + n + "</tsl:value></extensions></trkpt>\n";
  }
  gpx += "</trkseg></trk>\n</gpx>\n";
  GoesAndComesBack(gpx);
}

// Bare points make a LineString: its <coordinates>, past the 1 MiB every
// other text is held to, are read as a stream of tuples.
TEST_F(KmlRoundTrip, ALongLineStringPastTheTextCap) {
  std::string gpx = "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\">\n<trk><name>Long</name><trkseg>\n";
  for (int i = 0; i < 60000; ++i) {
    gpx += "<trkpt lat=\"-45.12345" + std::to_string(i) + "\" lon=\"123.4567" + std::to_string(i) + "\"/>\n";
  }
  gpx += "</trkseg></trk>\n</gpx>\n";
  GoesAndComesBack(gpx);
  EXPECT_NE(Text("a.kml").find("<LineString>"), std::string::npos);
  EXPECT_GT(Text("a.kml").size(), std::size_t{1} << 20);
}

}  // namespace
}  // namespace tessaline::gpx
