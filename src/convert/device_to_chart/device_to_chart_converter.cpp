#include "convert/device_to_chart/device_to_chart_converter.h"

#include <array>
#include <charconv>
#include <chrono>
#include <exception>
#include <memory>
#include <optional>
#include <random>

#include "convert/conversion_end.h"
#include "convert/conversion_failure.h"
#include "host/conversion_report.h"
#include "convert/device_to_chart/staging_store.h"
#include "convert/messages.h"
#include "convert/output_guard.h"
#include "convert/percentage_reporter.h"
#include "convert/track_budget.h"
#include "formats/chart_line_writer.h"
#include "formats/coordinate_notation.h"
#include "formats/device_point_line.h"
#include "formats/line_reader.h"
#include "formats/number_reader.h"
#include "platform/path_names.h"
#include "formats/percentage.h"
#include "formats/rounding.h"
#include "formats/time_stamp.h"
#include "formats/value_notation.h"

namespace tessaline {

namespace {

constexpr const char* kStoreName = "ZRB_DB.dat";
constexpr const char* kLockName = "ZRB_DB.lock";

bool HasDeviceFileName(const std::string& path) {
  return path.size() >= 3 && path.compare(path.size() - 3, 3, "zbx") == 0;
}

std::string IntegerText(int value) {
  char buffer[16];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

// A name no other run of this or another process picks: the store of a
// conversion that found the shared store in use.
std::string PrivateStoreName() {
  static unsigned counter = 0;
  std::uint64_t bits = static_cast<std::uint64_t>(
      std::chrono::steady_clock::now().time_since_epoch().count());
  bits ^= static_cast<std::uint64_t>(++counter) << 48;
  try {
    std::random_device random;
    bits ^= (static_cast<std::uint64_t>(random()) << 32) | random();
  } catch (const std::exception&) {
    // The clock and the counter remain; exclusive creation catches a clash.
  }
  char digits[17];
  const auto result = std::to_chars(digits, digits + sizeof digits - 1, bits, 16);
  return "ZRB_DB." + std::string(digits, result.ptr) + ".dat";
}

// One call of ConvertDeviceToChart: the staging store, its lock and the
// record count live exactly as long as this.
class ConversionRun {
 public:
  ConversionRun(Host& host, const RegionalSettings& regional, Clock& clock,
                const StagingLocation& location, const PointBudget& budget, std::vector<RunEntry>& tracks,
                std::vector<RunEntry>& waypoints)
      : host_(host),
        files_(host.Files()),
        regional_(regional),
        clock_(clock),
        location_(location),
        tracks_(tracks),
        waypoints_(waypoints),
        panel_(host),
        report_(std::string()),
        budget_(budget) {}

  ConversionOutcome Convert(const std::string& path) {
    if (!HasDeviceFileName(path)) {
      host_.ShowMessage(messages::kFormatRefused, MessageIcon::Information);
      RemoveLeftOverStore();
      return ConversionOutcome::Refused;
    }
    report_ = ConversionReport(path);
    const ConversionOutcome outcome =
        RunConversion(host_, messages::kDeviceToChartError, report_, [&] {
          StageDeviceFile(path);
          FindRuns();
          WriteTracks();
          WriteWaypoints(path);
          report_.SetSummary(ConversionSummary{ConversionSummary::Form::TracksAndWaypoints, tracks_.size(),
                                               track_points_, waypoints_.size(), 0, {}});
          budget_.Report(report_);
          CompleteConversion(host_, path, report_);
        });
    // After a failure nothing is undone and the shared store stays for the
    // next run to reuse; a private store would never be reused, so it goes.
    // After a success, a store that cannot be deleted is reused by the next
    // run, as after a failure.
    if (outcome != ConversionOutcome::Failed || private_store_) RemoveOwnStore();
    return outcome;
  }

 private:
  // --- Step 1: every line of the device file into the staging store. ---
  void StageDeviceFile(const std::string& path) {
    host_.SetStepText(messages::kDeviceToChartStep1);

    // A directory can open and read as empty and a FIFO can block: only a
    // regular file is a device file.
    if (files_.TypeOf(path) != FileType::Regular) throw ConversionFailure::FileOperation(path, files_);
    // An output name that leads back to the input (a symbolic link) would
    // put the conversion in place of the file being converted: refuse
    // before anything is written.
    const std::optional<FileIdentity> identity = files_.Identity(path);
    if (!identity) throw ConversionFailure::FileOperation(path, files_);
    input_identity_ = *identity;
    RefuseOutputOverInput(files_, BaseName(path) + "_TRK.txt", input_identity_);
    RefuseOutputOverInput(files_, BaseName(path) + "_WPT.txt", input_identity_);
    const std::optional<std::uint64_t> length = files_.Length(path);
    if (!length) throw ConversionFailure::FileOperation(path, files_);
    std::unique_ptr<InputStream> input = files_.OpenRead(path);
    if (!input) throw ConversionFailure::FileOperation(path, files_);

    StagingStore store(OpenStoreForStaging());
    LineReader reader(*input);
    std::int32_t counter = 0;
    std::string_view line;
    std::uint64_t next_percent = 0;
    while (reader.Next(line)) {
      if (++counter > kMaxRecordNumber) throw ConversionFailure(messages::kTooManyLines);
      if (reader.BytesConsumed() >= next_percent) {
        panel_.MainPercent(PercentOf(static_cast<double>(reader.BytesConsumed()), static_cast<double>(*length)));
        next_percent = NextPercentChange(reader.BytesConsumed(), *length);
      }
      YieldOrStop(host_);
      DevicePointFields fields;
      switch (ReadDevicePointLine(line, fields)) {
        case DeviceLineProblem::None: break;
        case DeviceLineProblem::TooFewFields:
          throw ConversionFailure::AtLine(counter, messages::kTooFewFields);
        case DeviceLineProblem::NameTooShort:
          throw ConversionFailure::AtLine(counter, messages::kNameTooShort);
      }
      NoteLosses(fields, counter);
      const StagedPoint point(fields.coord2, fields.coord1, fields.value, fields.name,
                              fields.group);
      if (!store.Write(counter, point)) throw ConversionFailure::FileOperation(store_path_, files_);
    }
    if (reader.Failed()) throw ConversionFailure::FileOperation(path, files_);
    // The end record needs one number more than the last line.
    if (++counter > kMaxRecordNumber) throw ConversionFailure(messages::kTooManyLines);
    if (!store.Write(counter, StagedPoint::EndRecord()) || !store.Close()) {
      throw ConversionFailure::FileOperation(store_path_, files_);
    }
    record_count_ = counter;

    host_.MarkStepFinished(1);
    tracks_.clear();
    waypoints_.clear();
  }

  // What the store's slots and the comma split lose of a line; the line is
  // staged as it is all the same.
  void NoteLosses(const DevicePointFields& fields, std::int32_t line) {
    if (fields.name.size() > kNameWidth) report_.Warn(messages::kNameCut, line);
    // A quoted name cut short by a comma: the rest of it went to the Group.
    if (fields.name_field.front() == '"' && fields.name_field.back() != '"') {
      report_.Warn(messages::kNameWithComma, line);
    }
    for (std::string_view coordinate : {fields.coord1, fields.coord2}) {
      if (coordinate.size() > kCoordinateWidth) report_.Warn(messages::kCoordinateCut, line);
    }
    if (fields.value.size() > kValueWidth) report_.Warn(messages::kValueCut, line);
  }

  // The shared store when this run can take the lock, else a private one.
  std::unique_ptr<RandomAccessFile> OpenStoreForStaging() {
    const std::string folder = ChooseStagingFolder(files_, location_);
    if (folder.empty()) throw ConversionFailure::OfFile(kStoreName, messages::kNoStagingFolder);
    LockResult locked = files_.TryLock(JoinPath(folder, kLockName));
    if (locked.state == LockState::Acquired) {
      lock_ = std::move(locked.lock);
      store_path_ = JoinPath(folder, kStoreName);
      std::unique_ptr<RandomAccessFile> file = files_.OpenRecords(store_path_);
      if (!file) throw ConversionFailure::FileOperation(store_path_, files_);
      return file;
    }
    // Another copy of the program holds the lock, or locking is not
    // possible here: leave the shared store alone and use a store of our
    // own, which nobody else would ever open.
    std::string candidate;
    for (int attempt = 0; attempt < 16; ++attempt) {
      candidate = JoinPath(folder, PrivateStoreName());
      std::unique_ptr<RandomAccessFile> file = files_.CreateRecordsExclusive(candidate);
      if (file) {
        store_path_ = candidate;
        private_store_ = true;
        return file;
      }
    }
    throw ConversionFailure::FileOperation(candidate, files_);
  }

  std::unique_ptr<RandomAccessFile> OpenStoreForReading() {
    std::unique_ptr<RandomAccessFile> file = files_.OpenRecords(store_path_);
    if (!file) throw ConversionFailure::FileOperation(store_path_, files_);
    return file;
  }

  void Read(StagingStore& store, std::int32_t record, StagedPoint& point) {
    if (store.Read(record, point)) return;
    // Not a failing call: records are missing, the store was cut meanwhile.
    if (!store.Failed()) throw ConversionFailure::OfFile(store_path_, messages::kInputChanged);
    throw ConversionFailure::FileOperation(store_path_, files_);
  }

  void Close(StagingStore& store) {
    if (!store.Close()) throw ConversionFailure::FileOperation(store_path_, files_);
  }

  // Record r holds line r of the device file.
  static double GroupOf(const StagedPoint& point, std::int32_t record) {
    const std::optional<double> value = ReadAsNumber(TrimSpaces(point.Group()));
    if (!value) throw ConversionFailure::AtLine(record, messages::kNumberTooLarge);
    return *value;
  }

  // The Group of records read in order: the same slot as the record before
  // reads the same, so runs cost one reading, not one per point.
  class GroupReader {
   public:
    double Of(const StagedPoint& point, std::int32_t record) {
      if (!known_ || point.Group() != std::string_view(last_.data(), last_.size())) {
        value_ = GroupOf(point, record);
        point.Group().copy(last_.data(), last_.size());
        known_ = true;
      }
      return value_;
    }

   private:
    std::array<char, kGroupWidth> last_{};
    double value_ = 0.0;
    bool known_ = false;
  };

  // --- Step 2: runs of consecutive points whose Group reads the same. ---
  void FindRuns() {
    host_.SetStepText(messages::kDeviceToChartStep2);
    StagingStore store(OpenStoreForReading());
    StagedPoint point;
    GroupReader group;
    bool in_run = false;
    double run_value = 0.0;
    std::int32_t run_first = 0;
    std::uint64_t next_percent = 0;
    for (std::int32_t i = 1; i <= record_count_; ++i) {
      Read(store, i, point);
      ShowPercentAt(i, next_percent, &PercentageReporter::MainPercent);
      YieldOrStop(host_);
      // The end record only closes the last run; it never joins one.
      if (i == record_count_) break;
      const double value = group.Of(point, i);
      if (in_run && value == run_value) continue;
      if (in_run) AddRun(run_value, run_first, i - run_first);
      // Runs are kept as 16-bit numbers: a value beyond them fails here,
      // before any file is written.
      if (!RoundToInt16(value)) throw ConversionFailure::AtLine(i, messages::kGroupOutOfRange);
      in_run = true;
      run_value = value;
      run_first = i;
    }
    if (in_run) AddRun(run_value, run_first, record_count_ - run_first);
    Close(store);
    host_.MarkStepFinished(2);
  }

  void AddRun(double value, std::int32_t first, std::int32_t length) {
    RunEntry entry{IntegerText(*RoundToInt16(value)), first, value};
    if (length > 1) track_points_ += static_cast<std::uint64_t>(length);
    (length > 1 ? tracks_ : waypoints_).push_back(std::move(entry));
  }

  // Record i of the store as a percentage, computed only at the records
  // where it changes. `next` starts at 0, and the records asked must not go
  // back while it is in use: the scans of a step read their runs in order.
  void ShowPercentAt(std::int32_t i, std::uint64_t& next, void (PercentageReporter::*show)(int)) {
    const auto record = static_cast<std::uint64_t>(i);
    if (record < next) return;
    (panel_.*show)(PercentOf(i, record_count_));
    next = NextPercentChange(record, static_cast<std::uint64_t>(record_count_));
  }

  // Reads the records of one run from its first on, showing the inner
  // percentage for each, and hands every point of the run to `take`.
  // Returns the record the scan stopped at: the one after the run's last
  // point (the next run's first, or the end record).
  template <typename Take>
  std::int32_t ScanRun(StagingStore& store, const RunEntry& entry, Take take) {
    StagedPoint point;
    GroupReader group;
    std::int32_t i = entry.first_record;
    for (;; ++i) {
      Read(store, i, point);
      ShowPercentAt(i, next_inner_percent_, &PercentageReporter::InnerPercent);
      YieldOrStop(host_);
      if (i >= record_count_ || group.Of(point, i) != entry.group_value) return i;
      take(point, i);
    }
  }

  // The main percentage before item k of `count`: how far the record scans
  // have come, spread over the items.
  void ShowItemPercentage(std::int32_t scan_stop, std::size_t k, std::size_t count) {
    panel_.Main(PercentageText(static_cast<double>(scan_stop) / record_count_ * 100.0 /
                               static_cast<double>(count) * static_cast<double>(k + 1)));
  }

  // The field in the chart's notation, in `out` (its room kept from line to line).
  static const std::string& Coordinate(std::string& out, std::string_view field, std::int32_t record) {
    out.clear();
    if (!AppendCoordinateText(out, field)) throw ConversionFailure::AtLine(record, messages::kNumberTooLarge);
    return out;
  }

  // --- Step 3: the track file. ---
  void WriteTracks() {
    host_.SetStepText(messages::kDeviceToChartStep3);
    StagingStore store(OpenStoreForReading());
    std::string text;
    // Room for lines of the usual length, asked once: a track line has at
    // most two coordinates of 20 digits, a short value and a stamp.
    text.reserve(static_cast<std::size_t>(track_points_) * 96);
    const bool limited = budget_.Limited();
    scan_stop_ = record_count_ + 1;  // no item scanned yet
    next_inner_percent_ = 0;
    for (std::size_t k = 0; k < tracks_.size(); ++k) {
      ShowItemPercentage(scan_stop_, k, tracks_.size());
      bool header_written = false;
      scan_stop_ = ScanRun(store, tracks_[k], [&](const StagedPoint& point, std::int32_t i) {
        // The track is named after its first point.
        if (!header_written) {
          AppendTrackHeaderLine(text, TrimSpaces(point.Name()));
          if (limited) budget_.StartTrack(static_cast<std::uint64_t>(i));
          header_written = true;
        }
        const std::string& coord2 = Coordinate(coord2_, point.Coord2(), i);
        const std::string& coord1 = Coordinate(coord1_, point.Coord1(), i);
        const std::size_t begin = text.size();
        // The stamp tells when the line was written, so it is taken afresh.
        AppendTrackPointLine(text, coord2, coord1, ValueNotation(point.Value(), regional_), stamp_.Now());
        if (limited) {
          budget_.TrackPoint(begin, text.size(), CoordinateOf(coord1), CoordinateOf(coord2),
                             static_cast<std::uint64_t>(i));
        }
      });
    }
    Close(store);
    // A chosen budget bounds each file: the tracks shrink to it, the
    // waypoints of the other file must fit it as they are.
    if (limited) {
      for (std::size_t w = 0; w < waypoints_.size(); ++w) budget_.PointOfOtherFile();
      budget_.Fit(text, [this] { YieldOrStop(host_); });
    }
    // Written together with the waypoint file, at the end of step 4.
    track_text_ = std::move(text);
    host_.MarkStepFinished(3);
  }

  // --- Step 4: the waypoint file. ---
  void WriteWaypoints(const std::string& path) {
    host_.SetStepText(messages::kDeviceToChartStep4);
    StagingStore store(OpenStoreForReading());
    std::string text;
    next_inner_percent_ = 0;
    for (std::size_t k = 0; k < waypoints_.size(); ++k) {
      ShowItemPercentage(scan_stop_, k, waypoints_.size());
      scan_stop_ = ScanRun(store, waypoints_[k], [&](const StagedPoint& point, std::int32_t i) {
        AppendWaypointLine(text, TrimSpaces(point.Name()), Coordinate(coord2_, point.Coord2(), i),
                           Coordinate(coord1_, point.Coord1(), i));
      });
    }
    Close(store);
    // Both files or neither: a stop or a failure between them would leave a
    // new track file beside an old waypoint file, and nothing would tell.
    WriteOutputsTogether(files_,
                         {{BaseName(path) + "_TRK.txt", {track_text_}}, {BaseName(path) + "_WPT.txt", {text}}},
                         input_identity_);
  }

  // Removes the store this run staged into (it holds the lock of a shared one).
  void RemoveOwnStore() {
    if (store_path_.empty()) return;
    if (files_.Exists(store_path_)) files_.Remove(store_path_);
  }

  // A refused file still clears away a store an earlier failed run left,
  // unless another copy of the program is using it right now.
  void RemoveLeftOverStore() {
    const std::string folder = ExistingStagingFolder(files_, location_);
    if (folder.empty()) return;
    const std::string store = JoinPath(folder, kStoreName);
    if (!files_.Exists(store)) return;
    const LockResult locked = files_.TryLock(JoinPath(folder, kLockName));
    if (locked.state != LockState::Acquired) return;
    if (files_.Exists(store)) files_.Remove(store);
  }

  Host& host_;
  FileSystem& files_;
  const RegionalSettings& regional_;
  Clock& clock_;
  const StagingLocation& location_;
  std::vector<RunEntry>& tracks_;
  std::vector<RunEntry>& waypoints_;
  PercentageReporter panel_;
  ConversionReport report_;

  std::unique_ptr<FileLock> lock_;  // held until the run is over
  std::string store_path_;
  bool private_store_ = false;
  FileIdentity input_identity_;
  std::int32_t record_count_ = 0;
  std::uint64_t track_points_ = 0;
  std::int32_t scan_stop_ = 0;  // record at which the last item's scan stopped
  std::uint64_t next_inner_percent_ = 0;  // of the scans of step 3 or 4
  std::string track_text_;      // step 3's track file, written in step 4
  StampOfNow stamp_{clock_, regional_};
  std::string coord1_, coord2_;  // of the line being written
  TrackBudget budget_;
};

}  // namespace

DeviceToChartConverter::DeviceToChartConverter(Host& host, RegionalSettings regional, Clock& clock,
                                               StagingLocation location, PointBudget budget)
    : host_(host),
      regional_(std::move(regional)),
      clock_(clock),
      location_(std::move(location)),
      budget_(std::move(budget)) {}

ConversionOutcome DeviceToChartConverter::ConvertDeviceToChart(const std::string& path) {
  ConversionRun run(host_, regional_, clock_, location_, budget_, list1_, list2_);
  return run.Convert(path);
}

}  // namespace tessaline
