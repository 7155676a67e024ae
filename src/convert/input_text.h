#pragma once
// A device or chart file as every road reads it, line by line: its
// byte-order mark told and its Unicode decoded (unicode_text_stream.h), its
// lines cut at CR LF, a lone CR, or at LFs in a file with no CR at all
// (line_reader.h). What the reading changed is told in the report once:
// the lines cut at an LF, the characters the 8-bit outputs cannot hold.

#include <cstdint>
#include <string>
#include <string_view>

#include "formats/gpx/eight_bit_text.h"
#include "formats/line_reader.h"
#include "formats/unicode_text_stream.h"
#include "host/conversion_report.h"
#include "host/file_system.h"

namespace tessaline {

class InputText {
 public:
  // Lines of a file with a mark are handed on as UTF-8 or, for a road
  // whose outputs are 8-bit (`eight_bit`), converted as GPX names are for
  // them. A file without a mark is handed on as it is. `report` receives the
  // notes; null for a pass that tells nothing. `input` (OpenWholeInput) and
  // `report` must outlive this object.
  // `ends`: where lines end (line_reader.h).
  InputText(InputStream& input, const std::string& path, FileSystem& files, bool eight_bit,
            ConversionReport* report, LineEnds ends = LineEnds::CrOrLfOnlyFile);

  // The next line, without its end, valid until the next call; false at the
  // end. Throws the file error on a read failure.
  bool Next(std::string_view& line);

  // Bytes of the file the lines so far came from, line ends included.
  std::uint64_t InputOffset() const { return text_.InputOffset(lines_.BytesConsumed()); }

 private:
  UnicodeTextStream text_;
  LineReader lines_;
  const std::string& path_;
  FileSystem& files_;
  bool eight_bit_;
  ConversionReport* report_;
  std::uint64_t line_number_ = 0;
  std::string converted_;
  gpx::EightBitChanges changes_;
};

}  // namespace tessaline
