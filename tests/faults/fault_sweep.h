#pragma once
// What the fault-injection tests share: which calls to make fail, what a
// folder holds afterwards, and a clock that does not move.

#include <string>
#include <vector>

#include "platform/clock.h"
#include "support/faulty_file_system.h"

namespace tessaline::testing {

// Every kind of file-system call.
std::vector<FsCall> AllFsCalls();

// The call numbers to make fail among `count` calls: all of them when there
// are few, else an even sample that always holds the first and the last.
std::vector<int> CallsToFail(int count, int most = 24);

// The names in `folder` (not "." and ".."), sorted; empty when it is missing.
std::vector<std::string> FolderEntries(const std::string& folder);

// Names an unfinished output would carry: ".<name>.<random>.tmp".
std::vector<std::string> TemporaryFiles(const std::string& folder);

class FixedClock final : public Clock {
 public:
  LocalTime Now() override { return LocalTime{2024, 3, 9, 14, 5, 7}; }
};

}  // namespace tessaline::testing
