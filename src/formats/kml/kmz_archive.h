#pragma once
// KMZ: a zip archive whose KML document is its doc.kml (else its first
// entry ending ".kml", in any case), through zlib's minizip.
//
// Read: the archive is opened again whenever the zip's reading goes back
// (its directory is at its end), so that it is never held; the entry is
// inflated as it is read. A zip bomb is refused: an entry that says, or
// turns out, larger than KmzMostInflated of its archive.
//
// Written: one entry, doc.kml, deflated at zlib's default level, made in a
// scratch file (zip writes each entry's sizes back into its header once it
// is closed), then handed on block by block.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "host/file_system.h"

namespace tessaline::kml {

// The most bytes an archive of `archive` bytes may inflate to: 200 times
// it, and never less than 64 MiB (a KML compresses five to twenty times).
std::uint64_t KmzMostInflated(std::uint64_t archive);

// Whether `head` (a file's first bytes) starts a zip archive.
bool StartsAsZip(std::string_view head);

class KmzSource;
class KmzScratch;

class KmzReader {
 public:
  // `reopen` gives a new stream from the archive's first byte each time.
  KmzReader(std::function<std::unique_ptr<InputStream>()> reopen, std::uint64_t archive_length);
  ~KmzReader();
  KmzReader(const KmzReader&) = delete;
  KmzReader& operator=(const KmzReader&) = delete;

  // Finds and opens the entry; "" when it can be read, else why not.
  std::string Open();
  // The entry, inflated; a read fails past the bomb limit or at a
  // damaged entry, and Fault() then says why.
  InputStream& Entry();
  std::uint64_t EntrySize() const { return entry_size_; }
  // Why the entry stopped; "" when it has not.
  const std::string& Fault() const { return fault_; }
  // After the whole entry was read: "" when its checksum holds.
  std::string Close();

 private:
  class EntryStream;
  std::unique_ptr<KmzSource> source_;
  std::unique_ptr<EntryStream> entry_;
  void* zip_ = nullptr;
  std::uint64_t archive_length_ = 0, entry_size_ = 0;
  std::string fault_;
};

class KmzWriter {
 public:
  // `scratch`: an empty file the archive is made in.
  explicit KmzWriter(RandomAccessFile& scratch);
  ~KmzWriter();
  KmzWriter(const KmzWriter&) = delete;
  KmzWriter& operator=(const KmzWriter&) = delete;

  // False when the scratch file fails.
  bool Add(std::string_view kml);
  // The archive closed, then handed to `write` block by block.
  bool Finish(const std::function<void(std::string_view)>& write);

 private:
  std::unique_ptr<KmzScratch> sink_;
  void* zip_ = nullptr;
  bool failed_ = false;
};

}  // namespace tessaline::kml
