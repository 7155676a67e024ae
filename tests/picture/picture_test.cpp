// The picture's rules that no single case shows: the round lengths of the
// scale bar, what is kept of a long stream, the thumbnail's pixels and the
// SVG's texts.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "picture/picture.h"
#include "picture/svg.h"
#include "picture/thumbnail.h"

namespace tessaline::picture {
namespace {

StreamPoint At(double lat, double lon) {
  StreamPoint p;
  p.lat_number = lat, p.lon_number = lon, p.has_numbers = true;
  return p;
}

void Track(PointSink& sink, const std::vector<std::pair<double, double>>& points, RunKind kind = RunKind::Track) {
  sink.BeginRun(kind, "");
  for (const auto& [lat, lon] : points) sink.Point(At(lat, lon));
  sink.EndRun(kind, points.size());
}

TEST(ScaleBar, TakesOneTwoOrFiveTimesAPowerOfTenWithinAQuarter) {
  EXPECT_EQ(ScaleBarFor(4 * 1852).label, "1 NM");
  EXPECT_EQ(ScaleBarFor(4 * 1852 - 10).label, "0,5 NM");
  EXPECT_EQ(ScaleBarFor(4 * 926 - 10).label, "500 m");
  EXPECT_EQ(ScaleBarFor(4 * 19 * 1852).label, "10 NM");
  EXPECT_EQ(ScaleBarFor(4 * 20 * 1852).label, "20 NM");
  EXPECT_EQ(ScaleBarFor(4 * 4999 * 1852).label, "2000 NM");
  EXPECT_DOUBLE_EQ(ScaleBarFor(4 * 5 * 1852).metres, 5 * 1852);
  EXPECT_EQ(ScaleBarFor(10).label, "2 m");
  // Nothing measurable: a bar all the same, never a division by zero.
  EXPECT_GT(ScaleBarFor(0).metres, 0);
  EXPECT_GT(ScaleBarFor(std::nan("")).metres, 0);
}

TEST(PictureBuilder, KeepsWhatThePictureNeedsOfAMillionPoints) {
  PictureBuilder builder(1024);
  PointSink& written = builder.Written(TextForm::Utf8);
  written.BeginRun(RunKind::Track, "");
  // A zigzag that every point changes: nothing to merge at full detail.
  for (int i = 0; i < 1000000; ++i) written.Point(At(45 + (i % 2) * 0.0001, 5 + i * 1e-6));
  written.EndRun(RunKind::Track, 1000000);
  const Picture picture = builder.Build();
  ASSERT_EQ(picture.lines.size(), 1u);
  EXPECT_LE(picture.lines[0].points.size(), 1024u);
  EXPECT_GE(picture.lines[0].points.size(), 100u);
  EXPECT_EQ(picture.points_written, 1000000u);
  // The ends are kept whatever the thinning.
  EXPECT_NEAR(picture.marks.at(0).at.x, picture.box.min_x, 1);
  EXPECT_NEAR(picture.marks.at(1).at.x, picture.box.max_x, 1);
}

TEST(PictureBuilder, ManyShortTracksBecomeDots) {
  PictureBuilder builder(1024);
  PointSink& written = builder.Written(TextForm::Utf8);
  // A device file's runs of three points, 20,000 of them across 0.2°.
  for (int i = 0; i < 20000; ++i) {
    const double lat = 45 + (i % 200) * 1e-3, lon = 5 + (i / 200) * 2e-3;
    Track(written, {{lat, lon}, {lat + 1e-6, lon}, {lat + 2e-6, lon}});
  }
  const Picture picture = builder.Build();
  ASSERT_EQ(picture.lines.size(), 20000u);
  std::size_t points = 0;
  for (const Polyline& line : picture.lines) points += line.points.size();
  EXPECT_LE(points, 25000u);  // not the 40,000 of every line keeping both ends
}

TEST(PictureBuilder, ThinsWaypointsToABoundedShare) {
  PictureBuilder builder(1024);
  PointSink& written = builder.Written(TextForm::Utf8);
  for (int i = 0; i < 100000; ++i) Track(written, {{45, 5 + i * 1e-4}}, RunKind::Waypoint);
  const Picture picture = builder.Build();
  EXPECT_LE(picture.marks.size(), 128u);
  EXPECT_GE(picture.marks.size(), 32u);
}

TEST(PictureBuilder, NorthAndEastLegsOfEqualLengthStayEqualAt60North) {
  PictureBuilder builder;
  // 0.02° of latitude north, then as many metres east: 0.04° of longitude.
  Track(builder.Written(TextForm::Utf8), {{60, 0}, {60.02, 0}, {60.02, 0.04}});
  const Picture picture = builder.Build();
  const std::vector<PlanePoint>& p = picture.lines.at(0).points;
  ASSERT_EQ(p.size(), 3u);
  const double north = std::hypot(p[1].x - p[0].x, p[1].y - p[0].y);
  const double east = std::hypot(p[2].x - p[1].x, p[2].y - p[1].y);
  EXPECT_NEAR(north, 2223.9, 1);
  EXPECT_NEAR(east / north, 1, 0.002);
}

TEST(PictureBuilder, ATrackGoesOnAfterAWaypointToldAmongItsPoints) {
  PictureBuilder builder;
  PointSink& written = builder.Written(TextForm::Utf8);
  written.BeginRun(RunKind::Track, "T");
  written.Point(At(45, 5));
  Track(written, {{45.05, 5.05}}, RunKind::Waypoint);
  StreamPoint unreadable;
  unreadable.lat_text = "48,5", unreadable.lon_text = "-4";  // no plain decimal: never drawn at 0,0
  written.Point(unreadable);
  written.Point(At(45.1, 5));
  written.EndRun(RunKind::Track, 2);
  const Picture picture = builder.Build();
  ASSERT_EQ(picture.lines.size(), 1u);
  EXPECT_EQ(picture.lines[0].points.size(), 2u);
  ASSERT_EQ(picture.marks.size(), 3u);  // start, end, waypoint
  EXPECT_EQ(picture.marks[2].kind, MarkKind::Waypoint);
  EXPECT_LT(picture.box.Width(), 10000);
}

TEST(PictureBuilder, NothingWrittenIsAnEmptyPicture) {
  PictureBuilder builder;
  Track(builder.Read(TextForm::Utf8), {{45, 5}, {45.1, 5}});
  builder.Written(TextForm::Utf8).PointSkipped(3);
  const Picture picture = builder.Build();
  EXPECT_TRUE(picture.Empty());
  EXPECT_TRUE(ThumbnailOf(picture, 0, 0, 150, 60).Empty());
  EXPECT_GT(picture.box.Width(), 0);
  // Cleared for the next file.
  Track(builder.Written(TextForm::Utf8), {{45, 5}});
  EXPECT_FALSE(builder.Build().Empty());
  builder.Clear();
  EXPECT_TRUE(builder.Build().Empty());
}

TEST(Thumbnail, FitsTheLinesIntoItsBoxNorthUp) {
  PictureBuilder builder;
  PointSink& written = builder.Written(TextForm::Utf8);
  Track(written, {{45, 5}, {45.01, 5}});  // straight north
  Track(written, {{45.005, 5.001}}, RunKind::Waypoint);
  const Thumbnail thumbnail = ThumbnailOf(builder.Build(), 10, 20, 150, 60);
  ASSERT_EQ(thumbnail.lines.size(), 1u);
  ASSERT_EQ(thumbnail.starts.size(), 1u);
  ASSERT_EQ(thumbnail.ends.size(), 1u);
  // The height fills the box: the start at its bottom, the end at its top.
  EXPECT_NEAR(thumbnail.starts[0].y, 80, 0.01);
  EXPECT_NEAR(thumbnail.ends[0].y, 20, 0.01);
  EXPECT_NEAR(thumbnail.starts[0].x, thumbnail.ends[0].x, 0.5);
  ASSERT_EQ(thumbnail.waypoints.size(), 1u);
  EXPECT_GT(thumbnail.waypoints[0].x, thumbnail.starts[0].x);
  EXPECT_NEAR(thumbnail.waypoints[0].y, 50, 0.5);
}

TEST(Svg, WritesNamesAsTextAndNothingElse) {
  PictureBuilder builder;
  PointSink& written = builder.Written(TextForm::EightBit);
  written.BeginRun(RunKind::Waypoint, "");
  StreamPoint p = At(45, 5);
  p.name = "<script>\x01\xE9t\xE9 & \"x\"";  // Windows-1252 "été"
  written.Point(p);
  written.EndRun(RunKind::Waypoint, 1);
  const std::string svg = SvgOf(builder.Build());
  EXPECT_NE(svg.find("&lt;script&gt;\xC3\xA9t\xC3\xA9 &amp; &quot;x&quot;</text>"), std::string::npos) << svg;
  EXPECT_EQ(svg.find("<script"), std::string::npos);
  EXPECT_EQ(svg.find("href"), std::string::npos);
  EXPECT_NE(svg.find("width=\"800\" height=\"600\""), std::string::npos);
}

}  // namespace
}  // namespace tessaline::picture
