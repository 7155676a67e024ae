#include "convert/input_text.h"

#include "convert/conversion_failure.h"
#include "convert/messages.h"

namespace tessaline {

InputText::InputText(InputStream& input, const std::string& path, FileSystem& files, bool eight_bit,
                     ConversionReport* report, LineEnds ends)
    : text_(input), lines_(text_, 256 * 1024, ends), path_(path), files_(files), eight_bit_(eight_bit), report_(report) {}

bool InputText::Next(std::string_view& line) {
  if (!lines_.Next(line)) {
    if (lines_.Failed()) throw ConversionFailure::FileOperation(path_, files_);
    return false;
  }
  ++line_number_;
  if (report_ != nullptr && lines_.LfOnly()) report_->Warn(messages::kLfLineEnds, line_number_);
  if (eight_bit_ && text_.Decoded()) {
    const std::uint64_t replaced = changes_.replaced;
    converted_.clear();
    gpx::AppendEightBitLine(converted_, line, changes_);
    line = converted_;
    if (report_ != nullptr) report_->Warn(messages::kGpxCharacterReplaced, line_number_, changes_.replaced - replaced);
  }
  return true;
}

}  // namespace tessaline
