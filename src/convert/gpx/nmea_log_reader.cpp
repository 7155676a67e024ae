// The reader of an NMEA 0183 log: the fixes of each time merged into one
// point, days given to them, tracks cut where the logging stopped, the
// plotter's waypoints and routes, and every sentence passed over counted.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "convert/gpx/stream_readers.h"
#include "convert/input_text.h"
#include "convert/messages.h"
#include "formats/gpx/gpx_model.h"
#include "formats/gpx/gpx_time.h"
#include "formats/nmea_sentence.h"

namespace tessaline::gpx {

namespace {

using nmea::Rejection;
using nmea::SentenceType;
using nmea::TimeOfDay;

constexpr std::uint32_t kHalfDay = 12 * 3600;
constexpr std::int64_t kDay = 24 * 3600;
constexpr std::int64_t kTrackGap = 10 * 60;  // a longer pause starts a new track

bool Later(const TimeOfDay& a, const TimeOfDay& b) {
  return a.seconds != b.seconds ? a.seconds > b.seconds : a.nanoseconds > b.nanoseconds;
}
bool SameTime(const TimeOfDay& a, const TimeOfDay& b) {
  return a.seconds == b.seconds && a.nanoseconds == b.nanoseconds;
}

// The first date the log gives, and the time it was given at.
struct FirstDate {
  std::int64_t day;
  TimeOfDay time;
};

// The lines of a log, each read as a sentence.
class LogLines {
 public:
  LogLines(GpxJob& job, InputStream& input)
      : job_(job), text_(input, job.report.Path(), job.Files(), false, nullptr, LineEnds::Any) {}
  bool Next(nmea::LogLine& read) {
    std::string_view line;
    if (!text_.Next(line)) return false;
    ++number_;
    read = nmea::ReadLogLine(line);
    return true;
  }
  std::uint64_t Number() const { return number_; }
  std::uint64_t Offset() const { return text_.InputOffset(); }
  GpxJob& Job() { return job_; }

 private:
  GpxJob& job_;
  InputText text_;
  std::uint64_t number_ = 0;
};

// The first date, read ahead: fixes before it take it too.
std::optional<FirstDate> FindFirstDate(LogLines& lines) {
  nmea::LogLine line;
  while (lines.Next(line)) {
    lines.Job().YieldOrStop();
    if (line.kind != nmea::LineKind::Sentence || line.rejection != Rejection::None) continue;
    if (line.type == SentenceType::Rmc) {
      nmea::Fix fix;
      if (nmea::ReadFix(line.type, nmea::Fields(line.fields), fix) == Rejection::None && fix.day) {
        return FirstDate{*fix.day, fix.time};
      }
    } else if (line.type == SentenceType::Zda) {
      nmea::DateOfDay date;
      if (nmea::ReadZda(nmea::Fields(line.fields), date) == Rejection::None && date.day) {
        return FirstDate{*date.day, date.time};
      }
    }
  }
  return std::nullopt;
}

std::string TwoDigits(std::uint64_t value) {
  return std::string{static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

// "2014-04-03 08:54", or "08:54" without a day.
std::string TrackName(std::optional<std::int64_t> day, std::uint32_t seconds) {
  std::string name;
  if (day) {
    const Civil date = CivilFromDays(*day);
    const auto year = static_cast<std::uint64_t>(date.year);
    name = TwoDigits(year / 100) + TwoDigits(year % 100) + "-" + TwoDigits(date.month) + "-" + TwoDigits(date.day) + " ";
  }
  return name + TwoDigits(seconds / 3600) + ":" + TwoDigits(seconds / 60 % 60);
}

struct Place {
  std::string lat, lon;
  double lat_number = 0, lon_number = 0;
};

struct Route {
  std::string id;
  std::vector<std::string> names;
  std::uint64_t line = 0;
  bool operator<(const Route& other) const {
    return id != other.id ? id < other.id : names < other.names;
  }
};

class LogReader {
 public:
  LogReader(GpxJob& job, PointSink& sink, std::optional<FirstDate> first)
      : job_(job), sink_(sink), first_(first), given_(first ? std::nullopt : job.log_day) {}

  bool Line(const nmea::LogLine& line, std::uint64_t number, std::uint64_t offset) {
    if (line.kind == nmea::LineKind::Blank || line.kind == nmea::LineKind::Comment) return true;
    if (line.rejection != Rejection::None) return Reject(line.rejection, number);
    if (line.proprietary) {
      ++without_position_;
      return true;
    }
    if (line.type == SentenceType::Other) {
      ++without_position_;
      return true;
    }
    const nmea::Fields fields(line.fields);
    switch (line.type) {
      case SentenceType::Rmc:
      case SentenceType::Gga:
      case SentenceType::Gll:
      case SentenceType::Gns: {
        const Rejection read = nmea::ReadFix(line.type, fields, fix_);
        if (read != Rejection::None) return Reject(read, number);
        return Fix(number, offset);
      }
      case SentenceType::Zda: {
        nmea::DateOfDay date;
        const Rejection read = nmea::ReadZda(fields, date);
        if (read != Rejection::None) return Reject(read, number);
        ++without_position_;  // a date, but no position
        if (!date.day) return true;
        if (pending_ && SameTime(pending_time_, date.time)) {
          if (!pending_day_) pending_day_ = date.day;
          return true;
        }
        if (!Flush()) return false;
        SetDay(*date.day, date.time.seconds);
        return true;
      }
      case SentenceType::Wpl: return Waypoint(fields, number, offset);
      case SentenceType::Rte: return RoutePart(fields, number);
      case SentenceType::Other: break;
    }
    ++without_position_;
    return true;
  }

  bool End() {
    if (!Flush()) return false;
    EndTrack();
    if (part_expected_ > 1) job_.report.Warn(messages::kNmeaRouteIncomplete, part_line_);
    for (const Route& route : routes_) {
      if (!EmitRoute(route)) return false;
    }
    std::uint64_t rejected[messages::kNmeaRejectionKinds];
    for (std::size_t kind = 0; kind < messages::kNmeaRejectionKinds; ++kind) rejected[kind] = rejected_[kind + 1];
    job_.report.Summary().reader_note = messages::NmeaSummaryNote(rejected, without_position_);
    return true;
  }

 private:
  bool Reject(Rejection rejection, std::uint64_t number) {
    const auto kind = static_cast<std::size_t>(rejection);
    ++rejected_[kind];
    job_.report.Warn(messages::kNmeaRejected[kind - 1], number);
    return true;
  }

  // A valid fix: a point of its own, or merged into the one of its time.
  bool Fix(std::uint64_t number, std::uint64_t offset) {
    if (pending_ && !SameTime(pending_time_, fix_.time) && !Flush()) return false;
    if (!pending_) {
      pending_ = true;
      pending_time_ = fix_.time;
      pending_lat_ = fix_.lat;
      pending_lon_ = fix_.lon;
      pending_altitude_.assign(fix_.altitude);
      pending_day_ = fix_.day;
      pending_line_ = number;
      pending_offset_ = offset;
      return true;
    }
    // The first talker's position stays; the others add what it lacked.
    if (pending_altitude_.empty()) pending_altitude_.assign(fix_.altitude);
    if (!pending_day_) pending_day_ = fix_.day;
    pending_offset_ = offset;
    return true;
  }

  void SetDay(std::int64_t day, std::uint32_t seconds) {
    day_ = day;
    last_seconds_ = seconds;
    dated_ = true;
  }

  // The day of a fix at `time` with no date of its own: the last one, the
  // next where time went back by more than half a day; before the first
  // date, that date or the day before.
  std::optional<std::int64_t> DayOf(const TimeOfDay& time) {
    if (dated_) {
      if (time.seconds + kHalfDay < last_seconds_) ++day_;
      last_seconds_ = time.seconds;
      return day_;
    }
    if (first_) return Later(time, first_->time) ? first_->day - 1 : first_->day;
    if (given_) {
      SetDay(*given_, time.seconds);
      return day_;
    }
    // No date at all: days counted from the first fix, for the tracks alone.
    if (undated_seen_ && time.seconds + kHalfDay < undated_last_) ++undated_day_;
    undated_seen_ = true;
    undated_last_ = time.seconds;
    return std::nullopt;
  }

  bool Flush() {
    if (!pending_) return true;
    pending_ = false;
    std::optional<std::int64_t> day;
    if (pending_day_) {
      SetDay(*pending_day_, pending_time_.seconds);
      day = day_;
    } else {
      day = DayOf(pending_time_);
    }
    const std::int64_t at = (day ? *day : undated_day_) * kDay + pending_time_.seconds;
    const bool back = at < last_at_ || (at == last_at_ && pending_time_.nanoseconds < last_nanoseconds_);
    const bool gap = at - last_at_ > kTrackGap || (at - last_at_ == kTrackGap && pending_time_.nanoseconds > last_nanoseconds_);
    if (track_points_ == 0 || back || gap) {
      EndTrack();
      track_name_ = TrackName(day, pending_time_.seconds);
      sink_.BeginRun(RunKind::Track, track_name_);
    }
    last_at_ = at;
    last_nanoseconds_ = pending_time_.nanoseconds;

    StreamPoint& point = point_;
    point.lat_text = pending_lat_.Text();
    point.lon_text = pending_lon_.Text();
    point.lat_number = pending_lat_.number;
    point.lon_number = pending_lon_.number;
    point.has_numbers = true;
    point.name = track_name_;
    point.own_name = false;
    point.named = false;
    point.elevation.reset();
    if (!pending_altitude_.empty()) point.elevation = pending_altitude_;
    point.value = PointValue(RunKind::Track, std::nullopt, point.elevation);
    point.own_value = false;
    point.time.reset();
    if (day) {
      point.time = PointTime{at, pending_time_.nanoseconds, pending_time_.digits};
    } else {
      job_.report.Warn(messages::kNmeaWithoutDate, pending_line_);
    }
    point.line = pending_line_;
    point.offset = pending_offset_;
    ++track_points_;
    return sink_.Point(point);
  }

  void EndTrack() {
    if (track_points_ > 0) sink_.EndRun(RunKind::Track, track_points_);
    track_points_ = 0;
  }

  // A WPL: a waypoint the first time it is sent.
  bool Waypoint(const nmea::Fields& fields, std::uint64_t number, std::uint64_t offset) {
    nmea::Waypoint waypoint;
    const Rejection read = nmea::ReadWpl(fields, waypoint);
    if (read != Rejection::None) return Reject(read, number);
    Place place{std::string(waypoint.lat.Text()), std::string(waypoint.lon.Text()), waypoint.lat.number,
                waypoint.lon.number};
    std::string key = place.lat + "," + place.lon + "," + std::string(waypoint.name);
    if (!waypoints_seen_.insert(std::move(key)).second) return true;
    const Place& kept = places_[std::string(waypoint.name)] = std::move(place);
    sink_.BeginRun(RunKind::Waypoint, waypoint.name);
    if (!EmitPlace(kept, waypoint.name, RunKind::Waypoint, number, offset)) return false;
    sink_.EndRun(RunKind::Waypoint, 1);
    return true;
  }

  bool EmitPlace(const Place& place, std::string_view name, RunKind kind, std::uint64_t number,
                 std::uint64_t offset) {
    StreamPoint point;
    point.lat_text = place.lat;
    point.lon_text = place.lon;
    point.lat_number = place.lat_number;
    point.lon_number = place.lon_number;
    point.has_numbers = true;
    point.name = name;
    point.named = !name.empty();
    point.value = PointValue(kind, std::nullopt, std::nullopt);
    point.own_value = false;
    point.line = number;
    point.offset = offset;
    return sink_.Point(point);
  }

  // An RTE: one sentence of a route, which is kept once whole.
  bool RoutePart(const nmea::Fields& fields, std::uint64_t number) {
    nmea::RoutePart part;
    const Rejection read = nmea::ReadRte(fields, part);
    if (read != Rejection::None) return Reject(read, number);
    if (part.number == 1) {
      if (part_expected_ > 1) job_.report.Warn(messages::kNmeaRouteIncomplete, part_line_);
      part_id_.assign(part.id);
      part_names_.clear();
      part_total_ = part.total;
      part_line_ = number;
    } else if (part.number != part_expected_ || part.total != part_total_ || part.id != part_id_) {
      job_.report.Warn(messages::kNmeaRouteIncomplete, part_expected_ > 1 ? part_line_ : number);
      part_expected_ = 0;
      part_names_.clear();
      return true;
    }
    for (std::size_t at = nmea::RoutePart::first_name; at < fields.size(); ++at) {
      if (!fields[at].empty()) part_names_.emplace_back(fields[at]);
    }
    part_expected_ = part.number + 1;
    if (part.number < part.total) return true;
    part_expected_ = 0;
    Route route{part_id_, std::move(part_names_), part_line_};
    part_names_.clear();
    if (routes_seen_.insert(route).second) routes_.push_back(std::move(route));
    return true;
  }

  bool EmitRoute(const Route& route) {
    std::uint64_t points = 0;
    for (const std::string& name : route.names) {
      const auto place = places_.find(name);
      if (place == places_.end()) {
        job_.report.Warn(messages::kNmeaUnknownWaypoint, route.line);
        continue;
      }
      if (points++ == 0) sink_.BeginRun(RunKind::Route, route.id);
      if (!EmitPlace(place->second, name, RunKind::Route, route.line, job_.InputLength())) return false;
    }
    if (points > 0) sink_.EndRun(RunKind::Route, points);
    return true;
  }

  GpxJob& job_;
  PointSink& sink_;
  std::optional<FirstDate> first_;
  std::optional<std::int64_t> given_;
  nmea::Fix fix_;

  // The point of the time being read.
  bool pending_ = false;
  TimeOfDay pending_time_;
  nmea::Angle pending_lat_, pending_lon_;
  std::string pending_altitude_;
  std::optional<std::int64_t> pending_day_;
  std::uint64_t pending_line_ = 0, pending_offset_ = 0;

  // The days.
  bool dated_ = false;
  std::int64_t day_ = 0;
  std::uint32_t last_seconds_ = 0;
  bool undated_seen_ = false;
  std::int64_t undated_day_ = 0;
  std::uint32_t undated_last_ = 0;

  // The track.
  std::uint64_t track_points_ = 0;
  std::string track_name_;
  std::int64_t last_at_ = 0;
  std::uint32_t last_nanoseconds_ = 0;
  StreamPoint point_;

  // Waypoints and routes.
  std::set<std::string> waypoints_seen_;
  std::map<std::string, Place> places_;
  std::string part_id_;
  std::vector<std::string> part_names_;
  std::uint32_t part_total_ = 0, part_expected_ = 0;
  std::uint64_t part_line_ = 0;
  std::set<Route> routes_seen_;
  std::vector<Route> routes_;

  std::uint64_t rejected_[nmea::kRejectionKinds] = {};
  std::uint64_t without_position_ = 0;
};

}  // namespace

bool ReadNmeaFile(GpxJob& job, InputStream& input, PointSink& sink, bool, bool) {
  std::optional<FirstDate> first;
  {
    const std::unique_ptr<InputStream> ahead = job.OpenInputAgain();
    LogLines lines(job, *ahead);
    first = FindFirstDate(lines);
  }
  LogLines lines(job, input);
  LogReader reader(job, sink, first);
  nmea::LogLine line;
  while (lines.Next(line)) {
    job.ShowProgress(lines.Offset());
    job.YieldOrStop();
    if (!reader.Line(line, lines.Number(), lines.Offset())) return false;
  }
  return reader.End();
}

}  // namespace tessaline::gpx
