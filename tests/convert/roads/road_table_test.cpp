// The tables of roads: the rows that the stream added, and the names each
// road gives its outputs, with and without -o.

#include <gtest/gtest.h>

#include "convert/roads/road_table.h"

namespace tessaline {
namespace {

Road Of(Request request, InputContent content, bool zbx_name) { return RoadOf(request, content, zbx_name).road; }

TEST(RoadTable, EveryFormatToItsOwnOnlyOnTheCommandLine) {
  EXPECT_EQ(Of(Request::ToChart, InputContent::Text, false), Road::ChartToChart);
  EXPECT_EQ(Of(Request::ToDevice, InputContent::Text, true), Road::DeviceToDevice);
  EXPECT_EQ(Of(Request::ToGpx, InputContent::Xml, false), Road::GpxToGpx);
  // The window's directions keep their rules: a chart file named like a
  // device file still goes to the device, a GPX one too.
  EXPECT_EQ(Of(Request::WindowToDevice, InputContent::Text, true), Road::ChartToDevice);
  EXPECT_EQ(Of(Request::WindowToDevice, InputContent::Xml, false), Road::GpxToDevice);
  EXPECT_EQ(Of(Request::DeviceToChart, InputContent::Xml, false), Road::DeviceToChart);
  // A device file that cannot be read with -d fails as it did, as a chart file.
  EXPECT_EQ(Of(Request::ToDevice, InputContent::Unreadable, true), Road::ChartToDevice);
}

std::vector<std::string> Names(Road road, const std::string& path, const std::string& output = "") {
  return Describe(road).outputs(path, output);
}

TEST(RoadTable, OutputNames) {
  using Names_ = std::vector<std::string>;
  // Today's names stay.
  EXPECT_EQ(Names(Road::DeviceToChart, "d/trace.zbx"), (Names_{"d/trace_TRK.txt", "d/trace_WPT.txt"}));
  EXPECT_EQ(Names(Road::ChartToGpx, "x_TRK.txt"), Names_{"x_TRK.gpx"});
  EXPECT_EQ(Names(Road::DeviceToGpx, "trace_zbx"), Names_{"trace.gpx"});
  EXPECT_EQ(Names(Road::GpxToChart, "r.GPX"), (Names_{"r_TRK.txt", "r_WPT.txt"}));
  // The new roads drop their input's extension, and a chart base its _TRK.
  EXPECT_EQ(Names(Road::DeviceToDevice, "trace.ZBX"), Names_{"trace.asc"});
  EXPECT_EQ(Names(Road::DeviceToDevice, "trace_zbx"), Names_{"trace_zbx.asc"});
  EXPECT_EQ(Names(Road::ChartToChart, "x_trk.TXT"), (Names_{"x_TRK.txt", "x_WPT.txt"}));
  EXPECT_EQ(Names(Road::GpxToGpx, "r.gpx"), Names_{"r.gpx"});
  // -o names the output; for the chart a _TRK.txt or _WPT.txt ending goes.
  EXPECT_EQ(Names(Road::GpxToGpx, "r.gpx", "o/s.gpx"), Names_{"o/s.gpx"});
  EXPECT_EQ(Names(Road::ChartToChart, "x_TRK.txt", "y_wpt.txt"), (Names_{"y_TRK.txt", "y_WPT.txt"}));
  EXPECT_EQ(Names(Road::DeviceToChart, "t.zbx", "y"), (Names_{"y_TRK.txt", "y_WPT.txt"}));
}

}  // namespace
}  // namespace tessaline
