#pragma once
// Where the staging store "ZRB_DB.dat" and its lock "ZRB_DB.lock" lie: the
// program's folder, or the user's cache folder for an installed program or
// when the program's folder cannot be written.

#include <string>

#include "host/file_system.h"

namespace tessaline {

struct StagingLocation {
  std::string program_folder;  // folder of the running executable
  std::string cache_folder;    // $XDG_CACHE_HOME/tessaline or ~/.cache/tessaline
  bool installed = false;      // build configured for installation
};

// The location of the running program, as the platform reports it.
StagingLocation DefaultStagingLocation();

// The folder the store goes into (created when it is the cache folder);
// empty when no usable folder exists.
std::string ChooseStagingFolder(FileSystem& files, const StagingLocation& location);

// The folder a store left by an earlier run would lie in, by the same rule,
// without creating anything (the cache folder may not exist); empty when
// there is none.
std::string ExistingStagingFolder(FileSystem& files, const StagingLocation& location);

}  // namespace tessaline
