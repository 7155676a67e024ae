#pragma once
// Streaming GPX 1.0/1.1 reader over Expat. The document is fed in large
// blocks and never held whole; points reach a sink as they end, so memory
// stays flat whatever the size of the file.
//
// Safety: a DOCTYPE (and with it every entity declaration, internal or
// external) is refused, nothing outside the document is ever loaded, a
// name, attribute, text or comment longer than kMaxToken is refused soon
// after it starts, and so is nesting deeper than kMaxDepth. A refusal
// names the line and column.
//
// Accepted: any namespace prefix (elements are matched by local name; the
// value extension also by its namespace), unknown elements and extensions
// (skipped), CR LF or LF, a UTF-8 BOM, UTF-16, UTF-32 with its BOM (read
// as UTF-8 whatever the declaration says) and the single-byte encodings
// a declaration may name (single_byte_encodings.h). A document whose root is
// no gpx element is refused.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/gpx/gpx_model.h"
#include "host/file_system.h"

namespace tessaline::gpx {

inline constexpr std::size_t kMaxToken = 1024 * 1024;
inline constexpr std::size_t kMaxDepth = 1000;
inline constexpr std::size_t kReadBlock = 1024 * 1024;

struct GpxPoint {
  // As written, for an exact copy; each reads as a number (ReadGpxDecimal)
  // within range.
  std::string_view lat_text, lon_text;
  // The coordinates as numbers, read only when asked: most roads copy the
  // texts, and need the numbers only for a reduction.
  double Lat() const { return ReadGpxDecimal(lat_text).value_or(0); }
  double Lon() const { return ReadGpxDecimal(lon_text).value_or(0); }
  std::string_view name;   // its own <name>, else its run's
  bool named = false;      // it has a <name> of its own that is not blank
  std::string_view value;  // see PointValue
  std::string_view fields;  // a W line's other fields (gpx_model.h)
  bool has_fields = false;  // false: none given, the usual ones
  std::uint64_t line = 0;  // where the point starts
  std::uint64_t offset = 0;  // byte offset of its end, for progress
};

// The sink may throw (a stop request, memory exhausted): the reading stops
// and ReadGpx throws it again, once outside Expat.
class GpxSink {
 public:
  virtual ~GpxSink() = default;
  // A run's first point follows. `name` is the run's own <name>, "" when none.
  virtual void BeginRun(RunKind kind, std::string_view name) = 0;
  // False stops the reading.
  virtual bool Point(const GpxPoint& point) = 0;
  // After the last point of a run that had any.
  virtual void EndRun(RunKind kind, std::uint64_t points) = 0;
  // A point left out: its latitude or longitude is missing, no number or out
  // of range. `line` is where it starts.
  virtual void PointSkipped(std::uint64_t line) = 0;
};

enum class GpxReadEnd { Finished, Stopped, Refused, ReadFailed };

struct GpxReadResult {
  GpxReadEnd end = GpxReadEnd::Finished;
  std::string reason;  // for Refused: "ligne L, colonne C : ..."
};

// Reads the whole document.
GpxReadResult ReadGpx(InputStream& input, GpxSink& sink);

}  // namespace tessaline::gpx
