#include "convert/conversion_end.h"

#include "convert/messages.h"
#include "formats/percentage.h"

namespace tessaline {

void CompleteConversion(Host& host, const std::string& path, const ConversionReport& report) {
  host.MarkStepFinished(4);
  // The end of the run always shows both final texts, in this order.
  host.SetInnerPercentage(kFinalInnerPercentage);
  host.SetMainPercentage(kFinalMainPercentage);
  host.ShowCompletion(messages::CompletionCaption(path), messages::CompletionNotes(report));
}

void ShowFailure(Host& host, const char* message, const ConversionFailure& failure,
                 const ConversionReport& report) {
  host.ShowMessage(message, MessageIcon::Error, messages::FailureNotes(report, failure.Reason()));
}

}  // namespace tessaline
