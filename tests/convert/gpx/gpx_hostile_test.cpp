// Hostile GPX generated on the fly (megabytes that need no file): each is
// refused with its reason, line and column, and the reader stops pulling
// input soon after the limit it met, so memory stays bounded whatever the
// size of the attack.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "formats/gpx/gpx_reader.h"

namespace tessaline::gpx {
namespace {

// head + unit x count + tail, counting what the reader pulls.
class GeneratedStream final : public InputStream {
 public:
  GeneratedStream(std::string head, std::string unit, std::size_t count, std::string tail)
      : head_(std::move(head)), unit_(std::move(unit)), count_(count), tail_(std::move(tail)) {}

  std::ptrdiff_t Read(char* buffer, std::size_t size) override {
    std::size_t written = 0;
    while (written < size) {
      const std::string& part = stage_ == 0 ? head_ : stage_ == 1 ? unit_ : stage_ == 2 ? tail_ : empty_;
      if (stage_ == 3) break;
      const std::size_t n = std::min(size - written, part.size() - offset_);
      std::memcpy(buffer + written, part.data() + offset_, n);
      written += n;
      offset_ += n;
      if (offset_ == part.size()) {
        offset_ = 0;
        if (stage_ != 1 || ++done_ >= count_) ++stage_;
        if (stage_ == 1 && count_ == 0) ++stage_;
      }
    }
    pulled += written;
    return static_cast<std::ptrdiff_t>(written);
  }

  std::size_t pulled = 0;

 private:
  std::string head_, unit_;
  std::size_t count_;
  std::string tail_, empty_;
  int stage_ = 0;
  std::size_t offset_ = 0, done_ = 0;
};

class NoPoints final : public GpxSink {
 public:
  void BeginRun(RunKind, std::string_view) override {}
  bool Point(const GpxPoint& point) override {
    names.emplace_back(point.name);
    return true;
  }
  void EndRun(RunKind, std::uint64_t) override {}
  void PointSkipped(std::uint64_t) override {}
  std::vector<std::string> names;
};

constexpr const char* kHead =
    "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"x\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n";

struct Attack {
  const char* what;
  std::string head, unit;
  std::size_t count;
  std::string tail;
  const char* reason;  // the start of the refusal, after "ligne L, colonne C : "
};

TEST(HostileGpx, EachIsRefusedSoonAfterItsLimit) {
  const std::vector<Attack> attacks = {
      {"8 MB attribute", std::string(kHead) + "<wpt lat=\"1\" lon=\"", "1", 8u << 20, "\"/></gpx>",
       "nom, attribut, texte ou commentaire de plus de 1 Mio"},
      {"8 MB name", std::string(kHead) + "<wpt lat=\"1\" lon=\"2\"><name>", "a", 8u << 20, "</name></wpt></gpx>",
       "nom, attribut, texte ou commentaire de plus de 1 Mio"},
      {"8 MB element name", std::string(kHead) + "<x", "x", 8u << 20, "/></gpx>",
       "nom, attribut, texte ou commentaire de plus de 1 Mio"},
      {"8 MB comment", std::string(kHead) + "<!--", "-x", 4u << 20, "--></gpx>",
       "nom, attribut, texte ou commentaire de plus de 1 Mio"},
      {"100,000-deep nesting", kHead, "<e>", 100000, "", "imbrication d'éléments trop profonde"},
      {"invalid UTF-8", std::string(kHead) + "<wpt lat=\"1\" lon=\"2\"><name>ok \xC3(", "", 0, "</name></wpt></gpx>",
       "caractère ou balise invalide"},
      {"truncated", kHead, "<wpt lat=\"1\" lon=\"2\"/>\n", 1000, "<wpt lat=\"1\"", "document tronqué"},
      {"no root", "", "  \n", 10, "", "document vide ou tronqué"},
  };
  for (const Attack& attack : attacks) {
    GeneratedStream stream(attack.head, attack.unit, attack.count, attack.tail);
    NoPoints sink;
    const GpxReadResult result = ReadGpx(stream, sink);
    EXPECT_EQ(result.end, GpxReadEnd::Refused) << attack.what;
    EXPECT_EQ(result.reason.rfind("ligne ", 0), 0u) << attack.what << ": " << result.reason;
    EXPECT_NE(result.reason.find(std::string(" : ") + attack.reason), std::string::npos)
        << attack.what << ": " << result.reason;
    // The limit plus the block being read and the one before it.
    EXPECT_LE(stream.pulled, kMaxToken + 2 * kReadBlock + 4096) << attack.what;
  }
}

// A name just under the limit is still read whole.
TEST(HostileGpx, ATokenJustUnderTheLimitIsRead) {
  GeneratedStream stream(std::string(kHead) + "<wpt lat=\"1\" lon=\"2\"><name>", "n", kMaxToken - 16,
                         "</name></wpt></gpx>");
  NoPoints sink;
  EXPECT_EQ(ReadGpx(stream, sink).end, GpxReadEnd::Finished);
  ASSERT_EQ(sink.names.size(), 1u);
  EXPECT_EQ(sink.names[0].size(), kMaxToken - 16);
}

}  // namespace
}  // namespace tessaline::gpx
