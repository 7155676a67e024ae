#include "program_run.h"

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>

#include "support/temp_folder.h"

namespace tessaline::testing {

namespace {

std::vector<char*> PointersTo(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (auto& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

ProgramRun RunProgram(const std::string& program, const ProgramCall& call) {
  TempFolder capture;
  const std::string out_path = call.stdout_path.empty() ? capture.File("out") : call.stdout_path;
  const std::string err_path = capture.File("err");

  std::vector<std::string> argv_texts{program};
  argv_texts.insert(argv_texts.end(), call.arguments.begin(), call.arguments.end());
  std::vector<std::string> env_texts = call.environment;
  std::vector<char*> argv = PointersTo(argv_texts);
  std::vector<char*> envp = PointersTo(env_texts);

  // Everything the child needs is opened here: between fork and exec it may
  // only call what is safe in a forked copy of a threaded process.
  const int in_fd = open(call.stdin_path.c_str(), O_RDONLY | O_CLOEXEC);
  const int out_fd = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  int err_fd = -1;
  int terminal = -1;
  if (call.stderr_on_terminal) {
    termios raw{};
    cfmakeraw(&raw);
    winsize size{};
    size.ws_col = 80;
    size.ws_row = 24;
    if (openpty(&terminal, &err_fd, nullptr, &raw, &size) != 0) throw std::runtime_error("openpty");
    fcntl(terminal, F_SETFD, FD_CLOEXEC);
    fcntl(err_fd, F_SETFD, FD_CLOEXEC);
  } else {
    err_fd = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  }
  if (in_fd < 0 || out_fd < 0 || err_fd < 0) throw std::runtime_error("cannot open the standard streams");

  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork");
  if (child == 0) {
    if (!call.folder.empty() && chdir(call.folder.c_str()) != 0) _exit(126);
    dup2(in_fd, 0);
    dup2(out_fd, 1);
    dup2(err_fd, 2);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  close(in_fd);
  close(out_fd);
  close(err_fd);

  ProgramRun run;
  if (terminal >= 0) {
    // Read while it runs, or a chatty child would block on a full terminal.
    // The read fails with EIO once the child and its children have closed it.
    char buffer[4096];
    bool signalled = false;
    for (;;) {
      const ssize_t got = read(terminal, buffer, sizeof buffer);
      if (got > 0) {
        run.err.append(buffer, static_cast<std::size_t>(got));
        if (call.signal_once_written != 0 && !signalled) {
          kill(child, call.signal_once_written);
          signalled = true;
        }
      } else if (got < 0 && errno == EINTR) {
        continue;
      } else {
        break;
      }
    }
    close(terminal);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) run.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
  if (call.stdout_path.empty()) run.out = ReadWholeFile(out_path);
  if (terminal < 0) run.err = ReadWholeFile(err_path);
  return run;
}

}  // namespace tessaline::testing
