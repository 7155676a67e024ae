#pragma once
// The panel's part of the window's core: start-up state, the direction
// selector, the drop sequence and its conversions (also of the files the
// system opens with the program), the panel's reset, hover emphasis of the
// command labels, and closing (also during a conversion).
// NavyCore calls it from the window's events; it acts on the port.

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "convert/device_to_chart/staging_location.h"
#include "convert/roads/roads.h"
#include "host/file_system.h"
#include "picture/picture.h"
#include "platform/clock.h"
#include "platform/regional_settings.h"
#include "shell/logic/navy_port.h"
#include "shell/logic/panel_host.h"

namespace tessaline {

enum class NavyState {
  Idle,        // waiting for a drop
  Converting,  // direction labels hidden, drops refused
  Done,        // the completion button covers the panel until clicked
};

// What the window's conversions run with; tests and benchmarks choose their
// own.
struct NavyServices {
  StagingLocation staging;
  RegionalSettings regional;
  Clock* clock = nullptr;            // null: the system clock
  FileSystem* files = nullptr;       // null: the machine's file system
  MessagePresenter present_message;  // empty: the port's message boxes

  // The running program's staging location and the user's regional settings.
  static NavyServices Default();
};

class NavyLogic {
 public:
  // `scale`: the front end's pixels, for cmdOK's thumbnail.
  NavyLogic(NavyPort& port, NavyServices services, PixelScale scale = PixelScale());
  NavyLogic(const NavyLogic&) = delete;
  NavyLogic& operator=(const NavyLogic&) = delete;
  ~NavyLogic();

  // Start-up: device to chart, Label1 shown selected.
  void Load();

  void Label1Clicked();  // device to chart
  void Label2Clicked();  // chart to device
  void CmdOkClicked();   // the panel's reset

  // The pointer over Label3, over Label4, or over the window's own surface.
  void HoverLabel3();
  void HoverLabel4();
  void HoverSurface();

  // Files dropped on lblFichiers while it accepts drops, in drop order
  // (none: a drop without files, which still runs the converter with an
  // empty path so that it says it cannot work on that). Hides the direction
  // labels, refuses drops and asks the port to schedule the conversions.
  void Dropped(std::vector<std::string> paths);
  // Files the system opens with the program (its command line, or a second
  // start handing them over), each converted as if dropped: under the
  // direction the table of roads gives for it, selected first (a device
  // file: device to chart; any other: chart to device), or to GPX. During a
  // conversion they queue behind it; otherwise the conversion is scheduled
  // as a drop's is, a completion still shown being reset first. Ignored
  // once the program is closing.
  void Opened(std::vector<std::string> paths, Request request);
  // Converts the queued files one after the other, the panel reset between
  // them, then gives back the drop target and the direction labels.
  void RunDroppedFiles();

  // Label3, or the windowing system closing the window. During a conversion
  // the converter is told to stop (it removes what it has half written) and
  // the program ends once it has returned.
  void CloseRequested();

  // Not while converting, nor once the program is ending: a drop arriving
  // between the close and the end of the event loop would otherwise still
  // be converted, the window gone.
  bool AcceptsDrops() const { return state_ != NavyState::Converting && !ending_; }
  // A close was asked for: the program ends, at once or once the
  // conversion has returned.
  bool Closing() const { return ending_ || end_after_conversion_; }
  bool SensConversion() const { return sens_conversion_; }
  const std::string& FichierDepose() const { return fichier_depose_; }
  NavyState State() const { return state_; }
  bool CompletionShown() const { return host_.CompletionShown(); }
  PanelHost& Host() { return host_; }

 private:
  void SelectLabel(ControlId label);
  void UnselectLabel(ControlId label);
  // How a queued file is converted.
  struct PendingFile {
    std::string path;
    bool dropped = true;  // under the direction the labels show, else under `request`
    Request request = Request::ByFile;
  };

  void StartConversions();
  void ConvertOne(const PendingFile& file);
  // cmdOK's thumbnail of the file just completed (of none: empty).
  void ShowThumbnail();

  NavyPort& port_;
  NavyServices services_;
  SystemClock system_clock_;
  PanelHost host_;
  PixelScale scale_;
  picture::PictureBuilder picture_;  // the roads' second sink
  bool thumbnail_shown_ = false;     // cmdOK has a picture to show
  std::unique_ptr<Roads> roads_;

  bool sens_conversion_ = true;
  std::string fichier_depose_;
  std::deque<PendingFile> pending_;
  NavyState state_ = NavyState::Idle;
  bool end_after_conversion_ = false;
  bool ending_ = false;
};

}  // namespace tessaline
