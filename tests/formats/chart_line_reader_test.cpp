#include "formats/chart_line_reader.h"

#include <gtest/gtest.h>

namespace tessaline {
namespace {

TEST(ChartLineKind, IsFieldZeroExactly) {
  EXPECT_EQ(KindOfChartLine("T;Route;1;1"), ChartLineKind::TrackHeader);
  EXPECT_EQ(KindOfChartLine("T"), ChartLineKind::TrackHeader);
  EXPECT_EQ(KindOfChartLine("P;1;2;3"), ChartLineKind::TrackPoint);
  EXPECT_EQ(ChartLine("W;Phare;;1;2").Kind(), ChartLineKind::Waypoint);
  // A capital letter elsewhere, extra characters, spaces or lower case: none.
  for (const char* other : {"Pointe du Raz;1;1", "x;FORT;;1;2", "TP;1;2", " T;a", "T ;a", "t;a",
                            "w;a;;1;2", "", ";T;1"}) {
    EXPECT_EQ(KindOfChartLine(other), ChartLineKind::Other) << other;
    EXPECT_EQ(ChartLine(other).Kind(), ChartLineKind::Other) << other;
  }
}

TEST(ChartLine, OnePositionPastTheLastFieldReadsEmptyAndNoFurther) {
  const ChartLine line("P;-4.5;47.1");
  EXPECT_EQ(line.Field(2), "47.1");
  EXPECT_TRUE(line.Has(3));
  EXPECT_EQ(line.Field(3), "");
  EXPECT_FALSE(line.Has(4));
  EXPECT_TRUE(ChartLine("").Has(1));
  EXPECT_FALSE(ChartLine("").Has(2));
  // Empty fields and text kept as they are; fields past the kept ones ignored.
  const ChartLine w("W; a ,b;;;12,50;;47.1;-4.5;0;C8;WGS84");
  EXPECT_EQ(w.Field(1), " a ,b");
  EXPECT_EQ(w.Field(4), "12,50");
  EXPECT_EQ(w.Field(5), "");
  EXPECT_FALSE(w.Has(ChartLine::kKeptFields));
  EXPECT_EQ(ChartLine("a;b;c;d;e;f;g").Field(5), "f");
  EXPECT_EQ(ChartLine("a;b;c;d;e;f").Field(5), "f");
  EXPECT_TRUE(ChartLine("a;b;c;d;e").Has(5));
}

}  // namespace
}  // namespace tessaline
