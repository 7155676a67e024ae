#pragma once
// A port in memory that writes down every call the core makes, one line
// each, and answers the core's questions from a window and screen of its
// own: a 1024 x 768 pixel screen, the window at (200, 100).

#include <sstream>
#include <string>
#include <vector>

#include "shell/logic/navy_port.h"

namespace tessaline::testing {

class FakePort : public NavyPort {
 public:
  std::vector<std::string> calls;
  PixelRect window{200, 100, 298, 302};
  PixelRect screen{0, 0, 1024, 768};
  bool shown = false;
  bool notification_area = true;
  bool icon_added = true;  // what AddTrayIcon answers

  void SetCaption(ControlId id, const std::string& text) override { Note(id, "caption " + text); }
  void SetTextColor(ControlId id, Bgr color) override { Note(id, "text " + Hex(color)); }
  void SetFill(ControlId id, Bgr color) override { Note(id, "fill " + Hex(color)); }
  void SetVisible(ControlId id, bool visible) override { Note(id, visible ? "shown" : "hidden"); }
  void SetBold(ControlId id, bool bold) override { Note(id, bold ? "bold" : "regular"); }
  // A tooltip's lines parted by " | ", one call a line of the script.
  void SetTooltip(ControlId id, const std::string& text) override {
    std::string lines = text;
    for (std::size_t at; (at = lines.find('\n')) != std::string::npos;) lines.replace(at, 1, " | ");
    Note(id, "tooltip " + lines);
  }
  // "thumbnail 1 line 2 dots in 4,4 145x60", then the first line's start
  // and end and the first dot.
  void SetThumbnail(ControlId id, const picture::Thumbnail& thumbnail, const PixelRect& box) override {
    std::string text = "thumbnail " + std::to_string(thumbnail.lines.size()) + " line " +
                       std::to_string(thumbnail.waypoints.size()) + " dots in " + std::to_string(box.left) + "," +
                       std::to_string(box.top) + " " + std::to_string(box.width) + "x" + std::to_string(box.height);
    auto spot = [](const picture::PixelSpot& p) {
      return " " + std::to_string(static_cast<int>(p.x + 0.5)) + "," + std::to_string(static_cast<int>(p.y + 0.5));
    };
    if (!thumbnail.starts.empty()) text += " from" + spot(thumbnail.starts.front());
    if (!thumbnail.ends.empty()) text += " to" + spot(thumbnail.ends.front());
    if (!thumbnail.waypoints.empty()) text += " dot" + spot(thumbnail.waypoints.front());
    Note(id, text);
  }

  void CutToShape(const std::vector<PixelRect>& rows) override {
    calls.push_back("cut to " + std::to_string(rows.size()) + " rows");
  }
  void ShowWindow() override {
    shown = true;
    calls.push_back("show window");
  }
  void HideWindow() override {
    shown = false;
    calls.push_back("hide window");
  }
  bool IsWindowShown() const override { return shown; }
  void GiveFocus() override { calls.push_back("focus"); }
  void BringToFront() override { calls.push_back("to the front"); }
  PixelRect WindowBox() const override { return window; }
  PixelRect ScreenBox() const override { return screen; }
  void MoveWindow(PixelPoint top_left) override {
    window.left = top_left.x;
    window.top = top_left.y;
    calls.push_back("window at " + std::to_string(top_left.x) + "," + std::to_string(top_left.y));
  }
  void CapturePointer(bool captured) override { calls.push_back(captured ? "capture" : "release"); }

  void StartTimer(MotionTimer timer, int interval_ms) override {
    calls.push_back("start " + Name(timer) + " " + std::to_string(interval_ms));
  }
  void StopTimer(MotionTimer timer) override { calls.push_back("stop " + Name(timer)); }

  bool NotificationAreaAvailable() const override { return notification_area; }
  bool AddTrayIcon(const std::string& tooltip) override {
    calls.push_back("tray icon " + tooltip);
    return icon_added;
  }
  void RemoveTrayIcon() override { calls.push_back("no tray icon"); }

  void ShowMessage(const std::string& text, MessageIcon icon, const std::string& details) override {
    calls.push_back((icon == MessageIcon::Error ? "error " : "information ") + text);
    if (!details.empty()) calls.push_back("  under it: " + details);
  }
  // Its lines joined by " / ".
  void ShowAbout(const std::string& text) override {
    std::string line = text;
    for (std::size_t at = line.find('\n'); at != std::string::npos; at = line.find('\n', at)) {
      line.replace(at, 1, " / ");
    }
    calls.push_back("about " + line);
  }
  void ProcessEvents() override {}
  void ScheduleConversion() override { calls.push_back("schedule"); }
  void EndProgram() override { calls.push_back("end"); }

 private:
  static std::string Hex(Bgr color) {
    std::ostringstream out;
    out << std::hex << std::uppercase << color;
    return out.str();
  }
  static std::string Name(MotionTimer timer) {
    return timer == MotionTimer::Move ? "Timer1" : timer == MotionTimer::Physics ? "Timer3" : "TmrHit";
  }
  void Note(ControlId id, const std::string& what) {
    calls.push_back(std::string(RowOf(id).name) + " " + what);
  }
};

}  // namespace tessaline::testing
