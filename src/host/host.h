#pragma once
// What a converter needs of whoever runs it: the progress panel, message
// boxes, a chance to let the event loop run, and file access. The window and
// the command line each implement it; tests use RecordingHost.

#include <string>

#include "host/conversion_report.h"
#include "host/file_system.h"

namespace tessaline {

enum class MessageIcon { Information, Error };

class Host {
 public:
  virtual ~Host() = default;

  // Progress panel. Percentages arrive as finished text ("37%", "100 %").
  virtual void SetStepText(const std::string& text) = 0;          // lblStatus
  virtual void SetMainPercentage(const std::string& text) = 0;    // lblFichiers
  virtual void SetInnerPercentage(const std::string& text) = 0;   // lblDetails
  virtual void MarkStepFinished(int step) = 0;                    // ShpEtape1..4 green

  // cmdOK caption, shown. `notes` carry the summary of what was converted
  // and the warnings met (the window puts them in cmdOK's tooltip).
  virtual void ShowCompletion(const std::string& caption, const ConversionNotes& notes) = 0;
  void ShowCompletion(const std::string& caption) { ShowCompletion(caption, {}); }

  // A message box under the application's title with one OK button. `notes`
  // carry the reason of a failure and the warnings met before it; the box
  // keeps `text` as its main text and shows them under it.
  virtual void ShowMessage(const std::string& text, MessageIcon icon,
                           const ConversionNotes& notes) = 0;
  void ShowMessage(const std::string& text, MessageIcon icon) { ShowMessage(text, icon, {}); }

  // Called once per line or record. Returns true when the host wants the
  // conversion to stop; the converter then cleans up and returns at once.
  virtual bool Yield() = 0;

  virtual FileSystem& Files() = 0;
};

}  // namespace tessaline
