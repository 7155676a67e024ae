#pragma once
// A road of the stream whose output is too long for its budget, cut into
// parts (convert/split_parts.h) rather than thinned: the input is read once
// for its waypoints, which go to the first part with its count of points,
// then, when they do not all fit in one file, again for its tracks, each
// part with a writer of its own, so that every part is a whole file of its
// format (a GPX document, device runs numbered from 1) and a track that goes
// on into the next part is named there again. Every part goes to its
// temporary file as it is made; they replace their targets together.

#include <memory>
#include <string>
#include <vector>

#include "convert/fit_output.h"
#include "convert/gpx/gpx_job.h"
#include "convert/gpx/stream_writers.h"

namespace tessaline::gpx {

struct PartedRoad {
  std::string output;  // the one output the road writes when nothing is cut
  bool (*read)(GpxJob&, InputStream&, PointSink&, bool numbers, bool eight_bit);
  bool eight_bit;  // read with 8-bit texts
  std::unique_ptr<StreamWriter> (*make)(const WriterContext&);
  FitPlan plan;  // of each part, but for its name
  TextForm form;
  const RegionalSettings* regional;
  Clock* clock;
};

// Writes the parts and completes the conversion, or, when every point
// fits in one file, writes nothing and returns false: the road then runs
// as without a split, its report as it was before.
// `written`, when given, receives the parts' paths.
bool ConvertStreamInParts(GpxJob& job, const PartedRoad& road, std::uint64_t budget,
                          std::vector<std::string>* written);

}  // namespace tessaline::gpx
