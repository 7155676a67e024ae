#pragma once
// The converters' host inside the window: panel operations on the window's
// controls, message boxes, and a yield that keeps the window alive during a
// conversion without slowing it down.

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <string>

#include "host/host.h"
#include "host/real_file_system.h"

class QLabel;

namespace tessaline {

class CompletionButton;
class ShapeControl;

inline constexpr const char* kApplicationTitle = "Tessaline Pro v4.0";

// The controls of the progress panel.
struct PanelControls {
  QLabel* status = nullptr;            // lblStatus
  QLabel* main_percentage = nullptr;   // lblFichiers
  QLabel* inner_percentage = nullptr;  // lblDetails
  std::array<ShapeControl*, 4> steps{};  // ShpEtape1..4
  CompletionButton* completion = nullptr;  // cmdOK
};

// Shows a message and the lines under it (the reason, the warnings; may be
// empty); by default a modal box, which tests replace so that they record
// messages instead of waiting for a click.
using MessagePresenter =
    std::function<void(const std::string& text, MessageIcon icon, const std::string& details)>;

// A modal box under the application's title with one OK button; `details`
// is its informative text.
void ShowMessageBox(QWidget* parent, const std::string& text, MessageIcon icon,
                    const std::string& details = std::string());

class QtHost final : public Host {
 public:
  // Events are processed at most this often while a conversion runs: often
  // enough for 10 ms timers, rarely enough to cost the conversion little.
  static constexpr qint64 kYieldIntervalNs = 10'000'000;
  // Reading the clock costs about as much as converting a short line, so
  // it is read only every so many yields: as many as keep the clock read
  // about this often, however long a line takes.
  static constexpr qint64 kCheckSpacingNs = 250'000;
  static constexpr int kMaxCheckStride = 32;

  // `files` null: the machine's file system.
  QtHost(const PanelControls& controls, QWidget* message_parent, FileSystem* files = nullptr);

  // An empty presenter restores the message boxes.
  void SetMessagePresenter(MessagePresenter presenter) { presenter_ = std::move(presenter); }

  // From now on Yield answers "stop", until ClearStopRequest.
  void RequestStop() { stop_requested_ = true; }
  void ClearStopRequest() { stop_requested_ = false; }
  bool StopRequested() const { return stop_requested_; }

  void SetStepText(const std::string& text) override;
  void SetMainPercentage(const std::string& text) override;
  void SetInnerPercentage(const std::string& text) override;
  void MarkStepFinished(int step) override;
  // cmdOK's tooltip lists the summary and warnings of every file completed
  // since the last ClearCompletionNotes, one entry per file.
  using Host::ShowCompletion;
  using Host::ShowMessage;
  void ShowCompletion(const std::string& caption, const ConversionNotes& notes) override;
  void ShowMessage(const std::string& text, MessageIcon icon, const ConversionNotes& notes) override;
  // A new drop: its files start a new tooltip.
  void ClearCompletionNotes() { completion_entries_.clear(); }
  bool Yield() override;
  FileSystem& Files() override { return *files_; }

 private:
  void ProcessEvents();

  PanelControls controls_;
  QPointer<QWidget> message_parent_;
  RealFileSystem real_files_;
  FileSystem* files_;
  MessagePresenter presenter_;
  QString completion_entries_;
  QElapsedTimer since_events_;  // since events were last processed
  qint64 last_check_ns_ = 0;    // when the clock was last read, on that timer
  int check_stride_ = 1;
  int calls_since_check_ = 0;
  bool stop_requested_ = false;
};

}  // namespace tessaline
