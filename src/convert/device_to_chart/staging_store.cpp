#include "convert/device_to_chart/staging_store.h"

#include <cstring>
#include <utility>

#include "formats/device_point_line.h"
#include "platform/utf8.h"

namespace tessaline {

StagedPoint::StagedPoint() { bytes_.fill(' '); }

StagedPoint::StagedPoint(std::string_view coord2, std::string_view coord1, std::string_view value,
                         std::string_view name, std::string_view group) {
  bytes_.fill(' ');
  char* at = bytes_.data();
  for (const auto& [text, width] : {std::pair{coord2, kCoordinateWidth}, std::pair{coord1, kCoordinateWidth},
                                    std::pair{value, kValueWidth}, std::pair{name, kNameWidth},
                                    std::pair{group, kGroupWidth}}) {
    const std::string_view kept = CutToWidth(text, width);
    if (!kept.empty()) std::memcpy(at, kept.data(), kept.size());
    at += width;
  }
}

StagedPoint StagedPoint::EndRecord() { return StagedPoint("0", "0", "0", "0", "0"); }

StagingStore::StagingStore(std::unique_ptr<RandomAccessFile> file, std::size_t buffer_records)
    : file_(std::move(file)), buffer_records_(buffer_records == 0 ? 1 : buffer_records) {}

StagingStore::~StagingStore() {
  if (file_) Close();
}

bool StagingStore::Flush() {
  if (pending_.empty()) return !failed_;
  if (!failed_ && !file_->WriteAt(OffsetOf(pending_first_), pending_.data(), pending_.size())) {
    failed_ = true;
  }
  pending_.clear();
  return !failed_;
}

bool StagingStore::Write(std::int32_t record, const StagedPoint& point) {
  if (!file_ || failed_ || record < 1 || record > kMaxRecordNumber) return false;
  window_.clear();  // what was read ahead may be stale now
  const std::size_t pending_records = pending_.size() / kStagedRecordLength;
  const bool follows = !pending_.empty() &&
                       record == pending_first_ + static_cast<std::int32_t>(pending_records);
  if (!follows || pending_records >= buffer_records_) {
    if (!Flush()) return false;
    pending_first_ = record;
    pending_.reserve(buffer_records_ * kStagedRecordLength);
  }
  pending_.append(point.Bytes());
  return true;
}

bool StagingStore::Read(std::int32_t record, StagedPoint& point) {
  if (!file_ || record < 1 || record > kMaxRecordNumber) return false;
  if (!Flush()) return false;
  const std::size_t window_records = window_.size() / kStagedRecordLength;
  if (window_.empty() || record < window_first_ ||
      record >= window_first_ + static_cast<std::int32_t>(window_records)) {
    window_.resize(buffer_records_ * kStagedRecordLength);
    const std::ptrdiff_t n = file_->ReadAt(OffsetOf(record), window_.data(), window_.size());
    if (n < 0) {
      window_.clear();
      failed_ = true;
      return false;
    }
    // Only whole records count; a short last record is a damaged store.
    window_.resize(static_cast<std::size_t>(n) / kStagedRecordLength * kStagedRecordLength);
    window_first_ = record;
    if (window_.empty()) return false;
  }
  const std::size_t at = static_cast<std::size_t>(record - window_first_) * kStagedRecordLength;
  std::memcpy(point.MutableBytes(), window_.data() + at, kStagedRecordLength);
  return true;
}

bool StagingStore::Close() {
  if (!file_) return false;
  const bool flushed = Flush();
  const bool closed = file_->Close();
  file_.reset();
  return flushed && closed;
}

}  // namespace tessaline
