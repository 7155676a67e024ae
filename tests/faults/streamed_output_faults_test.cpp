// GPX -> device, GPX -> chart and chart -> GPX write their outputs block
// by block as the points are read. Every file-system call of such a run, made to fail in
// turn, must end in its input format's message naming the output and the error, with
// the earlier outputs whole and no temporary file left; a stop anywhere
// leaves the same. A write that fails early is told where writing the whole
// file would have failed, after the input is read: a fault of the input
// found later wins.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "convert/gpx/gpx_conversions.h"
#include "convert/messages.h"
#include "fault_sweep.h"
#include "host/real_file_system.h"
#include "support/faulty_file_system.h"
#include "support/recording_host.h"
#include "support/temp_folder.h"

namespace tessaline::testing {
namespace {

constexpr const char* kOldOutput = "1.0,2.0,3.0,\"old point\"\r\n";
// A budget no input here reaches: nothing kept for a reduction, the output
// streamed.
const PointBudget kAllPoints = PointBudget::ForDevice(1000000000);

// About 2.5 MiB of device lines: several blocks written before the end.
std::string TrackGpx(const std::string& tail = "") {
  std::string gpx = "<?xml version=\"1.0\"?>\n<gpx xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><trkseg>\n";
  for (int k = 0; k < 50000; ++k) {
    gpx += "<trkpt lat=\"47." + std::to_string(100000 + k) + "\" lon=\"-4." + std::to_string(300000 + k) +
           "\"><ele>" + std::to_string(k % 97) + ".5</ele></trkpt>\n";
  }
  return gpx + tail + "</trkseg></trk></gpx>\n";
}

// About 4 MiB of GPX; `tail` ends the file (a waypoint after the track
// sends the road back to gathering the document whole).
std::string TrackChart(const std::string& tail = "") {
  std::string chart = "T;Raz de Sein;1;1\r\n";
  for (int k = 0; k < 30000; ++k) {
    chart += "P;-4." + std::to_string(300000 + k) + ";47." + std::to_string(100000 + k) + ";" +
             std::to_string(k % 97) + ",5;-9999;01/05/2024 12:00:00\r\n";
  }
  return chart + tail;
}

// Waypoints, then the track of TrackGpx: both chart files get several blocks.
std::string WaypointsAndTrackGpx(const std::string& tail = "") {
  std::string gpx = TrackGpx(tail);
  std::string waypoints;
  for (int k = 0; k < 20000; ++k) {
    waypoints += "<wpt lat=\"48." + std::to_string(100000 + k) + "\" lon=\"-5." + std::to_string(300000 + k) +
                 "\"><name>Balise " + std::to_string(k) + "</name></wpt>\n";
  }
  return gpx.insert(gpx.find("<trk>"), waypoints);
}

struct Road {
  const char* name;
  const char* input;
  std::vector<std::string> outputs;
  std::function<std::string(const std::string& tail)> make;
  std::function<ConversionOutcome(Host&, const std::string&, const PointBudget&)> convert;
  std::string refused_tail;  // makes the input refused at its end
  const char* refusal;       // what the message says then
  const char* message;       // a failure's: its input's format's
  friend void PrintTo(const Road& road, std::ostream* out) { *out << road.name; }
};

ConversionOutcome GpxToChart(Host& host, const std::string& path, const PointBudget& budget) {
  FixedClock clock;
  return gpx::ConvertGpxToChart(host, path, RegionalSettings::French(), clock, budget);
}

const std::vector<Road> kRoads = {
    {"GpxToDevice", "track.gpx", {"track.asc"}, TrackGpx, gpx::ConvertGpxToDevice,
     "<trkpt lat=\"1\" lon=\"2\"></wpt>\n", "balise fermante qui ne correspond pas", messages::kGpxError},
    {"GpxToChart", "track.gpx", {"track_TRK.txt", "track_WPT.txt"}, WaypointsAndTrackGpx, GpxToChart,
     "<trkpt lat=\"1\" lon=\"2\"></wpt>\n", "balise fermante qui ne correspond pas", messages::kGpxError},
    {"ChartToGpx", "route_TRK.txt", {"route_TRK.gpx"}, TrackChart, gpx::ConvertChartToGpx, "", nullptr,
     messages::kChartToDeviceError},
};

class StreamedOutputFaults : public ::testing::TestWithParam<Road> {
 protected:
  void SetUp() override {
    WriteWholeFile(input_, GetParam().make(""));
    RecordingHost host(real_);
    ASSERT_EQ(Convert(host), ConversionOutcome::Completed);
    for (const std::string& output : GetParam().outputs) {
      new_outputs_.push_back(ReadWholeFile(folder_.File(output)));
      ASSERT_GT(new_outputs_.back().size(), std::size_t{2} << 20) << output;
    }
  }
  ConversionOutcome Convert(Host& host) { return GetParam().convert(host, input_, kAllPoints); }
  void WriteOldOutputs() {
    for (const std::string& output : GetParam().outputs) WriteWholeFile(folder_.File(output), kOldOutput);
  }
  // Each output as `expected` gives it, or kOldOutput when it is empty.
  void ExpectOutputs(const std::vector<std::string>& expected = {}) {
    for (std::size_t i = 0; i < GetParam().outputs.size(); ++i) {
      EXPECT_EQ(ReadWholeFile(folder_.File(GetParam().outputs[i])), expected.empty() ? kOldOutput : expected[i])
          << GetParam().outputs[i];
    }
    EXPECT_EQ(TemporaryFiles(folder_.path()), std::vector<std::string>{});
  }

  TempFolder folder_;
  RealFileSystem real_;
  std::string input_ = folder_.File(GetParam().input);
  std::vector<std::string> new_outputs_;
};

TEST_P(StreamedOutputFaults, EachWritingCallFailingInTurnLosesNothing) {
  const std::vector<FsCall> writing = {FsCall::CreateTemporary, FsCall::Write, FsCall::SyncOutput,
                                       FsCall::CloseOutput, FsCall::Rename};
  FaultyFileSystem counting(real_);
  RecordingHost clean(counting);
  ASSERT_EQ(Convert(clean), ConversionOutcome::Completed);
  ASSERT_GE(counting.Count(FsCall::Write), 3 * static_cast<int>(GetParam().outputs.size()))
      << "the outputs were not written in blocks";
  for (FsCall call : writing) {
    for (int nth : CallsToFail(counting.Count(call))) {
      SCOPED_TRACE(std::string(FsCallName(call)) + " call " + std::to_string(nth));
      WriteOldOutputs();
      FaultyFileSystem files(real_);
      files.Fail(call, nth, "", InjectedErrorFor(call));
      RecordingHost host(files);
      EXPECT_EQ(Convert(host), ConversionOutcome::Failed);
      EXPECT_EQ(files.FailuresInjected(), 1);
      EXPECT_EQ(host.Messages(), std::vector<std::string>{std::string("error:") + GetParam().message});
      EXPECT_FALSE(host.completion_shown);
      ASSERT_EQ(host.notes.size(), 1u);
      EXPECT_TRUE(NamesFileAndInjectedError(host.notes[0].reason, GetParam().outputs, call));
      // A rename refused after the first one leaves that first output new:
      // the renames come one after the other.
      if (call == FsCall::Rename && nth > 1) continue;
      ExpectOutputs();
    }
  }
  RecordingHost next(real_);
  EXPECT_EQ(Convert(next), ConversionOutcome::Completed);
  ExpectOutputs(new_outputs_);
}

TEST_P(StreamedOutputFaults, AnInputRefusedAfterAFailedWriteIsToldAsRefused) {
  if (GetParam().refusal == nullptr) GTEST_SKIP() << "no input of this road is refused at its end";
  WriteWholeFile(input_, GetParam().make(GetParam().refused_tail));
  WriteOldOutputs();
  FaultyFileSystem files(real_);
  files.Fail(FsCall::Write, 1, "", InjectedErrorFor(FsCall::Write));
  RecordingHost host(files);
  EXPECT_EQ(Convert(host), ConversionOutcome::Failed);
  ASSERT_EQ(host.notes.size(), 1u);
  EXPECT_NE(host.notes[0].reason.find(GetParam().refusal), std::string::npos)
      << host.notes[0].reason;
  ExpectOutputs();
}

TEST_P(StreamedOutputFaults, StoppedAtAnyPointLeavesTheEarlierOutputsWhole) {
  RecordingHost counting(real_);
  ASSERT_EQ(Convert(counting), ConversionOutcome::Completed);
  for (int stop_at : CallsToFail(counting.yields(), 12)) {
    SCOPED_TRACE("stopped at yield " + std::to_string(stop_at));
    WriteOldOutputs();
    RecordingHost host(real_);
    host.StopAtYield(stop_at);
    EXPECT_EQ(Convert(host), ConversionOutcome::Stopped);
    EXPECT_EQ(host.Messages(), std::vector<std::string>{});
    ExpectOutputs();
  }
}

// A waypoint after the track: the streamed document is dropped and the file
// read again, gathered whole; a stop or a failure on either reading loses
// nothing, and the waypoint goes before the track.
TEST(ChartToGpxReadAgain, AWaypointAfterATrackComesFirstAndLeavesNoTemporaryFile) {
  TempFolder folder;
  RealFileSystem real;
  const std::string input = folder.File("route_TRK.txt"), output = folder.File("route_TRK.gpx");
  WriteWholeFile(input, TrackChart("W;Phare;;-4.7;47.7;12\r\n"));
  RecordingHost counting(real);
  ASSERT_EQ(gpx::ConvertChartToGpx(counting, input, kAllPoints), ConversionOutcome::Completed);
  const std::string gpx = ReadWholeFile(output);
  EXPECT_LT(gpx.find("<wpt "), gpx.find("<trk>"));
  for (int stop_at : CallsToFail(counting.yields(), 12)) {
    SCOPED_TRACE("stopped at yield " + std::to_string(stop_at));
    WriteWholeFile(output, kOldOutput);
    RecordingHost host(real);
    host.StopAtYield(stop_at);
    EXPECT_EQ(gpx::ConvertChartToGpx(host, input, kAllPoints), ConversionOutcome::Stopped);
    EXPECT_EQ(ReadWholeFile(output), kOldOutput);
    EXPECT_EQ(TemporaryFiles(folder.path()), std::vector<std::string>{});
  }
}

INSTANTIATE_TEST_SUITE_P(, StreamedOutputFaults, ::testing::ValuesIn(kRoads),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tessaline::testing
