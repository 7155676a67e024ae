#pragma once
// The file system of the machine, with buffered reads and writes.

#include "host/file_system.h"

namespace tessaline {

class RealFileSystem final : public FileSystem {
 public:
  PathType TypeOf(const std::string& path) override;
  FileResult<std::uint64_t> Length(const std::string& path) override;
  FileResult<FileIdentity> Identity(const std::string& path) override;
  FileResult<std::unique_ptr<InputStream>> OpenRead(const std::string& path) override;
  FileResult<std::unique_ptr<RandomAccessFile>> OpenRecords(const std::string& path) override;
  FileResult<std::unique_ptr<RandomAccessFile>> CreateRecordsExclusive(const std::string& path) override;
  FileResult<std::unique_ptr<OutputFile>> CreateTemporaryBeside(const std::string& target,
                                                                std::string& temp_path, std::uint32_t readers) override;
  FileStatus Rename(const std::string& from, const std::string& to) override;
  FileStatus SyncFolder(const std::string& folder) override;
  FileStatus Remove(const std::string& path) override;
  FileStatus IsWritableFolder(const std::string& folder) override;
  FileStatus CreateFolders(const std::string& folder) override;
  LockResult TryLock(const std::string& path) override;
  FileFault LastFault() const override;
};

}  // namespace tessaline
