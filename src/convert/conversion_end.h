#pragma once
// The one way every conversion ends. The steps run inside RunConversion;
// they throw ConversionFailure to fail and ConversionStopped when the host
// asks them to stop, and finish with CompleteConversion.

#include <exception>
#include <new>
#include <string>

#include "convert/conversion_failure.h"
#include "convert/conversion_outcome.h"
#include "host/conversion_report.h"
#include "convert/messages.h"
#include "host/host.h"

namespace tessaline {

// Thrown when the host's Yield asks the conversion to stop.
struct ConversionStopped {};

// Yields to the host; throws ConversionStopped when it asks to stop.
inline void YieldOrStop(Host& host) {
  if (host.Yield()) throw ConversionStopped{};
}

// The end of a successful conversion, in this order: ShpEtape4 green, the
// final percentages, cmdOK with the caption for `path` and the report's
// summary and warnings.
void CompleteConversion(Host& host, const std::string& path, const ConversionReport& report);

// The converter's error message (`message`), with the reason and the
// warnings met so far; the panel stays as it is.
void ShowFailure(Host& host, const char* message, const ConversionFailure& failure,
                 const ConversionReport& report);

// Runs `steps` (which call CompleteConversion at their end) and turns the
// way they ended into the outcome; a failure shows `message`. Memory
// exhausted by a very large file fails like any other unusable input
// instead of ending the program.
template <typename Steps>
ConversionOutcome RunConversion(Host& host, const char* message, const ConversionReport& report,
                                Steps&& steps) {
  try {
    steps();
    return ConversionOutcome::Completed;
  } catch (const ConversionStopped&) {
    return ConversionOutcome::Stopped;
  } catch (const ConversionFailure& failure) {
    ShowFailure(host, message, failure, report);
  } catch (const std::bad_alloc&) {
    ShowFailure(host, message, ConversionFailure(messages::kOutOfMemory), report);
  } catch (const std::exception&) {
    ShowFailure(host, message, ConversionFailure(messages::kUnexpected), report);
  }
  return ConversionOutcome::Failed;
}

}  // namespace tessaline
