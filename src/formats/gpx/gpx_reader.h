#pragma once
// Streaming GPX 1.0/1.1 reader over Expat. The document is fed in large
// blocks and never held whole; points reach a sink as they end, so memory
// stays flat whatever the size of the file.
//
// Safety: expat_document.h's refusals (a DOCTYPE, entities, tokens over
// kMaxToken, deep nesting).
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

#include "formats/gpx/expat_document.h"
#include "formats/gpx/gpx_model.h"
#include "formats/point_stream.h"
#include "host/file_system.h"

namespace tessaline::gpx {

// A GPX point in the stream: lat_text and lon_text read as numbers
// (ReadGpxDecimal) within range; its Value as PointValue gives it; its own
// <name>, else its run's; `time` in UTC; `offset` is the byte offset of its end.
using GpxPoint = StreamPoint;
using GpxSink = PointSink;

// Reads the whole document.
GpxReadResult ReadGpx(InputStream& input, GpxSink& sink);

}  // namespace tessaline::gpx
