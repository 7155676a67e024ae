#include "host/conversion_report.h"

namespace tessaline {

void ConversionReport::Warn(const WarningKind& kind, std::uint64_t line, std::uint64_t times, std::string detail) {
  if (times == 0) return;
  for (Warning& warning : warnings_) {
    if (warning.kind == &kind) {
      warning.count += times;
      return;
    }
  }
  warnings_.push_back(Warning{&kind, line, times, std::move(detail)});
}

}  // namespace tessaline
