// Tessaline Pro v4.0: the window program.

#include <QApplication>
#include <QDir>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "shell/logic/launch_request.h"
#include "shell/qt/artwork.h"
#include "shell/qt/navy.h"
#include "shell/qt/single_instance.h"

namespace {

// The current folder's own bytes (QDir::currentPath would pass them through
// the locale).
std::string CurrentFolder() {
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return QDir::currentPath().toStdString();
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // The window alone decides when the program ends: it is a tool window,
  // which Qt never counts as the last window, and hiding it into the
  // notification area (or closing a message box meanwhile) must not end
  // the program.
  application.setQuitOnLastWindowClosed(false);
  application.setWindowIcon(tessaline::TessalineIcon());

  // Qt has taken its own options out of argc and argv already. The names
  // are the system's bytes, passed on as they are: a name that is not valid
  // in the locale (Latin-1 on a UTF-8 system) would not survive a QString.
  std::vector<std::string> arguments(argv + 1, argv + argc);
  const tessaline::LaunchArguments launch = tessaline::ParseLaunchArguments(arguments, CurrentFolder());
  if (!launch.unknown_option.empty()) {
    std::fputs(tessaline::UnknownLaunchOptionText(launch.unknown_option).c_str(), stderr);
    return 2;
  }
  const tessaline::LaunchRequest& request = launch.request;

  // One window per session: a window already there takes the request.
  if (tessaline::SendToRunning(request)) return 0;
  tessaline::Navy* window = nullptr;  // requests reach it from the event loop only
  tessaline::SingleInstanceListener listener([&window](const tessaline::LaunchRequest& handed) {
    if (window != nullptr) window->Open(handed);
  });
  // Another window started meanwhile and won the name.
  if (!listener.Listen() && tessaline::SendToRunning(request)) return 0;

  tessaline::Navy navy;
  window = &navy;
  navy.Load();
  if (!request.absolute_paths.empty()) navy.Open(request);
  return application.exec();
}
