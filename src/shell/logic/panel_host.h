#pragma once
// The converters' host inside the window, for both front ends: the panel
// operations on the port's controls, message boxes, a paced yield, and a
// stop that a closing window asks for.

#include <functional>
#include <string>

#include "host/host.h"
#include "host/real_file_system.h"
#include "shell/logic/navy_port.h"
#include "shell/logic/yield_pacer.h"

namespace tessaline {

// Shows a message and the lines under it (the reason, the warnings; may be
// empty) instead of the port's box (tests record them).
using MessagePresenter =
    std::function<void(const std::string& text, MessageIcon icon, const std::string& details)>;

class PanelHost : public Host {
 public:
  // `files` null: the machine's file system.
  explicit PanelHost(NavyPort& port, FileSystem* files = nullptr);

  // An empty presenter gives the port's message boxes back.
  void SetMessagePresenter(MessagePresenter presenter) { presenter_ = std::move(presenter); }

  // From now on Yield answers "stop".
  void RequestStop() { stop_requested_ = true; }
  bool StopRequested() const { return stop_requested_; }

  // cmdOK: whether a conversion has shown it, and hiding it again.
  bool CompletionShown() const { return completion_shown_; }
  void HideCompletion();

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
  NavyPort& port_;
  RealFileSystem real_files_;
  FileSystem* files_;
  MessagePresenter presenter_;
  YieldPacer pacer_;
  bool stop_requested_ = false;
  bool completion_shown_ = false;
  std::string completion_entries_;
};

}  // namespace tessaline
