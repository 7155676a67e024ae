#pragma once
// Runs a program as a child process, the way a shell would, with its output
// in files (so that a large output costs the test no memory) and its peak
// memory from the kernel's accounting. A child can also be started and then
// killed at a chosen moment.

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace tessaline::testing {

struct ChildLaunch {
  std::vector<std::string> arguments;  // the program first
  std::string folder;                  // working folder
  // Added to (or replacing in) the test's own environment.
  std::vector<std::string> environment = {"LC_ALL=C.UTF-8"};
  // A child still running after this is killed and reported as timed out.
  std::chrono::seconds time_limit{120};
};

struct ChildResult {
  int exit_status = -1;   // -1 when ended by a signal
  int signal = 0;         // the signal that ended it
  bool timed_out = false;
  std::string out, err;   // what it wrote on stdout and stderr
  long peak_kib = 0;      // its largest resident size
  std::chrono::milliseconds duration{0};
};

class Child {
 public:
  explicit Child(const ChildLaunch& launch);  // starts it
  ~Child();                               // kills a child still running
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  void Kill(int signal);
  ChildResult Wait();

 private:
  ChildLaunch launch_;
  pid_t pid_ = -1;
  std::string out_path_, err_path_;
  std::chrono::steady_clock::time_point started_;
};

ChildResult RunChild(const ChildLaunch& launch);

// The largest resident size of a run that does nothing ("--version"): what
// the program costs before it holds any data.
long BaselinePeakKib(const std::string& program, const std::string& folder);

}  // namespace tessaline::testing
