#pragma once
// A writer for each format, each a sink of the stream of points
// (formats/point_stream.h) keeping its format's notations: it appends its
// lines to the outputs of a FitOutput and tells it which piece each point
// is; how the outputs reach the disk, and whether their tracks are fitted,
// is the FitOutput's. Each counts what it writes in the summary and warns of
// what its format cannot hold.

#include <memory>
#include <string>

#include "convert/fit_output.h"
#include "formats/point_stream.h"
#include "host/conversion_report.h"
#include "platform/clock.h"
#include "platform/regional_settings.h"

namespace tessaline::gpx {

class StreamWriter : public PointSink {
 public:
  // Called once the reading has ended: the document closed.
  virtual void End() {}
  // Called once a fit has cut the gathered outputs, before they are written.
  virtual void Fitted() {}
  // True when the writer refused a point it cannot place while its output
  // streams (a GPX waypoint after a track): the road starts again gathering.
  virtual bool WantsGathering() const { return false; }
  void PointSkipped(std::uint64_t) override {}
};

struct WriterContext {
  ConversionReport& report;
  FitOutput& output;
  TextForm form;                       // of the texts read
  const RegionalSettings* regional;    // chart files: Value and stamps
  Clock* clock;                        // chart files: stamps
};

// One file, BASE.gpx.
std::unique_ptr<StreamWriter> MakeGpxWriter(const WriterContext& context);
// One file, BASE.asc; runs numbered in Group.
std::unique_ptr<StreamWriter> MakeDeviceWriter(const WriterContext& context);
// One file, BASE.kml; a run's points are kept as records until it ends
// (formats/kml/kml_writer.h): in the output's text when it is gathered,
// else in a spill file beside it.
std::unique_ptr<StreamWriter> MakeKmlWriter(const WriterContext& context);
// One file, BASE.kmz: the KML writer's document as doc.kml of a zip archive.
std::unique_ptr<StreamWriter> MakeKmzWriter(const WriterContext& context);
// Two files, the track file (output 0) and the waypoint file (output 1).
std::unique_ptr<StreamWriter> MakeChartWriter(const WriterContext& context);

}  // namespace tessaline::gpx
