#include "formats/kml/kmz_archive.h"

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <algorithm>
#include <vector>

namespace tessaline::kml {

namespace {

constexpr std::size_t kBlock = std::size_t{1} << 20;
constexpr std::string_view kDocument = "doc.kml";

bool EndsWithKml(std::string_view name) {
  if (name.size() < 4) return false;
  std::string ending(name.substr(name.size() - 4));
  for (char& c : ending) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return ending == ".kml";
}

}  // namespace

std::uint64_t KmzMostInflated(std::uint64_t archive) {
  return std::max<std::uint64_t>(std::uint64_t{64} << 20, archive * 200);
}

bool StartsAsZip(std::string_view head) { return head.substr(0, 4) == std::string_view("PK\x03\x04", 4); }

// The archive as minizip reads it: forwards by reading, backwards by
// opening it again.
class KmzSource {
 public:
  KmzSource(std::function<std::unique_ptr<InputStream>()> reopen, std::uint64_t length)
      : reopen_(std::move(reopen)), length_(length) {}

  unsigned long Read(void* buffer, unsigned long size) {
    if (!Ready()) return 0;
    auto* out = static_cast<char*>(buffer);
    unsigned long filled = 0;
    while (filled < size) {
      const std::ptrdiff_t n = stream_->Read(out + filled, size - filled);
      if (n < 0) failed_ = true;
      if (n <= 0) break;
      filled += static_cast<unsigned long>(n);
    }
    position_ += filled;
    return filled;
  }

  long Seek(std::uint64_t offset, int origin) {
    std::uint64_t target = offset;
    if (origin == ZLIB_FILEFUNC_SEEK_CUR) target = position_ + offset;
    if (origin == ZLIB_FILEFUNC_SEEK_END) target = length_ + offset;
    if (target > length_) return -1;
    if (target < position_ || !stream_) {
      stream_ = reopen_();
      position_ = 0;
      if (!stream_) return -1;
    }
    std::vector<char> skipped(static_cast<std::size_t>(std::min<std::uint64_t>(target - position_, 64 * 1024)));
    while (position_ < target) {
      const auto step = static_cast<unsigned long>(std::min<std::uint64_t>(target - position_, skipped.size()));
      if (Read(skipped.data(), step) != step) return -1;
    }
    return 0;
  }

  std::uint64_t Tell() const { return position_; }
  bool Failed() const { return failed_; }

 private:
  bool Ready() {
    if (!stream_) {
      stream_ = reopen_();
      position_ = 0;
    }
    return stream_ != nullptr;
  }

  std::function<std::unique_ptr<InputStream>()> reopen_;
  std::unique_ptr<InputStream> stream_;
  std::uint64_t length_ = 0, position_ = 0;
  bool failed_ = false;
};

namespace {

KmzSource* SourceOf(voidpf opaque) { return static_cast<KmzSource*>(opaque); }

}  // namespace

class KmzReader::EntryStream final : public InputStream {
 public:
  EntryStream(KmzReader& reader, std::uint64_t most) : reader_(reader), most_(most) {}
  std::ptrdiff_t Read(char* buffer, std::size_t size) override {
    const std::size_t asked = std::min<std::size_t>(size, kBlock);
    const int n = unzReadCurrentFile(reader_.zip_, buffer, static_cast<unsigned>(asked));
    if (n < 0) {
      reader_.fault_ = "archive endommagée (donnée compressée illisible)";
      return -1;
    }
    inflated_ += static_cast<std::uint64_t>(n);
    if (inflated_ > most_) {
      reader_.fault_ = TooLarge();
      return -1;
    }
    return n;
  }
  static std::string TooLarge() {
    return "fichier de l'archive plus de 200 fois plus grand qu'elle (et au-delà de 64 Mio) : archive refusée";
  }

 private:
  KmzReader& reader_;
  std::uint64_t most_;
  std::uint64_t inflated_ = 0;
};

KmzReader::KmzReader(std::function<std::unique_ptr<InputStream>()> reopen, std::uint64_t archive_length)
    : source_(std::make_unique<KmzSource>(std::move(reopen), archive_length)), archive_length_(archive_length) {}

KmzReader::~KmzReader() {
  if (zip_ != nullptr) unzClose(zip_);
}

std::string KmzReader::Open() {
  zlib_filefunc64_def io{};
  io.opaque = source_.get();
  io.zopen64_file = [](voidpf opaque, const void*, int) -> voidpf { return opaque; };
  io.zread_file = [](voidpf opaque, voidpf, void* buffer, uLong size) -> uLong {
    return SourceOf(opaque)->Read(buffer, size);
  };
  io.zwrite_file = [](voidpf, voidpf, const void*, uLong) -> uLong { return 0; };
  io.ztell64_file = [](voidpf opaque, voidpf) -> ZPOS64_T { return SourceOf(opaque)->Tell(); };
  io.zseek64_file = [](voidpf opaque, voidpf, ZPOS64_T offset, int origin) -> long {
    return SourceOf(opaque)->Seek(offset, origin);
  };
  io.zclose_file = [](voidpf, voidpf) -> int { return 0; };
  io.zerror_file = [](voidpf opaque, voidpf) -> int { return SourceOf(opaque)->Failed() ? 1 : 0; };
  zip_ = unzOpen2_64("kmz", &io);
  if (zip_ == nullptr) return source_->Failed() ? "lecture du fichier impossible" : "archive zip illisible";
  // doc.kml, else the first .kml.
  std::string chosen;
  char name[4096];
  unz_file_info64 info{};
  for (int at = unzGoToFirstFile(zip_); at == UNZ_OK; at = unzGoToNextFile(zip_)) {
    if (unzGetCurrentFileInfo64(zip_, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK) break;
    if (std::string_view(name) == kDocument) {
      chosen = name;
      break;
    }
    if (chosen.empty() && EndsWithKml(name)) chosen = name;
  }
  if (chosen.empty()) return "archive sans fichier .kml";
  if (unzLocateFile(zip_, chosen.c_str(), 1) != UNZ_OK ||
      unzGetCurrentFileInfo64(zip_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
    return "archive zip illisible";
  }
  entry_size_ = info.uncompressed_size;
  if (entry_size_ > KmzMostInflated(archive_length_)) return EntryStream::TooLarge();
  if ((info.flag & 1) != 0) return "fichier chiffré dans l'archive";
  if (unzOpenCurrentFile(zip_) != UNZ_OK) return "archive zip illisible";
  entry_ = std::make_unique<EntryStream>(*this, KmzMostInflated(archive_length_));
  return {};
}

InputStream& KmzReader::Entry() { return *entry_; }

std::string KmzReader::Close() {
  if (unzCloseCurrentFile(zip_) == UNZ_CRCERROR) return "archive endommagée (somme de contrôle fausse)";
  return {};
}

// The scratch file as minizip writes it, at any place.
class KmzScratch {
 public:
  explicit KmzScratch(RandomAccessFile& file) : file_(file) {}
  unsigned long Write(const void* data, unsigned long size) {
    if (!file_.WriteAt(position_, static_cast<const char*>(data), size)) {
      failed_ = true;
      return 0;
    }
    position_ += size;
    length_ = std::max(length_, position_);
    return size;
  }
  unsigned long Read(void* buffer, unsigned long size) {
    const std::ptrdiff_t n = file_.ReadAt(position_, static_cast<char*>(buffer), size);
    if (n < 0) {
      failed_ = true;
      return 0;
    }
    position_ += static_cast<std::uint64_t>(n);
    return static_cast<unsigned long>(n);
  }
  long Seek(std::uint64_t offset, int origin) {
    if (origin == ZLIB_FILEFUNC_SEEK_CUR) offset += position_;
    if (origin == ZLIB_FILEFUNC_SEEK_END) offset += length_;
    position_ = offset;
    return 0;
  }
  std::uint64_t Tell() const { return position_; }
  std::uint64_t Length() const { return length_; }
  bool Failed() const { return failed_; }
  RandomAccessFile& File() { return file_; }

 private:
  RandomAccessFile& file_;
  std::uint64_t position_ = 0, length_ = 0;
  bool failed_ = false;
};

namespace {

KmzScratch* SinkOf(voidpf opaque) { return static_cast<KmzScratch*>(opaque); }

}  // namespace

KmzWriter::KmzWriter(RandomAccessFile& scratch) : sink_(std::make_unique<KmzScratch>(scratch)) {
  zlib_filefunc64_def io{};
  io.opaque = sink_.get();
  io.zopen64_file = [](voidpf opaque, const void*, int) -> voidpf { return opaque; };
  io.zread_file = [](voidpf opaque, voidpf, void* buffer, uLong size) -> uLong {
    return SinkOf(opaque)->Read(buffer, size);
  };
  io.zwrite_file = [](voidpf opaque, voidpf, const void* data, uLong size) -> uLong {
    return SinkOf(opaque)->Write(data, size);
  };
  io.ztell64_file = [](voidpf opaque, voidpf) -> ZPOS64_T { return SinkOf(opaque)->Tell(); };
  io.zseek64_file = [](voidpf opaque, voidpf, ZPOS64_T offset, int origin) -> long {
    return SinkOf(opaque)->Seek(offset, origin);
  };
  io.zclose_file = [](voidpf, voidpf) -> int { return 0; };
  io.zerror_file = [](voidpf opaque, voidpf) -> int { return SinkOf(opaque)->Failed() ? 1 : 0; };
  zip_ = zipOpen2_64("kmz", APPEND_STATUS_CREATE, nullptr, &io);
  // The entry's date: the zip format's first day, the same whenever written.
  zip_fileinfo info{};
  info.tmz_date.tm_year = 1980;
  info.tmz_date.tm_mday = 1;
  failed_ = zip_ == nullptr ||
            zipOpenNewFileInZip64(zip_, std::string(kDocument).c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                  Z_DEFLATED, Z_DEFAULT_COMPRESSION, 0) != ZIP_OK;
}

KmzWriter::~KmzWriter() {
  if (zip_ != nullptr) zipClose(zip_, nullptr);
}

bool KmzWriter::Add(std::string_view kml) {
  while (!failed_ && !kml.empty()) {
    const std::size_t piece = std::min(kml.size(), kBlock);
    failed_ = zipWriteInFileInZip(zip_, kml.data(), static_cast<unsigned>(piece)) != ZIP_OK;
    kml.remove_prefix(piece);
  }
  return !failed_;
}

bool KmzWriter::Finish(const std::function<void(std::string_view)>& write) {
  if (failed_) return false;
  failed_ = zipCloseFileInZip(zip_) != ZIP_OK;
  failed_ = zipClose(zip_, nullptr) != ZIP_OK || failed_;
  zip_ = nullptr;
  if (failed_ || sink_->Failed()) return false;
  std::string block(kBlock, '\0');
  for (std::uint64_t at = 0; at < sink_->Length();) {
    const std::ptrdiff_t n = sink_->File().ReadAt(at, block.data(), block.size());
    if (n <= 0) return false;
    write(std::string_view(block.data(), static_cast<std::size_t>(n)));
    at += static_cast<std::uint64_t>(n);
  }
  return true;
}

}  // namespace tessaline::kml
