#pragma once
// Whether a file starts as an XML document: after an optional byte-order
// mark and blanks, "<?", "<!" or "<" and a name character, in UTF-8,
// UTF-16 of either order, or UTF-32 with its mark. A device or chart line never starts that way, so
// such a file is taken for GPX whatever follows: if it then cannot be read,
// or its root is no gpx element, the user is told why, and no chart reading
// of an XML document can replace an output with an empty file.

#include <optional>

#include "host/file_system.h"

namespace tessaline::gpx {

// Reads as far as the first character that is no blank; nullopt when the
// stream cannot be read.
std::optional<bool> StartsAsXml(InputStream& input);

}  // namespace tessaline::gpx
