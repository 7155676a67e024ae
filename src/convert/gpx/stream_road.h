#pragma once
// A road other than the two converters': a reader of its input's format,
// the fit, a writer of the format asked for, on one stream of points, with
// the GPX roads' panel steps (1 the input, 2 its size, 3 the points read and
// written, 4 the outputs replaced together).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "convert/conversion_outcome.h"
#include "convert/track_budget.h"
#include "formats/point_stream.h"
#include "host/host.h"
#include "platform/clock.h"
#include "platform/regional_settings.h"

namespace tessaline::gpx {

enum class Format { Device, Chart, Gpx, Nmea, Kml, Kmz };  // Nmea: read only

struct StreamRoad {
  Format from = Format::Gpx, to = Format::Gpx;
  std::vector<std::string> outputs;  // a chart's: the track file, then the waypoint file
  const char* message = nullptr;     // a failure's, its reader's format's
  // A road whose outputs take its input's format: an output over the input,
  // or over the other file of a chart input's pair, is refused with this.
  const char* over_input = nullptr;
  // The day of a log without a date (--date), in days since 1970-01-01.
  std::optional<std::int64_t> log_day = std::nullopt;
};

struct StreamServices {
  const RegionalSettings* regional = nullptr;  // chart outputs: Value and stamps
  Clock* clock = nullptr;                      // chart outputs: stamps
  PointBudget budget;                          // the points each output may hold
  // Receives the paths of the parts of an output cut into several
  // (PointBudget::split); stays empty for one written whole. May be null.
  std::vector<std::string>* parts = nullptr;
  SecondSink* second = nullptr;                // told the points as they are read (its Read)
};

ConversionOutcome ConvertStream(Host& host, const std::string& path, const StreamRoad& road,
                                const StreamServices& services);

// After a road has completed, whichever runs it: its input read again into
// `second`'s Read (unless the road told it as it read: `input_told`), then
// its outputs into its Written, each with its format's reader. Nothing is
// shown or told; a file that cannot be read again gives nothing.
void FeedSecondSink(Host& host, const std::string& path, const StreamRoad& road, SecondSink& second,
                    bool input_told = false);

}  // namespace tessaline::gpx
