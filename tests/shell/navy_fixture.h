#pragma once
// A Navy on the offscreen platform with its staging store in a temporary
// folder and its messages recorded instead of shown; drops, clicks and a
// run of the event loop until the program ends.

#include <gtest/gtest.h>

#include <QList>
#include <QMimeData>
#include <QString>
#include <QUrl>
#include <QColor>
#include <functional>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

#include "shell/qt/controls.h"
#include "shell/qt/navy.h"
#include "support/temp_folder.h"

// Failures show colours as #rrggbb.
inline void PrintTo(const QColor& color, std::ostream* out) { *out << color.name().toStdString(); }
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace tessaline::testing {

struct ShownMessage {
  std::string text;
  MessageIcon icon;
  bool operator==(const ShownMessage&) const = default;
};

inline constexpr const char* kFormatMessage = "Problème de format: Ce fichier ne peut pas être traité.";
inline constexpr const char* kDeviceToChartError = "Erreur dans le module de conversion ZRB -> Vestamar";
inline constexpr const char* kChartToDeviceError = "Erreur dans le module de conversion Vestamar -> ZRB";

// Three points: a track of two (group 1) and a waypoint (group 2).
inline constexpr const char* kSmallDeviceFile =
    "47.8702,-3.919,4.5,\"Concarneau\",1\r\n"
    "47.8551,-3.9302,8.0,\"Sortie\",1\r\n"
    "47.7172,-3.9575,22.0,\"Basse Jaune\",2\r\n";

inline constexpr const char* kSmallTrackFile =
    "T;Rade;1;1\r\n"
    "P;-4.495000000000000;48.379000000000000;8.50;-9999;12/05/2024 09:14:10\r\n";

class NavyTest : public ::testing::Test {
 protected:
  NavyTest();
  ~NavyTest() override;

  // A loaded window over this fixture's services.
  Navy& MakeNavy();

  template <typename T = QWidget>
  T* Control(const char* name) {
    T* control = navy_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  NavyLabel* Label(const char* name) { return Control<NavyLabel>(name); }

  // A file in the temporary folder with `content`; its path.
  std::string WriteFile(const char* name, std::string_view content);

  // Drag enter, move and drop of `data` on the window, over lblFichiers;
  // whether the drop was taken.
  bool Drop(const QMimeData& data);
  bool DropFiles(const std::vector<std::string>& paths);
  // Waits until the dropped files are all converted.
  void WaitUntilSettled();
  void Click(QWidget* widget);

  // Runs the event loop with `action` queued first, until the program ends
  // or a watchdog gives up; the exit code (-1 for the watchdog).
  int RunUntilProgramEnds(std::function<void()> action);

  TempFolder folder_;
  NavyServices services_;
  std::vector<ShownMessage> messages_;
  std::vector<std::string> message_details_;  // the lines under each message
  // Run inside the conversion whenever a message is shown.
  std::function<void()> on_message_;
  std::unique_ptr<Navy> navy_;
};

}  // namespace tessaline::testing
