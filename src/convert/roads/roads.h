#pragma once
// The conversions behind the table of roads, for one host: a front end makes
// one Roads and asks it to convert each file under its request. Every road
// runs through the same signature and ends the same way (completion, the
// road's message with its reason, or a stop); the choice of road is
// road_table.h's alone.

#include <memory>
#include <optional>
#include <string>

#include "convert/conversion_outcome.h"
#include "convert/device_to_chart/device_to_chart_converter.h"
#include "convert/device_to_chart/staging_location.h"
#include "convert/roads/road_table.h"
#include "host/host.h"
#include "platform/clock.h"
#include "platform/regional_settings.h"

namespace tessaline {

// What the conversions run with.
struct RoadServices {
  RegionalSettings regional;  // decimal mark and time stamps of chart outputs
  Clock* clock = nullptr;     // the stamps' clock; must outlive the Roads
  StagingLocation staging;    // where device-to-chart stages its points
  // The most points any output may hold (--points); nullopt: a device file
  // holds what the device reads, other outputs every point.
  std::optional<std::uint64_t> points;
};

class Roads {
 public:
  Roads(Host& host, RoadServices services);
  Roads(const Roads&) = delete;
  Roads& operator=(const Roads&) = delete;
  ~Roads();

  // Converts `path` along the road the table gives for `request`. An
  // exception that escapes a conversion (memory exhausted) ends it with the
  // road's message instead of ending the program.
  ConversionOutcome Convert(const std::string& path, Request request);

  // The message a failure on `road` is shown under.
  static const char* MessageOf(Road road);

 private:
  ConversionOutcome Run(Road road, const std::string& path);
  // What an output may hold: a device file's, or another's.
  PointBudget DeviceBudget() const;
  PointBudget OtherBudget() const;

  Host& host_;
  RoadServices services_;
  std::unique_ptr<DeviceToChartConverter> device_to_chart_;
};

}  // namespace tessaline
