#pragma once
// One window per user and desktop session (Linux): a second start of the
// window program hands its request to the running window and ends. At
// start-up, once the QApplication exists:
//   if (SendToRunning(request)) return 0;             // the running window has it
//   SingleInstanceListener listener(on_request);
//   if (!listener.Listen() && SendToRunning(request)) return 0;  // lost a race to start
//   ... the window, which also acts on `request` itself ...
// The channel is a local socket named after the user and the display, in a
// folder only the user may enter: the private runtime folder
// ($XDG_RUNTIME_DIR) when there is one, else a folder of mode 0700 of the
// user's own in the temporary folder, checked (owner, mode, no link) each
// time it is used. Each side of every connection checks that the other runs
// as the same user. A lock file beside it says which process holds the
// session; a window that crashed leaves a lock and a socket that the next
// window takes over.

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

#include "shell/logic/launch_request.h"

class QLocalServer;
class QLocalSocket;
class QLockFile;

namespace tessaline {

// This session's instance: the user id and the display (Wayland's, else
// X's without its screen number, else the login session's id).
QString SingleInstanceName();
QString SingleInstanceName(unsigned user_id, const QString& wayland_display,
                           const QString& x_display, const QString& session_id);

// Hands `request` to the window listening under `name` and waits until it
// acknowledges it. False when no window of this user holds that name, when
// it refused the request (a path that is not absolute) or did not
// answer within `timeout_ms`: the caller then opens its own window, and the
// files are not lost. A window that holds the name but is still starting
// is waited for.
bool SendToRunning(const LaunchRequest& request, const QString& name = SingleInstanceName(),
                   int timeout_ms = 5000);

// The running window's side: each request another start hands over reaches
// `on_request` from the event loop, after the sender was answered (so the
// callback may take its time). An empty request asks the window to come to
// the front.
class SingleInstanceListener : public QObject {
  Q_OBJECT

 public:
  using Callback = std::function<void(const LaunchRequest&)>;

  explicit SingleInstanceListener(Callback on_request, QObject* parent = nullptr);
  ~SingleInstanceListener() override;

  // False when another live process holds `name` (or the socket cannot be
  // made).
  bool Listen(const QString& name = SingleInstanceName());

 private:
  void Accept();
  void Read(QLocalSocket* socket);

  Callback on_request_;
  std::unique_ptr<QLockFile> lock_;
  QLocalServer* server_ = nullptr;
};

}  // namespace tessaline
