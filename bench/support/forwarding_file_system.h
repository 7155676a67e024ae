#pragma once
// The machine's file system, every call passed through: a benchmark derives
// from it and overrides only the calls it times or leaves out.

#include "host/real_file_system.h"

namespace tessaline::bench {

class ForwardingFileSystem : public FileSystem {
 public:
  PathType TypeOf(const std::string& path) override { return real_.TypeOf(path); }
  FileResult<std::uint64_t> Length(const std::string& path) override { return real_.Length(path); }
  FileResult<FileIdentity> Identity(const std::string& path) override { return real_.Identity(path); }
  FileResult<std::unique_ptr<InputStream>> OpenRead(const std::string& path) override {
    return real_.OpenRead(path);
  }
  FileResult<std::unique_ptr<RandomAccessFile>> OpenRecords(const std::string& path) override {
    return real_.OpenRecords(path);
  }
  FileResult<std::unique_ptr<RandomAccessFile>> CreateRecordsExclusive(const std::string& path) override {
    return real_.CreateRecordsExclusive(path);
  }
  FileResult<std::unique_ptr<OutputFile>> CreateTemporaryBeside(const std::string& target,
                                                                std::string& temp_path, std::uint32_t readers) override {
    return real_.CreateTemporaryBeside(target, temp_path, readers);
  }
  FileStatus Rename(const std::string& from, const std::string& to) override { return real_.Rename(from, to); }
  FileStatus SyncFolder(const std::string& folder) override { return real_.SyncFolder(folder); }
  FileStatus Remove(const std::string& path) override { return real_.Remove(path); }
  FileStatus IsWritableFolder(const std::string& folder) override { return real_.IsWritableFolder(folder); }
  FileStatus CreateFolders(const std::string& folder) override { return real_.CreateFolders(folder); }
  LockResult TryLock(const std::string& path) override { return real_.TryLock(path); }
  FileFault LastFault() const override { return real_.LastFault(); }

 protected:
  RealFileSystem real_;
};

}  // namespace tessaline::bench
