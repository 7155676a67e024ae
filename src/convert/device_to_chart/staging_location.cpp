#include "convert/device_to_chart/staging_location.h"

#include "platform/app_folders.h"

namespace tessaline {

StagingLocation DefaultStagingLocation() {
  StagingLocation location;
  location.program_folder = platform::ProgramFolder();
  location.cache_folder = platform::CacheFolder();
#ifdef TESSALINE_INSTALLED_LAYOUT
  location.installed = true;
#endif
  return location;
}

std::string ChooseStagingFolder(FileSystem& files, const StagingLocation& location) {
  if (!location.installed && !location.program_folder.empty() &&
      files.IsWritableFolder(location.program_folder)) {
    return location.program_folder;
  }
  if (location.cache_folder.empty()) return "";
  if (files.IsWritableFolder(location.cache_folder)) return location.cache_folder;
  if (files.CreateFolders(location.cache_folder) && files.IsWritableFolder(location.cache_folder)) {
    return location.cache_folder;
  }
  return "";
}

}  // namespace tessaline
