// One more sink beside a road's writer: it sees the points read, before the
// fit, then the points written, on the converters' two roads as on the
// stream's, and nothing when the road did not complete.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/roads/roads.h"
#include "host/real_file_system.h"
#include "support/fixed_clock.h"
#include "support/recording_host.h"
#include "support/temp_folder.h"

namespace tessaline::testing {
namespace {

using tessaline::testing::FixedClock;

// Writes down each run and point: "T Raz", "48.1 -4.1 Raz", "W Phare"...
class Transcript final : public PointSink {
 public:
  void BeginRun(RunKind kind, std::string_view name) override {
    lines.push_back((kind == RunKind::Waypoint ? "W " : "T ") + std::string(name));
  }
  bool Point(const StreamPoint& point) override {
    lines.push_back(std::to_string(point.Lat()).substr(0, 5) + " " + std::to_string(point.Lon()).substr(0, 5));
    return true;
  }
  void EndRun(RunKind, std::uint64_t) override {}
  void PointSkipped(std::uint64_t) override {}
  std::vector<std::string> lines;
};

class BothSides final : public SecondSink {
 public:
  PointSink& Read(TextForm form) override {
    read_forms.push_back(form);
    return read;
  }
  PointSink& Written(TextForm form) override {
    written_forms.push_back(form);
    return written;
  }
  Transcript read, written;
  std::vector<TextForm> read_forms, written_forms;
};

class SecondSinkTest : public ::testing::Test {
 protected:
  ConversionOutcome Convert(const std::string& name, const std::string& content, Request request,
                            std::optional<std::uint64_t> points = std::nullopt, bool split = false) {
    WriteWholeFile(folder.File(name), content);
    RoadServices services{RegionalSettings::C(), &clock, {staging.path(), "", false}, points};
    services.second = &sides;
    services.split = split;
    Roads roads(host, services);
    return roads.Convert(folder.File(name), request);
  }

  TempFolder folder, staging;
  RealFileSystem files;
  RecordingHost host{files};
  FixedClock clock;
  BothSides sides;
};

constexpr const char* kDevice =
    "48.1,-4.1,1,\"Raz\",1\r\n48.2,-4.2,1,\"Raz\",1\r\n48.3,-4.3,1,\"Raz\",1\r\n48.5,-4.5,-9999,\"Phare\",2\r\n";

TEST_F(SecondSinkTest, DeviceToChartShowsItsInputThenBothChartFiles) {
  ASSERT_EQ(Convert("trace.zbx", kDevice, Request::DeviceToChart), ConversionOutcome::Completed);
  const std::vector<std::string> points{"T Raz", "48.10 -4.10", "48.20 -4.20", "48.30 -4.30", "W Phare", "48.50 -4.50"};
  EXPECT_EQ(sides.read.lines, points);
  EXPECT_EQ(sides.written.lines, points);  // the track file, then the waypoint file
  EXPECT_EQ(sides.read_forms, std::vector<TextForm>{TextForm::EightBit});
}

TEST_F(SecondSinkTest, ChartToDeviceShowsTheDeviceFileWritten) {
  ASSERT_EQ(Convert("r_TRK.txt", "T;Raz;1;1\r\nP;-4.1;48.1;1\r\nP;-4.2;48.2;2\r\n", Request::WindowToDevice),
            ConversionOutcome::Completed);
  EXPECT_EQ(sides.read.lines, (std::vector<std::string>{"T Raz", "48.10 -4.10", "48.20 -4.20"}));
  EXPECT_EQ(sides.written.lines, (std::vector<std::string>{"T Raz", "48.10 -4.10", "48.20 -4.20"}));
}

// The device lines of a waypoint file have no group: read back they would
// make one track of every waypoint, which the picture would then draw.
TEST_F(SecondSinkTest, AChartWaypointFileIsSeenAsWaypointsWritten) {
  const std::string line = ";-9999;0;0;0;C8;WGS84;2;1;18;255;1;0;3;Arial,8,0,0,0,0;0;65535;16;0;0\r\n";
  const std::vector<std::string> waypoints{"W Raz", "48.10 -4.10", "W Sein", "48.20 -4.20"};
  ASSERT_EQ(Convert("r_WPT.txt", "W;Raz;;-4.1;48.1" + line + "W;Sein;;-4.2;48.2" + line, Request::WindowToDevice),
            ConversionOutcome::Completed);
  EXPECT_EQ(sides.written.lines, waypoints);
  // A BOM before a track header still makes a track file, read back from the device file.
  sides.written.lines.clear();
  ASSERT_EQ(Convert("t_TRK.txt", "\xEF\xBB\xBFT;Raz;1;1\r\nP;-4.1;48.1;1\r\nP;-4.2;48.2;1\r\n",
                    Request::WindowToDevice),
            ConversionOutcome::Completed);
  ASSERT_FALSE(sides.written.lines.empty());
  EXPECT_EQ(sides.written.lines.front(), "T Raz");
}

TEST_F(SecondSinkTest, AFittedTrackIsSeenWholeAsReadAndFittedAsWritten) {
  ASSERT_EQ(Convert("trace.zbx", kDevice, Request::ToGpx, 3), ConversionOutcome::Completed);
  EXPECT_EQ(sides.read.lines.size(), 6u);
  EXPECT_EQ(sides.written.lines,
            (std::vector<std::string>{"W Phare", "48.50 -4.50", "T Raz", "48.10 -4.10", "48.30 -4.30"}));
  EXPECT_EQ(sides.written_forms, std::vector<TextForm>{TextForm::Utf8});
}

TEST_F(SecondSinkTest, AnOutputCutIntoPartsIsSeenPartByPart) {
  ASSERT_EQ(Convert("trace.zbx", kDevice, Request::ToGpx, 3, true), ConversionOutcome::Completed);
  EXPECT_EQ(sides.written.lines, (std::vector<std::string>{"W Phare", "48.50 -4.50", "T Raz", "48.10 -4.10",
                                                           "48.20 -4.20", "T Raz", "48.20 -4.20", "48.30 -4.30"}));
  ASSERT_EQ(Convert("r_TRK.txt", "T;Raz;1;1\r\nP;-4.1;48.1;1\r\nP;-4.2;48.2;2\r\nP;-4.3;48.3;2\r\n",
                    Request::WindowToDevice, 2, true),
            ConversionOutcome::Completed);
  EXPECT_EQ(sides.written.lines.size(), 8u + 6u);  // two device files of one track each
}

TEST_F(SecondSinkTest, ARoadThatFailsFeedsNothing) {
  EXPECT_EQ(Convert("x.gpx", "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\"><wpt lat=\"1\"", Request::ByFile),
            ConversionOutcome::Failed);
  EXPECT_TRUE(sides.read.lines.empty());
  EXPECT_TRUE(sides.written.lines.empty());
}

}  // namespace
}  // namespace tessaline::testing
