#include "support/faulty_file_system.h"

#include <algorithm>

namespace tessaline {

const char* FsCallName(FsCall call) {
  static const char* const kNames[kFsCallCount] = {
      "TypeOf",    "Length",       "Identity",        "OpenRead", "Read",
      "OpenRecords", "CreateRecordsExclusive", "ReadAt", "WriteAt", "CloseRecords",
      "CreateTemporary", "Write", "SyncOutput", "CloseOutput", "Rename", "SyncFolder", "Remove",
      "IsWritableFolder", "CreateFolders", "TryLock"};
  return kNames[static_cast<int>(call)];
}

void FaultyFileSystem::Fail(FsCall call, int nth, std::string path_part, FileError error) {
  rules_[static_cast<int>(call)] = Rule{true, nth, std::move(path_part), 0, error};
}

FileFault FaultyFileSystem::LastFault() const {
  // The injected fault stands until the inner file system records one of its own.
  const FileFault inner = inner_.LastFault();
  return injected_ && inner == inner_before_injection_ ? *injected_ : inner;
}

void FaultyFileSystem::Clear() {
  rules_ = {};
  lock_held_elsewhere_ = false;
}

bool FaultyFileSystem::ShouldFail(FsCall call, const std::string& path) {
  ++counts_[static_cast<int>(call)];
  log_.push_back(call);
  if (before_call_) before_call_(call, path);
  Rule& rule = rules_[static_cast<int>(call)];
  if (!rule.active) return false;
  if (!rule.path_part.empty() && path.find(rule.path_part) == std::string::npos) return false;
  ++rule.seen;
  if (rule.nth != 0 && rule.seen != rule.nth) return false;
  ++failures_;
  injected_ = FileFault{rule.error, rule.error == FileError::Other ? kInjectedSystemCode : 0};
  inner_before_injection_ = inner_.LastFault();
  return true;
}

namespace {

class FaultyInputStream final : public InputStream {
 public:
  // `end`: where the stream ends, when the file is to shrink; `grown`: the
  // bytes it gains after its end.
  FaultyInputStream(FaultyFileSystem& owner, std::string path, std::unique_ptr<InputStream> inner,
                    std::optional<std::uint64_t> end = std::nullopt, std::uint64_t grown = 0)
      : owner_(owner), path_(std::move(path)), inner_(std::move(inner)), end_(end), grown_(grown) {}
  std::ptrdiff_t Read(char* buffer, std::size_t size) override {
    if (owner_.ShouldFail(FsCall::Read, path_)) return -1;
    if (end_) size = static_cast<std::size_t>(std::min<std::uint64_t>(size, *end_ - read_));
    std::ptrdiff_t n = size == 0 ? 0 : inner_->Read(buffer, size);
    if (n == 0 && grown_ > 0) {
      n = static_cast<std::ptrdiff_t>(std::min<std::uint64_t>(size, grown_));
      std::fill(buffer, buffer + n, '\n');
      grown_ -= static_cast<std::uint64_t>(n);
    }
    if (n > 0) read_ += static_cast<std::uint64_t>(n);
    return n;
  }

 private:
  FaultyFileSystem& owner_;
  std::string path_;
  std::unique_ptr<InputStream> inner_;
  std::optional<std::uint64_t> end_;
  std::uint64_t grown_;
  std::uint64_t read_ = 0;
};

class FaultyRandomAccessFile final : public RandomAccessFile {
 public:
  FaultyRandomAccessFile(FaultyFileSystem& owner, std::string path,
                         std::unique_ptr<RandomAccessFile> inner)
      : owner_(owner), path_(std::move(path)), inner_(std::move(inner)) {}
  std::ptrdiff_t ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override {
    if (owner_.ShouldFail(FsCall::ReadAt, path_)) return -1;
    return inner_->ReadAt(offset, buffer, size);
  }
  bool WriteAt(std::uint64_t offset, const char* data, std::size_t size) override {
    if (owner_.ShouldFail(FsCall::WriteAt, path_)) return false;
    return inner_->WriteAt(offset, data, size);
  }
  bool Close() override {
    const bool closed = inner_->Close();
    if (owner_.ShouldFail(FsCall::CloseRecords, path_)) return false;
    return closed;
  }

 private:
  FaultyFileSystem& owner_;
  std::string path_;
  std::unique_ptr<RandomAccessFile> inner_;
};

class FaultyOutputFile final : public OutputFile {
 public:
  FaultyOutputFile(FaultyFileSystem& owner, std::string path, std::unique_ptr<OutputFile> inner)
      : owner_(owner), path_(std::move(path)), inner_(std::move(inner)) {}
  bool Write(std::string_view data) override {
    if (owner_.ShouldFail(FsCall::Write, path_)) {
      // Like a disk that fills up half way: part of the data reaches the file.
      inner_->Write(data.substr(0, data.size() / 2));
      return false;
    }
    return inner_->Write(data);
  }
  bool Sync() override {
    if (owner_.ShouldFail(FsCall::SyncOutput, path_)) return false;
    return inner_->Sync();
  }
  bool Close() override {
    const bool closed = inner_->Close();
    if (owner_.ShouldFail(FsCall::CloseOutput, path_)) return false;
    return closed;
  }
  bool HasName() const override { return inner_->HasName(); }

 private:
  FaultyFileSystem& owner_;
  std::string path_;
  std::unique_ptr<OutputFile> inner_;
};

}  // namespace

PathType FaultyFileSystem::TypeOf(const std::string& path) {
  if (ShouldFail(FsCall::TypeOf, path)) return {FileType::Other, *injected_};
  return inner_.TypeOf(path);
}

FileResult<std::uint64_t> FaultyFileSystem::Length(const std::string& path) {
  if (ShouldFail(FsCall::Length, path)) return *injected_;
  return inner_.Length(path);
}

FileResult<FileIdentity> FaultyFileSystem::Identity(const std::string& path) {
  if (ShouldFail(FsCall::Identity, path)) return *injected_;
  return inner_.Identity(path);
}

FileResult<std::unique_ptr<InputStream>> FaultyFileSystem::OpenRead(const std::string& path) {
  if (ShouldFail(FsCall::OpenRead, path)) return *injected_;
  auto inner = inner_.OpenRead(path);
  if (!inner) return inner.fault();
  if (change_bytes_ != 0 && path.find(change_part_) != std::string::npos) {
    const std::uint64_t length = inner_.Length(path).ok() ? *inner_.Length(path) : 0;
    const auto bytes = static_cast<std::uint64_t>(change_bytes_ < 0 ? -change_bytes_ : change_bytes_);
    if (change_bytes_ > 0) return std::make_unique<FaultyInputStream>(*this, path, std::move(*inner), std::nullopt, bytes);
    return std::make_unique<FaultyInputStream>(*this, path, std::move(*inner), length - std::min(length, bytes));
  }
  return std::make_unique<FaultyInputStream>(*this, path, std::move(*inner));
}

FileResult<std::unique_ptr<RandomAccessFile>> FaultyFileSystem::OpenRecords(const std::string& path) {
  if (ShouldFail(FsCall::OpenRecords, path)) return *injected_;
  auto inner = inner_.OpenRecords(path);
  if (!inner) return inner.fault();
  return std::make_unique<FaultyRandomAccessFile>(*this, path, std::move(*inner));
}

FileResult<std::unique_ptr<RandomAccessFile>> FaultyFileSystem::CreateRecordsExclusive(const std::string& path) {
  if (ShouldFail(FsCall::CreateRecordsExclusive, path)) return *injected_;
  auto inner = inner_.CreateRecordsExclusive(path);
  if (!inner) return inner.fault();
  return std::make_unique<FaultyRandomAccessFile>(*this, path, std::move(*inner));
}

FileResult<std::unique_ptr<OutputFile>> FaultyFileSystem::CreateTemporaryBeside(const std::string& target,
                                                                                std::string& temp_path,
                                                                                std::uint32_t readers) {
  if (ShouldFail(FsCall::CreateTemporary, target)) return *injected_;
  auto inner = inner_.CreateTemporaryBeside(target, temp_path, readers);
  if (!inner) return inner.fault();
  return std::make_unique<FaultyOutputFile>(*this, target, std::move(*inner));
}

FileStatus FaultyFileSystem::SyncFolder(const std::string& folder) {
  if (ShouldFail(FsCall::SyncFolder, folder)) return *injected_;
  return inner_.SyncFolder(folder);
}

FileStatus FaultyFileSystem::Rename(const std::string& from, const std::string& to) {
  if (ShouldFail(FsCall::Rename, to)) return *injected_;
  return inner_.Rename(from, to);
}

FileStatus FaultyFileSystem::Remove(const std::string& path) {
  if (ShouldFail(FsCall::Remove, path)) return *injected_;
  return inner_.Remove(path);
}

FileStatus FaultyFileSystem::IsWritableFolder(const std::string& folder) {
  if (ShouldFail(FsCall::IsWritableFolder, folder)) return *injected_;
  return inner_.IsWritableFolder(folder);
}

FileStatus FaultyFileSystem::CreateFolders(const std::string& folder) {
  if (ShouldFail(FsCall::CreateFolders, folder)) return *injected_;
  return inner_.CreateFolders(folder);
}

LockResult FaultyFileSystem::TryLock(const std::string& path) {
  if (ShouldFail(FsCall::TryLock, path)) {
    LockResult result;
    result.state = lock_held_elsewhere_ ? LockState::HeldElsewhere : LockState::Failed;
    return result;
  }
  return inner_.TryLock(path);
}

}  // namespace tessaline
