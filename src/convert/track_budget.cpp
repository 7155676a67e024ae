#include "convert/track_budget.h"

#include "convert/conversion_failure.h"
#include "convert/messages.h"
#include "formats/number_reader.h"

#include <algorithm>
#include <limits>
#include <span>

namespace tessaline {

double CoordinateOf(std::string_view text) {
  if (!HoldsNumber(text)) return std::numeric_limits<double>::quiet_NaN();
  return ReadAsNumber(text).value_or(std::numeric_limits<double>::quiet_NaN());
}

void TrackBudget::ExpectAtMost(std::uint64_t most) {
  if (budget_.points && most <= *budget_.points) recording_ = false;
}

void TrackBudget::StartTrack(std::uint64_t line, bool route) {
  if (!recording_) return;
  track_starts_.push_back(track_points_.size());
  track_lines_.push_back(line);
  track_routes_.push_back(route ? 1 : 0);
}

void TrackBudget::TrackPoint(std::size_t begin, std::size_t end, double lat, double lon, std::uint64_t line,
                             bool mark) {
  if (++points_ == kDeviceLineLimit + 1) line_past_device_limit_ = line;
  if (!recording_) return;
  track_points_.push_back(GeoPoint{lat, lon});
  marks_.push_back(mark ? 1 : 0);
  pieces_.emplace_back(begin, end);
  kinds_.push_back(1);
  lines_.push_back(line);
}

void TrackBudget::OtherPoint(std::uint64_t line) {
  if (++points_ == kDeviceLineLimit + 1) line_past_device_limit_ = line;
  if (!recording_) return;
  kinds_.push_back(0);
  lines_.push_back(line);
}

void TrackBudget::WarnPastDeviceLimit(ConversionReport& report) const {
  std::uint64_t kept = points_, first_line = line_past_device_limit_;
  if (reduced_) {
    kept = 0;
    std::size_t track_index = 0;
    for (std::size_t i = 0; i < kinds_.size(); ++i) {
      const bool is_kept = kinds_[i] == 0 || keep_[track_index] != 0;
      track_index += kinds_[i];
      if (is_kept && ++kept == kDeviceLineLimit + 1) first_line = lines_[i];
    }
  }
  if (kept > kDeviceLineLimit) report.Warn(messages::kTooManyDeviceLines, first_line, kept - kDeviceLineLimit);
}

void TrackBudget::Fit(std::string& text, const ReductionPause& pause) {
  if (budget_.points && other_file_points_ > *budget_.points)
    throw ConversionFailure(messages::BudgetTooSmallReason(*budget_.points, other_file_points_));
  if (!budget_.points || points_ <= *budget_.points) return;
  // ExpectAtMost was told too few: a fault of the program, not of the file.
  if (!recording_) throw ConversionFailure(messages::kUnexpected);
  const std::uint64_t others = kinds_.size() - track_points_.size();
  const std::uint64_t limit = *budget_.points;
  std::optional<ReductionPlan> plan;
  const bool marked = std::find(marks_.begin(), marks_.end(), 1) != marks_.end();
  const std::span<const std::uint8_t> fixed = marked ? std::span<const std::uint8_t>(marks_) : std::span<const std::uint8_t>();
  if (limit >= others) plan = ReduceTracks(track_points_, track_starts_, limit - others, pause, nullptr, fixed);
  if (!plan) {
    throw ConversionFailure(
        messages::BudgetTooSmallReason(limit, others + FewestKept(track_points_.size(), track_starts_, fixed)));
  }
  keep_ = std::move(plan->keep);
  max_error_m_ = plan->max_error_m;
  reduced_ = true;
  dropped_ = track_points_.size() - plan->kept;
  // Tracks and routes are told apart: a route's named points were kept.
  for (std::size_t t = 0; t < track_starts_.size(); ++t) {
    const int kind = track_routes_[t];
    bool dropped = false;
    for (std::size_t i = track_starts_[t]; i < TrackEnd(t); ++i) {
      dropped = dropped || keep_[i] == 0;
      kept_[kind] += keep_[i];
    }
    if (!dropped) continue;
    if (reduced_runs_[kind]++ == 0) first_line_[kind] = track_lines_[t];
  }
  // The text of the dropped points goes; everything around them stays.
  std::string fitted;
  fitted.reserve(text.size());
  std::size_t copied = 0;
  for (std::size_t i = 0; i < pieces_.size(); ++i) {
    if (keep_[i] != 0) continue;
    fitted.append(text, copied, pieces_[i].first - copied);
    copied = pieces_[i].second;
  }
  fitted.append(text, copied, std::string::npos);
  text = std::move(fitted);
}

void TrackBudget::Report(ConversionReport& report) const {
  if (!reduced_) return;
  ConversionSummary& summary = report.Summary();
  summary.points_read = summary.points;
  summary.points -= dropped_;
  summary.max_error_text = messages::MetresText(max_error_m_, budget_.decimal_mark);
  for (int kind = 0; kind < 2; ++kind) {
    if (reduced_runs_[kind] == 0) continue;
    report.Warn(kind == 0 ? messages::kTracksReduced : messages::kRoutesReduced, first_line_[kind], reduced_runs_[kind],
                messages::TracksReducedDetail(kept_[kind], summary.max_error_text));
  }
}

}  // namespace tessaline
