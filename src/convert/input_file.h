#pragma once
// The file a conversion reads, as step 1 finds it: a regular file (a folder
// can read as empty and a FIFO can block a second pass) whose identity and
// length can be told, so that a change between passes can be seen.

#include <cstdint>
#include <memory>
#include <string>

#include "host/file_system.h"

namespace tessaline {

struct InputFile {
  FileIdentity identity;
  std::uint64_t length = 0;
};

// Throws ConversionFailure naming `path` and why, when it is no such file
// (an empty path, as a drop that held no file names, among them).
InputFile CheckInputFile(FileSystem& files, const std::string& path);

// Throws unless `path` still names the file step 1 found, at the same length:
// a file replaced, grown or shrunk between passes would give an output that
// matches none of its versions.
void CheckSameInput(FileSystem& files, const std::string& path, const InputFile& input);

// The input opened for a reading pass, after CheckSameInput. The stream
// makes sure the pass reads the whole file step 1 found and nothing else:
// a byte past its length, or its end before it, throws the failure "le
// fichier a changé pendant la conversion", and at its end the file is
// checked again. A read failure is returned as -1, as by any stream.
std::unique_ptr<InputStream> OpenWholeInput(FileSystem& files, const std::string& path, const InputFile& input);

}  // namespace tessaline
