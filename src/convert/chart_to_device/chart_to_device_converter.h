#pragma once
// Chart track or waypoint file -> device point file ("Vestamar -> ZRB").
// Step 1 finds whether the file holds tracks or waypoints; the matching
// conversion counts the lines, builds the device lines in memory and writes
// them to the input's base name + ".asc".

#include <string>
#include <vector>

#include "convert/conversion_outcome.h"
#include "convert/track_budget.h"
#include "host/host.h"

namespace tessaline {

// The twin of DeviceToChartConverter: made once for a host, then one call
// per file. This direction keeps nothing between calls.
class ChartToDeviceConverter {
 public:
  // `budget`: the points the device file may hold (track_budget.h).
  explicit ChartToDeviceConverter(Host& host, PointBudget budget = PointBudget::ForDevice(std::nullopt))
      : host_(host), budget_(std::move(budget)) {}

  // `output`: the device file; "" for the input's base name + ".asc".
  // `parts`, when given, receives the paths of the parts of an output cut
  // into several (PointBudget::split); it stays empty for an output written whole.
  ConversionOutcome ConvertChartToDevice(const std::string& path, const std::string& output = "",
                                         std::vector<std::string>* parts = nullptr);

 private:
  Host& host_;
  PointBudget budget_;
};

// The same as a one-off call.
ConversionOutcome ConvertChartToDevice(Host& host, const std::string& path,
                                       const PointBudget& budget = PointBudget::ForDevice(std::nullopt),
                                       const std::string& output = "",
                                       std::vector<std::string>* parts = nullptr);

}  // namespace tessaline
