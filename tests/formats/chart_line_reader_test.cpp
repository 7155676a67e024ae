#include "formats/chart_line_reader.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaline {
namespace {

TEST(ChartLineKind, IsDecidedByFieldZeroAlone) {
  EXPECT_EQ(KindOfChartLine("T;Route;1;1"), ChartLineKind::TrackHeader);
  EXPECT_EQ(KindOfChartLine("T"), ChartLineKind::TrackHeader);
  EXPECT_EQ(KindOfChartLine("P;1;2;3;-9999;x"), ChartLineKind::TrackPoint);
  EXPECT_EQ(KindOfChartLine("W;Phare;;1;2"), ChartLineKind::Waypoint);

  // Capital letters elsewhere in the line decide nothing.
  EXPECT_EQ(KindOfChartLine("Pointe du Raz;1;1"), ChartLineKind::Other);
  EXPECT_EQ(KindOfChartLine("x;FORT;;1;2"), ChartLineKind::Other);
  EXPECT_EQ(KindOfChartLine("TP;1;2;3"), ChartLineKind::Other);
  EXPECT_EQ(KindOfChartLine("WT;a"), ChartLineKind::Other);
  // No trimming and no case folding.
  EXPECT_EQ(KindOfChartLine(" T;a"), ChartLineKind::Other);
  EXPECT_EQ(KindOfChartLine("T ;a"), ChartLineKind::Other);
  EXPECT_EQ(KindOfChartLine("t;a;1;1"), ChartLineKind::Other);
  EXPECT_EQ(KindOfChartLine("w;a;;1;2"), ChartLineKind::Other);
  EXPECT_EQ(KindOfChartLine(""), ChartLineKind::Other);
  EXPECT_EQ(KindOfChartLine(";T;1"), ChartLineKind::Other);

  // The line object agrees with the quick test.
  EXPECT_EQ(ChartLine("W;a;;1;2").Kind(), ChartLineKind::Waypoint);
  EXPECT_EQ(ChartLine("Pointe;1;2;3").Kind(), ChartLineKind::Other);
  EXPECT_EQ(ChartLine("").Kind(), ChartLineKind::Other);
}

TEST(ChartLine, OnePositionPastTheLastFieldReadsEmptyAndNoFurther) {
  const ChartLine line("P;-4.5;47.1");
  EXPECT_EQ(line.Field(0), "P");
  EXPECT_EQ(line.Field(1), "-4.5");
  EXPECT_EQ(line.Field(2), "47.1");
  EXPECT_TRUE(line.Has(3));
  EXPECT_EQ(line.Field(3), "");
  EXPECT_FALSE(line.Has(4));
  EXPECT_EQ(line.Field(4), "");

  const ChartLine one("T");
  EXPECT_TRUE(one.Has(0));
  EXPECT_TRUE(one.Has(1));
  EXPECT_FALSE(one.Has(2));

  const ChartLine empty("");
  EXPECT_TRUE(empty.Has(0));
  EXPECT_EQ(empty.Field(0), "");
  EXPECT_TRUE(empty.Has(1));
  EXPECT_FALSE(empty.Has(2));
}

TEST(ChartLine, KeepsEmptyFieldsAndTextExactly) {
  // A trailing ";" makes one more, empty field of the line itself.
  const ChartLine line("W; a ,b;;;12,50;");
  EXPECT_EQ(line.Field(1), " a ,b");
  EXPECT_EQ(line.Field(2), "");
  EXPECT_EQ(line.Field(3), "");
  EXPECT_EQ(line.Field(4), "12,50");
  EXPECT_EQ(line.Field(5), "");
  EXPECT_TRUE(line.Has(5));
}

TEST(ChartLine, LongLinesKeepTheirFirstSixFields) {
  const std::string w =
      "W;Phare;;-4.5;47.1;-9999;47.1;-4.5;0;C8;WGS84;2;1;18;255;1;0;3;Arial,8,0,0,0,0;0;65535;16;0;0";
  const ChartLine line(w);
  EXPECT_EQ(line.Field(1), "Phare");
  EXPECT_EQ(line.Field(3), "-4.5");
  EXPECT_EQ(line.Field(4), "47.1");
  EXPECT_EQ(line.Field(5), "-9999");
  EXPECT_TRUE(line.Has(5));
  EXPECT_FALSE(line.Has(ChartLine::kKeptFields));

  // Exactly six fields, and seven: the sixth is the real text either way.
  EXPECT_EQ(ChartLine("a;b;c;d;e;f").Field(5), "f");
  EXPECT_EQ(ChartLine("a;b;c;d;e;f;g").Field(5), "f");
  EXPECT_TRUE(ChartLine("a;b;c;d;e").Has(5));
  EXPECT_EQ(ChartLine("a;b;c;d;e").Field(5), "");
}

}  // namespace
}  // namespace tessaline
