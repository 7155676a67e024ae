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

namespace {

bool UsesProgramFolder(FileSystem& files, const StagingLocation& location) {
  return !location.installed && !location.program_folder.empty() &&
         files.IsWritableFolder(location.program_folder);
}

}  // namespace

std::string ChooseStagingFolder(FileSystem& files, const StagingLocation& location) {
  if (UsesProgramFolder(files, location)) return location.program_folder;
  if (location.cache_folder.empty()) return "";
  if (files.IsWritableFolder(location.cache_folder)) return location.cache_folder;
  if (files.CreateFolders(location.cache_folder) && files.IsWritableFolder(location.cache_folder)) {
    return location.cache_folder;
  }
  return "";
}

std::string ExistingStagingFolder(FileSystem& files, const StagingLocation& location) {
  if (UsesProgramFolder(files, location)) return location.program_folder;
  if (!location.cache_folder.empty() && files.TypeOf(location.cache_folder) == FileType::Directory) {
    return location.cache_folder;
  }
  return "";
}

}  // namespace tessaline
