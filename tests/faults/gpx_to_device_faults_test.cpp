// GPX -> device writes its output block by block as the points are read.
// Every file-system call of such a run, made to fail in turn, must end in
// the GPX message naming the output and the error, with the earlier device
// file whole and no temporary file left; a stop anywhere leaves the same.
// A write that fails early is told where writing the whole file would have
// failed, after the input is read: a fault of the input found later wins.

#include <gtest/gtest.h>

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

constexpr const char* kOldDevice = "1.0,2.0,3.0,\"old point\"\r\n";
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

class GpxToDeviceFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteWholeFile(input_, TrackGpx());
    RecordingHost host(real_);
    ASSERT_EQ(gpx::ConvertGpxToDevice(host, input_, kAllPoints), ConversionOutcome::Completed);
    new_device_ = ReadWholeFile(output_);
    ASSERT_GT(new_device_.size(), std::size_t{2} << 20);
  }

  TempFolder folder_;
  RealFileSystem real_;
  std::string input_ = folder_.File("track.gpx"), output_ = folder_.File("track.asc"), new_device_;
};

TEST_F(GpxToDeviceFaults, EachWritingCallFailingInTurnLosesNothing) {
  const std::vector<FsCall> writing = {FsCall::CreateTemporary, FsCall::Write, FsCall::SyncOutput,
                                       FsCall::CloseOutput, FsCall::Rename};
  FaultyFileSystem counting(real_);
  RecordingHost clean(counting);
  ASSERT_EQ(gpx::ConvertGpxToDevice(clean, input_, kAllPoints), ConversionOutcome::Completed);
  ASSERT_GE(counting.Count(FsCall::Write), 3) << "the output was not written in blocks";
  for (FsCall call : writing) {
    for (int nth : CallsToFail(counting.Count(call))) {
      SCOPED_TRACE(std::string(FsCallName(call)) + " call " + std::to_string(nth));
      WriteWholeFile(output_, kOldDevice);
      FaultyFileSystem files(real_);
      files.Fail(call, nth, "", InjectedErrorFor(call));
      RecordingHost host(files);
      EXPECT_EQ(gpx::ConvertGpxToDevice(host, input_, kAllPoints), ConversionOutcome::Failed);
      EXPECT_EQ(files.FailuresInjected(), 1);
      EXPECT_EQ(host.Messages(), std::vector<std::string>{std::string("error:") + messages::kGpxError});
      EXPECT_FALSE(host.completion_shown);
      ASSERT_EQ(host.notes.size(), 1u);
      EXPECT_TRUE(NamesFileAndInjectedError(host.notes[0].reason, {"track.asc"}, call));
      EXPECT_EQ(ReadWholeFile(output_), kOldDevice);
      EXPECT_EQ(TemporaryFiles(folder_.path()), std::vector<std::string>{});
    }
  }
  RecordingHost next(real_);
  EXPECT_EQ(gpx::ConvertGpxToDevice(next, input_, kAllPoints), ConversionOutcome::Completed);
  EXPECT_EQ(ReadWholeFile(output_), new_device_);
}

TEST_F(GpxToDeviceFaults, AnInputRefusedAfterAFailedWriteIsToldAsRefused) {
  WriteWholeFile(input_, TrackGpx("<trkpt lat=\"1\" lon=\"2\"></wpt>\n"));
  WriteWholeFile(output_, kOldDevice);
  FaultyFileSystem files(real_);
  files.Fail(FsCall::Write, 1, "", InjectedErrorFor(FsCall::Write));
  RecordingHost host(files);
  EXPECT_EQ(gpx::ConvertGpxToDevice(host, input_, kAllPoints), ConversionOutcome::Failed);
  ASSERT_EQ(host.notes.size(), 1u);
  EXPECT_NE(host.notes[0].reason.find("balise fermante qui ne correspond pas"), std::string::npos)
      << host.notes[0].reason;
  EXPECT_EQ(ReadWholeFile(output_), kOldDevice);
  EXPECT_EQ(TemporaryFiles(folder_.path()), std::vector<std::string>{});
}

TEST_F(GpxToDeviceFaults, StoppedAtAnyPointLeavesTheEarlierDeviceFileWhole) {
  RecordingHost counting(real_);
  ASSERT_EQ(gpx::ConvertGpxToDevice(counting, input_, kAllPoints), ConversionOutcome::Completed);
  for (int stop_at : CallsToFail(counting.yields(), 12)) {
    SCOPED_TRACE("stopped at yield " + std::to_string(stop_at));
    WriteWholeFile(output_, kOldDevice);
    RecordingHost host(real_);
    host.StopAtYield(stop_at);
    EXPECT_EQ(gpx::ConvertGpxToDevice(host, input_, kAllPoints), ConversionOutcome::Stopped);
    EXPECT_EQ(host.Messages(), std::vector<std::string>{});
    EXPECT_EQ(ReadWholeFile(output_), kOldDevice);
    EXPECT_EQ(TemporaryFiles(folder_.path()), std::vector<std::string>{});
  }
}

}  // namespace
}  // namespace tessaline::testing
