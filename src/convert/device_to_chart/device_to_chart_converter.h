#pragma once
// Device point file -> chart track and waypoint files ("ZRB -> Vestamar").
// Step 1 stages every line into the store, step 2 cuts the points into runs
// of equal Group, steps 3 and 4 write "_TRK.txt" and "_WPT.txt".

#include <cstdint>
#include <string>
#include <vector>

#include "convert/conversion_outcome.h"
#include "convert/device_to_chart/staging_location.h"
#include "convert/track_budget.h"
#include "platform/clock.h"
#include "platform/regional_settings.h"
#include "host/host.h"

namespace tessaline {

// One entry of List1 (tracks) or List2 (waypoints).
struct RunEntry {
  std::string text;          // the run's Group as a whole number
  std::int32_t first_record; // record number of the run's first point
  double group_value;        // the Group as read, unrounded
};

class DeviceToChartConverter {
 public:
  // `budget`: the points the chart files may hold; none by default.
  DeviceToChartConverter(Host& host, RegionalSettings regional, Clock& clock,
                         StagingLocation location, PointBudget budget = {});

  // `base`: of the two outputs, BASE_TRK.txt and BASE_WPT.txt; "" for the
  // input's base name.
  ConversionOutcome ConvertDeviceToChart(const std::string& path, const std::string& base = "");

  // The work lists of the last run; they live as long as the converter.
  const std::vector<RunEntry>& List1() const { return list1_; }
  const std::vector<RunEntry>& List2() const { return list2_; }

 private:
  Host& host_;
  RegionalSettings regional_;
  Clock& clock_;
  StagingLocation location_;
  PointBudget budget_;
  std::vector<RunEntry> list1_;
  std::vector<RunEntry> list2_;
};

}  // namespace tessaline
