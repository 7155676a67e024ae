#pragma once
// The conversions behind the tables of roads, for one host: a front end makes
// one Roads and asks it to convert each file under its request. Every road
// runs through the same signature and ends the same way (completion, the
// road's message with its reason, or a stop); the choice of road is
// road_table.h's alone, made once per file.

#include <memory>
#include <optional>
#include <string>
#include <vector>

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
  // One more sink of every road that completes, beside its writer; none
  // when null. Must outlive the Roads.
  SecondSink* second = nullptr;
  // --split: an output of a format with a limit (a device file's, or -n)
  // longer than it is cut into parts rather than thinned; chart files,
  // which have none, are written as without it.
  bool split = false;
};

class Roads {
 public:
  Roads(Host& host, RoadServices services);
  Roads(const Roads&) = delete;
  Roads& operator=(const Roads&) = delete;
  ~Roads();

  // The road `path` takes under `request`, looking at the file once.
  const RoadDescriptor& Decide(const std::string& path, Request request);

  // Converts `path` along `road`; `output` names its output (-o), "" for
  // the road's own names. An exception that escapes a conversion (memory
  // exhausted) ends it with the road's message instead of ending the
  // program.
  ConversionOutcome Convert(const std::string& path, const RoadDescriptor& road, const std::string& output = "");
  // Decide, then Convert.
  ConversionOutcome Convert(const std::string& path, Request request, const std::string& output = "");

 private:
  // `parts` receives the paths of an output cut into parts (--split).
  ConversionOutcome Run(const RoadDescriptor& road, const std::string& path, const std::string& output,
                        std::vector<std::string>& parts);
  // What an output of `format` may hold: a device file's, or another's.
  PointBudget BudgetOf(Format format) const;

  Host& host_;
  RoadServices services_;
  std::unique_ptr<DeviceToChartConverter> device_to_chart_;
};

}  // namespace tessaline
