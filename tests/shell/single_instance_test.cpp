// The Linux single-instance channel between two starts of the window
// program, over real local sockets in a private runtime folder. The sender
// blocks, as a second start does, so it runs on a thread of its own while
// the listening "window" keeps its event loop turning.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTemporaryDir>
#include <QThread>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <functional>
#include <vector>

#include "shell/qt/single_instance.h"

namespace tessaline {
namespace {

class SingleInstanceTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(runtime_.isValid());
    previous_runtime_ = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime_.path().toUtf8());
  }
  void TearDown() override { qputenv("XDG_RUNTIME_DIR", previous_runtime_); }

  // A display of this test run alone.
  static QString Session(int display) {
    return SingleInstanceName(static_cast<unsigned>(getuid()), QString(), QStringLiteral(":%1").arg(display),
                              QString());
  }

  // Runs `work` as another process would, blocking, while this "window"
  // answers from its event loop.
  static bool AsAnotherStart(const std::function<bool()>& work) {
    bool result = false;
    QThread* thread = QThread::create([&] { result = work(); });
    thread->start();
    while (!thread->isFinished()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    thread->wait();
    delete thread;
    return result;
  }

  // Turns the event loop until `received` holds `count` requests (or the
  // time runs out).
  static void AwaitRequests(const std::vector<LaunchRequest>& received, std::size_t count,
                            int milliseconds = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (received.size() < count && timer.elapsed() < milliseconds) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QCoreApplication::processEvents();  // and nothing more arrives
  }

  QTemporaryDir runtime_;
  QByteArray previous_runtime_;
};

TEST_F(SingleInstanceTest, ASecondStartHandsItsRequestToTheRunningWindow) {
  const QString session = Session(9101);
  std::vector<LaunchRequest> received;
  SingleInstanceListener window([&](const LaunchRequest& request) { received.push_back(request); });
  ASSERT_TRUE(window.Listen(session));

  // Another window of the same session is refused.
  SingleInstanceListener second([](const LaunchRequest&) {});
  EXPECT_FALSE(second.Listen(session));

  const LaunchRequest to_gpx{Request::ToGpx, {"/home/marin/Île de Sein.zbx", "/tmp/b_TRK.txt"}};
  // A name that is not UTF-8 goes over as the system's bytes.
  const LaunchRequest convert{Request::ByFile, {"/tmp/a.zbx", "/tmp/caf\xE9_TRK.txt"}};
  EXPECT_TRUE(AsAnotherStart([&] { return SendToRunning(to_gpx, session); }));
  EXPECT_TRUE(AsAnotherStart([&] { return SendToRunning(convert, session); }));
  EXPECT_TRUE(AsAnotherStart([&] { return SendToRunning(LaunchRequest{}, session); }));  // to the front
  AwaitRequests(received, 3);
  EXPECT_EQ(received, (std::vector<LaunchRequest>{to_gpx, convert, LaunchRequest{}}));
}

TEST_F(SingleInstanceTest, TwoDisplaysNeverShareAWindow) {
  const unsigned user = static_cast<unsigned>(getuid());
  EXPECT_NE(Session(9102), Session(9103));
  EXPECT_EQ(Session(9102), SingleInstanceName(user, QString(), QStringLiteral(":9102.0"), QString()));
  EXPECT_NE(SingleInstanceName(user, QStringLiteral("wayland-0"), QStringLiteral(":0"), QString()),
            SingleInstanceName(user, QString(), QStringLiteral(":0"), QString()));
  EXPECT_NE(SingleInstanceName(user, QString(), QStringLiteral(":0"), QString()),
            SingleInstanceName(user + 1, QString(), QStringLiteral(":0"), QString()));
  EXPECT_NE(SingleInstanceName(user, QString(), QString(), QStringLiteral("3")),
            SingleInstanceName(user, QString(), QString(), QStringLiteral("4")));
  // A name is one file in the runtime folder, whatever the display says.
  EXPECT_FALSE(SingleInstanceName(user, QStringLiteral("/run/wl/../x"), QString(), QString()).contains('/'));

  std::vector<LaunchRequest> received;
  SingleInstanceListener window([&](const LaunchRequest& request) { received.push_back(request); });
  ASSERT_TRUE(window.Listen(Session(9102)));
  SingleInstanceListener other_display([&](const LaunchRequest& request) { received.push_back(request); });
  EXPECT_TRUE(other_display.Listen(Session(9103)));
  EXPECT_FALSE(AsAnotherStart([&] { return SendToRunning(LaunchRequest{Request::ByFile, {"/a.zbx"}}, Session(9104)); }));
  AwaitRequests(received, 1, 300);
  EXPECT_TRUE(received.empty());
}

TEST_F(SingleInstanceTest, AWindowThatCrashedLeavesTheSessionToTheNextStart) {
  const QString session = Session(9105);
  const QString path = runtime_.path() + QLatin1Char('/') + session;
  // A window that dies holding its lock and its socket.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    QLockFile lock(path + QStringLiteral(".lock"));
    QLocalServer server;
    _exit(lock.tryLock(0) && server.listen(path) ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_EQ(WEXITSTATUS(status), 0);

  // Nobody answers: no waiting for a dead window.
  QElapsedTimer timer;
  timer.start();
  EXPECT_FALSE(AsAnotherStart([&] { return SendToRunning(LaunchRequest{}, session); }));
  EXPECT_LT(timer.elapsed(), 2000);

  std::vector<LaunchRequest> received;
  SingleInstanceListener window([&](const LaunchRequest& request) { received.push_back(request); });
  ASSERT_TRUE(window.Listen(session));
  EXPECT_TRUE(AsAnotherStart([&] { return SendToRunning(LaunchRequest{Request::ByFile, {"/a.zbx"}}, session); }));
  AwaitRequests(received, 1);
  EXPECT_EQ(received, (std::vector<LaunchRequest>{LaunchRequest{Request::ByFile, {"/a.zbx"}}}));
}

TEST_F(SingleInstanceTest, BytesThatAreNoRequestAreRefusedWhole) {
  const QString session = Session(9106);
  std::vector<LaunchRequest> received;
  SingleInstanceListener window([&](const LaunchRequest& request) { received.push_back(request); });
  ASSERT_TRUE(window.Listen(session));
  const QString path = runtime_.path() + QLatin1Char('/') + session;

  using namespace std::string_literals;
  const std::string frames[] = {
      "GET / HTTP/1.0\r\n\r\n"s,
      "TSL1x\0\0\0\0"s,                          // unknown mode
      "TSL1c\0\0\0\x06" "a.zbx\0"s,              // a relative path
      "TSL1c\0\0\0\x07/a.zbx\0\0"s,              // an empty path
      "TSL1c\0\0\0\x06/a.zbx"s,                  // no terminator
      "TSL1c\x7F\0\0\0"s,                        // longer than any request
      "TSL1c\0\0\0\x07/a.zbx\0TSL1"s,            // something after it
  };
  for (const std::string& frame : frames) {
    const bool answered = AsAnotherStart([&] {
      QLocalSocket socket;
      socket.connectToServer(path);
      if (!socket.waitForConnected(2000)) return true;
      socket.write(frame.data(), static_cast<qint64>(frame.size()));
      socket.waitForBytesWritten(2000);
      return socket.waitForReadyRead(500) && socket.bytesAvailable() > 0;
    });
    EXPECT_FALSE(answered) << testing::PrintToString(frame);
  }
  // The window still serves the next real request.
  EXPECT_TRUE(AsAnotherStart([&] { return SendToRunning(LaunchRequest{Request::ByFile, {"/a.zbx"}}, session); }));
  AwaitRequests(received, 1);
  EXPECT_EQ(received, (std::vector<LaunchRequest>{LaunchRequest{Request::ByFile, {"/a.zbx"}}}));
}

TEST_F(SingleInstanceTest, ASocketOfAnotherUserIsNeverHandedFiles) {
  if (getuid() != 0) GTEST_SKIP() << "needs to give a file to another user";
  const QString session = Session(9107);
  std::vector<LaunchRequest> received;
  SingleInstanceListener stranger([&](const LaunchRequest& request) { received.push_back(request); });
  ASSERT_TRUE(stranger.Listen(session));
  const QByteArray path = (runtime_.path() + QLatin1Char('/') + session).toUtf8();
  ASSERT_EQ(chown(path.constData(), 65534, 65534), 0);
  EXPECT_FALSE(AsAnotherStart([&] { return SendToRunning(LaunchRequest{Request::ByFile, {"/a.zbx"}}, session); }));
  AwaitRequests(received, 1, 300);
  EXPECT_TRUE(received.empty());
}

// Without a runtime folder the socket goes to a folder of the user's own in
// the temporary folder. One that another user made first, or that anyone
// else may enter, is never used: no window is found and no one is handed
// the files, and the window listens nowhere rather than there.
TEST_F(SingleInstanceTest, AFolderOfAnotherUserInTheTemporaryFolderIsNeverUsed) {
  if (getuid() != 0) GTEST_SKIP() << "needs to give a folder to another user";
  QTemporaryDir shared;
  ASSERT_EQ(chmod(shared.path().toUtf8().constData(), 01777), 0);
  const QByteArray previous_tmp = qgetenv("TMPDIR");
  qunsetenv("XDG_RUNTIME_DIR");
  qputenv("TMPDIR", shared.path().toUtf8());
  const QByteArray own = (shared.path() + QStringLiteral("/tessaline-0")).toUtf8();
  const QString session = Session(9108);
  {
    SingleInstanceListener window([](const LaunchRequest&) {});
    ASSERT_TRUE(window.Listen(session));  // made private, then used
    struct stat info;
    ASSERT_EQ(lstat(own.constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
  }
  for (int step = 0; step < 2; ++step) {
    // Open to others, then someone else's.
    ASSERT_EQ(step == 0 ? chmod(own.constData(), 0755) : chown(own.constData(), 65534, 65534), 0);
    std::vector<LaunchRequest> received;
    SingleInstanceListener window([&](const LaunchRequest& request) { received.push_back(request); });
    EXPECT_FALSE(window.Listen(session)) << step;
    EXPECT_FALSE(AsAnotherStart([&] { return SendToRunning(LaunchRequest{Request::ByFile, {"/a.zbx"}}, session, 500); }));
  }
  qputenv("TMPDIR", previous_tmp);
}

// A socket that answers from another user's process (one made in the
// moment between two looks) is never handed the paths: the credentials of
// the other end are asked on every connection.
TEST_F(SingleInstanceTest, AListenerOfAnotherUserIsNeverHandedFiles) {
  if (getuid() != 0) GTEST_SKIP() << "needs to run a process as another user";
  const QString session = Session(9109);
  const QByteArray path = (runtime_.path() + QLatin1Char('/') + session).toUtf8();
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t stranger = fork();
  ASSERT_GE(stranger, 0);
  if (stranger == 0) {
    // Bound by this user, listening as another: what the other end reports.
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()) + 1);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) _exit(1);
    if (setgid(65534) != 0 || setuid(65534) != 0 || listen(listener, 1) != 0) _exit(1);
    if (write(ready[1], "r", 1) != 1) _exit(1);
    const int peer = accept(listener, nullptr, nullptr);
    char frame[256];
    const ssize_t got = read(peer, frame, sizeof frame);
    (void)!write(peer, "k", 1);
    _exit(got > 0 ? 2 : 3);  // 2: it was handed the request
  }
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  EXPECT_FALSE(AsAnotherStart([&] { return SendToRunning(LaunchRequest{Request::ByFile, {"/secret_plan_TRK.txt"}}, session, 1000); }));
  kill(stranger, SIGKILL);
  int status = 0;
  ASSERT_EQ(waitpid(stranger, &status, 0), stranger);
  EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << "the stranger read the request";
  close(ready[0]);
  close(ready[1]);
}

}  // namespace
}  // namespace tessaline
