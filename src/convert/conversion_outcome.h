#pragma once
// How a conversion ended, for front ends that need more than the panel (the
// command line's exit status). The user has already been told through the
// host; nothing here is shown again.

namespace tessaline {

enum class ConversionOutcome {
  Completed,  // the completion caption was shown
  Refused,    // the format message (a name not ending in "zbx")
  Failed,     // the converter's error message was shown
  Stopped,    // the host asked to stop; nothing was shown
};

}  // namespace tessaline
