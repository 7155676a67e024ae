#pragma once
// What the fault-injection tests share: which calls to make fail, what a
// folder holds afterwards, and a clock that does not move.

#include <gtest/gtest.h>

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

// The error a failing call of each kind is given: the usual error of that
// kind of call, and for some a system text of their own, so that the
// reason shown can be traced to the call.
FileError InjectedErrorFor(FsCall call);

// Whether `reason` names one of `files` (by name) and ends with the text of
// the error injected into `call`: "trace.zbx : Erreur d'entrée/sortie".
::testing::AssertionResult NamesFileAndInjectedError(const std::string& reason,
                                                     const std::vector<std::string>& files,
                                                     FsCall call);

class FixedClock final : public Clock {
 public:
  LocalTime Now() override { return LocalTime{2024, 3, 9, 14, 5, 7}; }
};

}  // namespace tessaline::testing
