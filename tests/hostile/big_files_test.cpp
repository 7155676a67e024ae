// Very long lines, very long names and very many fields, through the real
// tessaline-convert: converted by the line rules, with a peak memory of no
// more than about three times the input (three times, plus a fixed 16 MiB
// for the program's own buffers, which weigh in on the smaller files). These
// files are large, so the cases carry the CTest label "big".

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "hostile_support.h"

namespace tessaline::testing {
namespace {

constexpr std::uint64_t kMiB = 1 << 20;
constexpr double kFixedAllowanceKib = 16 * 1024;

class BigFiles : public ::testing::Test {
 protected:
  void SetUp() override { baseline_kib_ = BaselinePeakKib(stage_.program(), stage_.data()); }

  // Runs one conversion of `input` and checks it ended well within the
  // memory allowed for it.
  ChildResult ConvertWithin(const std::string& input, double times_input = 3.0) {
    const ChildResult run = stage_.Convert({"-q", input});
    EXPECT_EQ(run.signal, 0) << run.err;
    EXPECT_FALSE(run.timed_out);
    const double input_kib = static_cast<double>(FileSize(stage_.DataFile(input))) / 1024.0;
    std::printf("[ memory   ] %s: input %.1f MiB, peak %.1f MiB (%.2f x input; %.1f MiB before any data), %lld ms\n",
                input.c_str(), input_kib / 1024.0, static_cast<double>(run.peak_kib) / 1024.0,
                static_cast<double>(run.peak_kib) / input_kib, static_cast<double>(baseline_kib_) / 1024.0,
                static_cast<long long>(run.duration.count()));
    if (MeasuresMemory()) {
      EXPECT_LE(static_cast<double>(run.peak_kib), times_input * input_kib + kFixedAllowanceKib)
          << input << ": peak memory beyond " << times_input << " times the input";
    }
    return run;
  }

  ConverterStage stage_;
  long baseline_kib_ = 0;
};

TEST_F(BigFiles, ASingle200MegabyteLine) {
  // A waypoint whose name is the whole line: the device file holds it whole.
  const std::uint64_t size = 200 * kMiB;
  WriteRepeated(stage_.DataFile("long_WPT.txt"), "W;", "n", size, ";;1.5;2.5;-9999\r\n");
  const ChildResult chart = ConvertWithin("long_WPT.txt");
  EXPECT_EQ(chart.exit_status, 0) << chart.err;
  const std::string output = stage_.DataFile("long_WPT.asc");
  ASSERT_EQ(FileSize(output), size + 18);
  EXPECT_EQ(ReadRange(output, 0, 20), "2.5,1.5,-9999,\"nnnnn");
  EXPECT_EQ(ReadRange(output, size + 15, 3), "\"\r\n");
  std::remove(stage_.DataFile("long_WPT.txt").c_str());
  std::remove(output.c_str());

  // A device point whose name is the whole line: the name keeps 50 bytes.
  WriteRepeated(stage_.DataFile("long.zbx"), "1.5,2.5,3,\"", "n", size, "\",4\r\n");
  const ChildResult device = ConvertWithin("long.zbx");
  EXPECT_EQ(device.exit_status, 0) << device.err;
  EXPECT_EQ(ReadWholeFile(stage_.DataFile("long_WPT.txt")).substr(0, 2 + 50 + 2), "W;" + std::string(50, 'n') + ";;");
  std::remove(stage_.DataFile("long.zbx").c_str());

  // A line of no kind at all is passed over, however long.
  WriteRepeated(stage_.DataFile("junk_TRK.txt"), "T;a\r\n", "x", size, "\r\nP;1;2;3\r\n");
  const ChildResult junk = ConvertWithin("junk_TRK.txt");
  EXPECT_EQ(junk.exit_status, 0) << junk.err;
  EXPECT_EQ(ReadWholeFile(stage_.DataFile("junk_TRK.asc")), "2,1,3,\"a\"\r\n");
}

TEST_F(BigFiles, TenMegabyteNames) {
  const std::uint64_t size = 10 * kMiB;
  // Chart to device: the names are copied whole.
  WriteRepeated(stage_.DataFile("names_WPT.txt"), "W;", "é", size / 2, ";;1;2;3\r\nW;short;;4;5;6\r\n");
  const ChildResult chart = ConvertWithin("names_WPT.txt");
  EXPECT_EQ(chart.exit_status, 0) << chart.err;
  EXPECT_EQ(FileSize(stage_.DataFile("names_WPT.asc")), size + 10 + 15);
  EXPECT_EQ(ReadRange(stage_.DataFile("names_WPT.asc"), size + 10, 15), "5,4,6,\"short\"\r\n");

  // Device to chart: each point keeps 50 bytes of its name, cut between characters.
  WriteRepeated(stage_.DataFile("names.zbx"), "1,2,3,\"", "é", size / 2, "\",1\r\n1,2,3,\"b\",1\r\n");
  const ChildResult device = ConvertWithin("names.zbx");
  EXPECT_EQ(device.exit_status, 0) << device.err;
  std::string fifty;
  for (int i = 0; i < 25; ++i) fifty += "é";
  EXPECT_EQ(LinesOf(ReadWholeFile(stage_.DataFile("names_TRK.txt"))).at(0), "T;" + fifty + ";1;1");
}

TEST_F(BigFiles, LinesOfAHundredThousandFields) {
  std::string fields;
  for (int i = 0; i < 100000; ++i) fields += ";f";
  std::string device_fields;
  for (int i = 0; i < 100000; ++i) device_fields += ",f";
  // 100 waypoint lines: fields beyond the sixth play no part.
  WriteRepeated(stage_.DataFile("wide_WPT.txt"), "", "W;n;;1;2;3" + fields + "\r\n", 100, "");
  const ChildResult chart = ConvertWithin("wide_WPT.txt");
  EXPECT_EQ(chart.exit_status, 0) << chart.err;
  std::string expected;
  for (int i = 0; i < 100; ++i) expected += "2,1,3,\"n\"\r\n";
  EXPECT_EQ(ReadWholeFile(stage_.DataFile("wide_WPT.asc")), expected);

  // 100 device lines of one group: one track, fields beyond the fifth ignored.
  WriteRepeated(stage_.DataFile("wide.zbx"), "", "1,2,3,\"n\",5" + device_fields + "\r\n", 100, "");
  const ChildResult device = ConvertWithin("wide.zbx");
  EXPECT_EQ(device.exit_status, 0) << device.err;
  EXPECT_EQ(LinesOf(ReadWholeFile(stage_.DataFile("wide_TRK.txt"))).size(), 101u);
}

}  // namespace
}  // namespace tessaline::testing
