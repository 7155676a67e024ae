// The pacer asks for the percentage only where its number changes: what the
// label shows must be exactly what asking at every position would show,
// for either division, totals that divide by 100 and totals that do not,
// positions that jump, a count begun again and a reading that goes back.

#include "convert/progress_pacer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "formats/percentage.h"
#include "host/real_file_system.h"
#include "support/recording_host.h"

namespace tessaline {
namespace {

using Division = ProgressPacer::Division;

// The number at every position, worked out afresh each time.
int Asked(Division division, std::uint64_t position, std::uint64_t total) {
  if (division == Division::RealFirst) return PercentOf(static_cast<double>(position), static_cast<double>(total));
  return total == 0 ? 100 : static_cast<int>(std::min<std::uint64_t>(position * 100 / total, 100));
}

// Feeds `positions` (a restart where the position is `kRestart`) to a pacer
// and to a label that asks at every position, and compares what each sent.
constexpr std::uint64_t kRestart = ~std::uint64_t{0};

void ExpectSameAsAskingAlways(Division division, std::uint64_t total, const std::vector<std::uint64_t>& positions) {
  RealFileSystem files;
  RecordingHost paced_host(files);
  ProgressPacer pacer(paced_host, ProgressPacer::Label::Inner, division);
  pacer.Restart(total);
  std::vector<std::string> asked;
  // Asking always, a reading that goes back shows nothing until it passes
  // the furthest position read since the count began.
  std::uint64_t furthest = 0;
  bool begun = false;
  for (const std::uint64_t position : positions) {
    if (position == kRestart) {
      pacer.Restart(total);
      begun = false;
      continue;
    }
    pacer.At(position);
    if (begun && position <= furthest) continue;
    furthest = position;
    begun = true;
    const std::string text = PercentageText(Asked(division, position, total));
    if (asked.empty() || asked.back() != text) asked.push_back(text);
  }
  EXPECT_EQ(paced_host.EventsOf("inner:"), asked) << "total " << total;
}

TEST(ProgressPacer, ShowsWhatAskingAtEveryPositionShows) {
  std::mt19937_64 random(30);
  for (const Division division : {Division::RealFirst, Division::Exact}) {
    for (const std::uint64_t total :
         {0ull, 1ull, 2ull, 3ull, 7ull, 99ull, 100ull, 101ull, 199ull, 997ull, 12345ull, 1000003ull}) {
      std::vector<std::uint64_t> every;
      for (std::uint64_t p = 0; p <= std::min<std::uint64_t>(total + 2, 30000); ++p) every.push_back(p);
      ExpectSameAsAskingAlways(division, total, every);

      // Jumps of any size, past the total too.
      std::vector<std::uint64_t> jumps;
      for (std::uint64_t p = 0; p <= total + 1; p += 1 + random() % (total / 7 + 1)) jumps.push_back(p);
      ExpectSameAsAskingAlways(division, total, jumps);

      // Two counts, then a second reading from the start after a first
      // that stopped halfway.
      std::vector<std::uint64_t> again = every;
      again.push_back(kRestart);
      again.insert(again.end(), every.begin(), every.end());
      std::vector<std::uint64_t> back(every.begin(), every.begin() + static_cast<std::ptrdiff_t>(every.size() / 2));
      back.insert(back.end(), every.begin(), every.end());
      ExpectSameAsAskingAlways(division, total, again);
      ExpectSameAsAskingAlways(division, total, back);
      if (::testing::Test::HasFailure()) return;
    }
  }
}

// The two divisions differ where double precision falls short: line 29 of
// 100 is 28% to the converters' reckoning, 29% in whole numbers.
TEST(ProgressPacer, DividesAsItWasTold) {
  RealFileSystem files;
  RecordingHost host(files);
  ProgressPacer real(host, ProgressPacer::Label::Main);
  ProgressPacer exact(host, ProgressPacer::Label::Inner, Division::Exact);
  real.Restart(100);
  exact.Restart(100);
  real.At(29);
  exact.At(29);
  EXPECT_EQ(host.Events(), (std::vector<std::string>{"main:28%", "inner:29%"}));
}

// A text the caller made counts as what the label shows.
TEST(ProgressPacer, NeverSendsTheTextTheLabelShows) {
  RealFileSystem files;
  RecordingHost host(files);
  ProgressPacer pacer(host, ProgressPacer::Label::Main);
  pacer.Restart(4);
  pacer.At(4);
  pacer.Show("100%");
  pacer.Show("57%");
  pacer.Restart(7);
  pacer.At(4);
  pacer.At(7);
  EXPECT_EQ(host.Events(), (std::vector<std::string>{"main:100%", "main:57%", "main:100%"}));
}

}  // namespace
}  // namespace tessaline
