#pragma once
// The staging store "ZRB_DB.dat": fixed-length records of 110 bytes with
// no separators, record r (from 1) at byte (r - 1) x 110, so any point can
// be fetched again by its number. Reads and writes go through a buffer of
// many records: a conversion of 32,766 lines makes a few dozen calls to the
// file system, not one per record.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "host/file_system.h"

namespace tessaline {

inline constexpr std::size_t kStagedRecordLength = 110;
// Record numbers are 16-bit: with the end record after the last line, a
// device file can hold at most 32,766 lines.
inline constexpr std::int32_t kMaxRecordNumber = 32767;

// One record: Coord2 (20), Coord1 (20), Value (10), Name (50), Group (10),
// back to back in that order, each left-aligned and padded with spaces.
class StagedPoint {
 public:
  StagedPoint();  // all spaces
  StagedPoint(std::string_view coord2, std::string_view coord1, std::string_view value,
              std::string_view name, std::string_view group);
  // The record after the last line: every field "0".
  static StagedPoint EndRecord();

  // The fields with their padding; callers trim.
  std::string_view Coord2() const { return Field(0, 20); }
  std::string_view Coord1() const { return Field(20, 20); }
  std::string_view Value() const { return Field(40, 10); }
  std::string_view Name() const { return Field(50, 50); }
  std::string_view Group() const { return Field(100, 10); }

  std::string_view Bytes() const { return {bytes_.data(), bytes_.size()}; }
  char* MutableBytes() { return bytes_.data(); }

 private:
  std::string_view Field(std::size_t offset, std::size_t width) const {
    return Bytes().substr(offset, width);
  }
  std::array<char, kStagedRecordLength> bytes_;
};

class StagingStore {
 public:
  explicit StagingStore(std::unique_ptr<RandomAccessFile> file, std::size_t buffer_records = 1024);
  ~StagingStore();  // closes a store still open; the result is lost then
  StagingStore(const StagingStore&) = delete;
  StagingStore& operator=(const StagingStore&) = delete;

  // Record numbers from 1 to kMaxRecordNumber. False on a failure of the
  // file system, which may show only at a later call or at Close().
  bool Write(std::int32_t record, const StagedPoint& point);
  // False also when the record lies beyond the end of the file.
  bool Read(std::int32_t record, StagedPoint& point);
  // Stores what is buffered and closes the file.
  bool Close();
  // Whether a call of the file system failed (rather than a record missing).
  bool Failed() const { return failed_; }

 private:
  bool Flush();
  static std::uint64_t OffsetOf(std::int32_t record) {
    return static_cast<std::uint64_t>(record - 1) * kStagedRecordLength;
  }

  std::unique_ptr<RandomAccessFile> file_;
  std::size_t buffer_records_;
  // Records waiting to be written: consecutive, from pending_first_ on.
  std::string pending_;
  std::int32_t pending_first_ = 0;
  // Records read ahead: consecutive, from window_first_ on.
  std::string window_;
  std::int32_t window_first_ = 0;
  bool failed_ = false;
};

}  // namespace tessaline
