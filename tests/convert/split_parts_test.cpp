// The names of the parts, and where the points of tracks go at the budgets
// where the rules pinch: two points a part, where every part gains one
// point only, and one, where a track cannot go on at all.

#include <gtest/gtest.h>

#include <string>

#include "convert/conversion_failure.h"
#include "convert/split_parts.h"

namespace tessaline {
namespace {

TEST(PartPath, GoesBeforeTheExtensionOfTheFileNameOnly) {
  EXPECT_EQ(PartPath("trace.asc", 2), "trace-2.asc");
  EXPECT_EQ(PartPath("carte.v2/sortie", 1), "carte.v2/sortie-1");
  EXPECT_EQ(PartPath("a.b.gpx", 10), "a.b-10.gpx");
  EXPECT_EQ(PartPath(".asc", 3), ".asc-3");
}

// "H" here, "N" a new part, "O" a new part after the point before.
std::string Places(PartCutter& cutter, const std::string& firsts) {
  std::string places;
  for (char first : firsts) {
    switch (cutter.TrackPoint(first == '1')) {
      case PartCutter::Place::Here: places += 'H'; break;
      case PartCutter::Place::NewPart: places += 'N'; break;
      case PartCutter::Place::NewPartOverlap: places += 'O'; break;
    }
  }
  return places;
}

TEST(PartCutter, TwoPointsAPartMoveOnePointAtATime) {
  PartCutter cutter(2, 0);
  // A track of four points, then one of two.
  EXPECT_EQ(Places(cutter, "100010"), "HHOONH");
  EXPECT_EQ(cutter.Parts(), 4u);
  EXPECT_EQ(cutter.Overlaps(), 2u);
}

TEST(PartCutter, AFullFirstPartOfWaypointsSendsTheTracksOn) {
  PartCutter cutter(3, 3);
  EXPECT_EQ(Places(cutter, "1000"), "NHHO");
  EXPECT_EQ(cutter.Parts(), 3u);
}

TEST(PartCutter, BudgetsThatCannotBeMetFail) {
  EXPECT_THROW(PartCutter(2, 3), ConversionFailure);
  PartCutter one(1, 0);
  EXPECT_EQ(Places(one, "11"), "HN");  // tracks of one point fit
  EXPECT_THROW(one.TrackPoint(false), ConversionFailure);
}

}  // namespace
}  // namespace tessaline
