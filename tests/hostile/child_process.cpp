#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "support/temp_folder.h"

extern char** environ;

namespace tessaline::testing {

namespace {

std::string NewScratchFile() {
  char name[] = "/tmp/tessaline-child-XXXXXX";
  const int fd = mkstemp(name);
  if (fd < 0) throw std::runtime_error("mkstemp failed");
  close(fd);
  return name;
}

// The test's environment with `changes` ("NAME=value") put in.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& changes) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    bool replaced = false;
    for (const std::string& change : changes) replaced |= change.substr(0, change.find('=')) == name;
    if (!replaced) result.push_back(text);
  }
  result.insert(result.end(), changes.begin(), changes.end());
  return result;
}

}  // namespace

Child::Child(const ChildLaunch& launch) : launch_(launch) {
  out_path_ = NewScratchFile();
  err_path_ = NewScratchFile();
  std::vector<std::string> environment = EnvironmentWith(launch_.environment);
  std::vector<char*> argv, envp;
  for (std::string& a : launch_.arguments) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (std::string& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);

  started_ = std::chrono::steady_clock::now();
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    // Only async-signal-safe calls from here to exec.
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(out_path_.c_str(), O_WRONLY | O_TRUNC);
    const int err = open(err_path_.c_str(), O_WRONLY | O_TRUNC);
    if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
    if (!launch_.folder.empty() && chdir(launch_.folder.c_str()) != 0) _exit(126);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
}

Child::~Child() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  unlink(out_path_.c_str());
  unlink(err_path_.c_str());
}

void Child::Kill(int signal) {
  if (pid_ > 0) kill(pid_, signal);
}

ChildResult Child::Wait() {
  ChildResult result;
  const auto deadline = started_ + launch_.time_limit;
  int status = 0;
  rusage usage{};
  for (;;) {
    const pid_t done = wait4(pid_, &status, WNOHANG, &usage);
    if (done == pid_) break;
    if (done < 0 && errno != EINTR) throw std::runtime_error("wait4 failed");
    if (std::chrono::steady_clock::now() > deadline) {
      result.timed_out = true;
      kill(pid_, SIGKILL);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  pid_ = -1;
  result.duration =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started_);
  if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  result.peak_kib = usage.ru_maxrss;
  result.out = ReadWholeFile(out_path_);
  result.err = ReadWholeFile(err_path_);
  return result;
}

ChildResult RunChild(const ChildLaunch& launch) {
  Child child(launch);
  return child.Wait();
}

long BaselinePeakKib(const std::string& program, const std::string& folder) {
  ChildLaunch launch;
  launch.arguments = {program, "--version"};
  launch.folder = folder;
  return RunChild(launch).peak_kib;
}

}  // namespace tessaline::testing
