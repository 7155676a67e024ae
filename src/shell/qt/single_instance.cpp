#include "shell/qt/single_instance.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QRegularExpression>
#include <QThread>

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

namespace tessaline {
namespace {

// A request on the socket: the magic, the mode ('c' convert, 'g' GPX), the
// payload's length (4 bytes, big-endian) and the payload, each path as the
// file system's bytes (not always UTF-8) followed by a NUL byte. The window answers one byte once it has it.
constexpr char kMagic[] = "TSL1";
constexpr int kHeaderSize = 4 + 1 + 4;
constexpr quint32 kMaxPayload = 16u << 20;  // far beyond any command line
constexpr char kAcknowledged = 'k';

// A folder only this user may enter: theirs, a folder, no link, closed to
// everyone else. Checked each time it is used, since the temporary folder
// is shared and its content can change under the program.
bool IsPrivateFolder(const QByteArray& path) {
  struct stat info;
  return lstat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
         (info.st_mode & 077) == 0;
}

// Where the socket lives: the user's runtime folder, else a folder of the
// user's own made in the temporary folder; "" when neither can be had
// (another user took that name first): there is then no single window, and
// no one else is ever handed this user's files.
QByteArray PrivateFolder() {
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  if (runtime.startsWith('/') && IsPrivateFolder(runtime)) return runtime;
  const QByteArray own = QFile::encodeName(QDir::tempPath()) + "/tessaline-" + QByteArray::number(::getuid());
  ::mkdir(own.constData(), 0700);
  return IsPrivateFolder(own) ? own : QByteArray();
}

QString SocketPath(const QString& name) {
  const QByteArray folder = PrivateFolder();
  return folder.isEmpty() ? QString() : QFile::decodeName(folder) + QLatin1Char('/') + name;
}

// Whether the process at the other end of a connection runs as this user:
// asked of every connection, both ways, so that a socket put in place by
// someone else between two looks is never handed paths, nor believed.
bool PeerIsThisUser(const QLocalSocket& socket) {
  struct ucred peer {};
  socklen_t size = sizeof peer;
  return getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
         peer.uid == ::getuid();
}

bool IsThisUsersSocket(const QString& path) {
  const QFileInfo socket_file(path);
  return !socket_file.exists() || socket_file.ownerId() == static_cast<uint>(::getuid());
}

// Whether the lock beside the socket belongs to a process of this user
// that still runs: the window is then starting, or busy, and worth waiting
// for. A process this user may not signal is someone else's.
bool HeldByLiveProcess(const QString& path) {
  QLockFile lock(path + QStringLiteral(".lock"));
  qint64 pid = 0;
  QString host, application;
  if (!lock.getLockInfo(&pid, &host, &application) || pid <= 0) return false;
  return ::kill(static_cast<pid_t>(pid), 0) == 0;
}

QByteArray Encode(const LaunchRequest& request) {
  QByteArray payload;
  for (const std::string& path : request.absolute_paths) {
    payload.append(path.data(), static_cast<qsizetype>(path.size()));
    payload.append('\0');
  }
  QByteArray frame(kMagic, 4);
  frame.append(HandOverCode(request.request));
  const auto size = static_cast<quint32>(payload.size());
  for (int shift = 24; shift >= 0; shift -= 8) frame.append(static_cast<char>((size >> shift) & 0xFF));
  frame.append(payload);
  return frame;
}

enum class Decoded { Incomplete, Invalid, Complete };

// A whole, well-formed request from another start; anything else (a
// stranger's bytes, a relative or broken path) is refused whole.
Decoded Decode(const QByteArray& frame, LaunchRequest& request) {
  const qsizetype known = std::min<qsizetype>(frame.size(), 4);
  if (frame.left(known) != QByteArray(kMagic, known)) return Decoded::Invalid;
  if (frame.size() < kHeaderSize) return Decoded::Incomplete;
  const std::optional<Request> mode = RequestOfHandOverCode(frame[4]);
  if (!mode) return Decoded::Invalid;
  quint32 size = 0;
  for (int i = 5; i < kHeaderSize; ++i) size = (size << 8) | static_cast<unsigned char>(frame[i]);
  if (size > kMaxPayload) return Decoded::Invalid;
  if (frame.size() < kHeaderSize + static_cast<qsizetype>(size)) return Decoded::Incomplete;
  if (frame.size() > kHeaderSize + static_cast<qsizetype>(size)) return Decoded::Invalid;

  request = LaunchRequest{*mode, {}};
  const std::string_view payload(frame.constData() + kHeaderSize, size);
  if (!payload.empty() && payload.back() != '\0') return Decoded::Invalid;
  std::size_t start = 0;
  while (start < payload.size()) {
    const std::size_t end = payload.find('\0', start);
    const std::string_view path = payload.substr(start, end - start);
    if (path.empty() || path.front() != '/') return Decoded::Invalid;
    request.absolute_paths.emplace_back(path);
    start = end + 1;
  }
  return Decoded::Complete;
}

// The display part of the name, safe as a file name: ":1.0" and ":1" are
// the same X display.
QString DisplayKey(const QString& wayland_display, const QString& x_display, const QString& session_id) {
  QString key;
  if (!wayland_display.isEmpty()) {
    key = QStringLiteral("wayland-") + wayland_display;
  } else if (!x_display.isEmpty()) {
    QString display = x_display;
    display.remove(QRegularExpression(QStringLiteral("\\.[0-9]+$")));
    key = QStringLiteral("x") + display;
  } else if (!session_id.isEmpty()) {
    key = QStringLiteral("session-") + session_id;
  } else {
    key = QStringLiteral("console");
  }
  key.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
  return key;
}

}  // namespace

QString SingleInstanceName(unsigned user_id, const QString& wayland_display, const QString& x_display,
                           const QString& session_id) {
  return QStringLiteral("tessaline-%1-%2").arg(user_id).arg(DisplayKey(wayland_display, x_display, session_id));
}

QString SingleInstanceName() {
  return SingleInstanceName(static_cast<unsigned>(::getuid()), qEnvironmentVariable("WAYLAND_DISPLAY"),
                            qEnvironmentVariable("DISPLAY"), qEnvironmentVariable("XDG_SESSION_ID"));
}

bool SendToRunning(const LaunchRequest& request, const QString& name, int timeout_ms) {
  const QDeadlineTimer deadline(timeout_ms);
  QLocalSocket socket;
  for (;;) {
    // Every try looks again: the folder and the socket may have changed.
    const QString path = SocketPath(name);
    if (path.isEmpty() || !IsThisUsersSocket(path)) return false;
    socket.connectToServer(path);
    if (socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
      if (!PeerIsThisUser(socket)) return false;
      break;
    }
    socket.abort();
    if (!HeldByLiveProcess(path) || deadline.hasExpired()) return false;
    QThread::msleep(50);  // the window holds the session but does not listen yet
  }
  socket.write(Encode(request));
  while (socket.bytesToWrite() > 0) {
    if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) return false;
  }
  while (socket.bytesAvailable() < 1) {
    if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) return false;
  }
  char answer = 0;
  return socket.getChar(&answer) && answer == kAcknowledged;
}

SingleInstanceListener::SingleInstanceListener(Callback on_request, QObject* parent)
    : QObject(parent), on_request_(std::move(on_request)), server_(new QLocalServer(this)) {
  connect(server_, &QLocalServer::newConnection, this, &SingleInstanceListener::Accept);
}

SingleInstanceListener::~SingleInstanceListener() {
  server_->close();  // removes the socket before the lock goes
}

bool SingleInstanceListener::Listen(const QString& name) {
  const QString path = SocketPath(name);
  if (path.isEmpty()) return false;
  auto lock = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
  // Held as long as the window runs: only a lock whose process is gone is
  // stale, never an old one.
  lock->setStaleLockTime(0);
  if (!lock->tryLock(0)) return false;
  QLocalServer::removeServer(path);  // a socket left by a window that crashed
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(path)) return false;
  lock_ = std::move(lock);
  return true;
}

void SingleInstanceListener::Accept() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    if (!PeerIsThisUser(*socket)) {
      socket->abort();
      socket->deleteLater();
      continue;
    }
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (socket->bytesAvailable() > 0) Read(socket);
  }
}

void SingleInstanceListener::Read(QLocalSocket* socket) {
  QByteArray frame = socket->property("frame").toByteArray() + socket->readAll();
  LaunchRequest request;
  switch (Decode(frame, request)) {
    case Decoded::Incomplete:
      socket->setProperty("frame", frame);
      return;
    case Decoded::Invalid:
      socket->setProperty("frame", QByteArray());
      socket->abort();
      return;
    case Decoded::Complete:
      break;
  }
  socket->setProperty("frame", QByteArray());
  socket->putChar(kAcknowledged);
  socket->flush();
  // After the answer: the sender is not kept waiting while the window works.
  QMetaObject::invokeMethod(
      this, [this, request = std::move(request)] { on_request_(request); }, Qt::QueuedConnection);
}

}  // namespace tessaline
