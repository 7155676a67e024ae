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
#include "convert/input_file.h"
#include "convert/input_text.h"
#include "convert/messages.h"
#include "convert/output_guard.h"
#include "convert/progress_pacer.h"
#include "convert/track_budget.h"
#include "formats/chart_line_writer.h"
#include "formats/coordinate_notation.h"
#include "formats/device_point_line.h"
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

// Step 1 and the store it fills: every line of the device file staged as
// one record, the lock of a shared store held while the run lasts, and the
// store's removal when it is over.
class Staging {
 public:
  Staging(Host& host, const StagingLocation& location, ConversionReport& report, ProgressPacer& main_percent)
      : host_(host), files_(host.Files()), location_(location), report_(report), main_percent_(main_percent) {}

  // --- Step 1: every line of the device file into the staging store. ---
  // `base`: of the two outputs, refused if either leads back to the input.
  void Stage(const std::string& path, const std::string& base) {
    host_.SetStepText(messages::kDeviceToChartStep1);

    // A directory can open and read as empty and a FIFO can block: only a
    // regular file is a device file.
    if (const PathType type = files_.TypeOf(path); type != FileType::Regular) {
      throw ConversionFailure::FileOperation(path, type.why);
    }
    // An output name that leads back to the input (a symbolic link) would
    // put the conversion in place of the file being converted: refuse
    // before anything is written.
    input_identity_ = OrFail(files_.Identity(path), path);
    RefuseOutputOverInput(files_, base + "_TRK.txt", input_identity_);
    RefuseOutputOverInput(files_, base + "_WPT.txt", input_identity_);
    const std::uint64_t length = OrFail(files_.Length(path), path);
    std::unique_ptr<InputStream> input = OpenWholeInput(files_, path, InputFile{input_identity_, length});

    StagingStore store(OpenStoreForStaging());
    InputText reader(*input, path, files_, true, &report_);
    std::int32_t counter = 0;
    std::string_view line;
    main_percent_.Restart(length);
    while (reader.Next(line)) {
      if (++counter > kMaxRecordNumber) throw ConversionFailure(messages::kTooManyLines);
      main_percent_.At(reader.InputOffset());
      YieldOrStop(host_);
      DevicePointFields fields;
      switch (ReadDevicePointLine(line, fields)) {
        case DeviceLineProblem::None: break;
        case DeviceLineProblem::TooFewFields:
          throw ConversionFailure::AtLine(counter, messages::kTooFewFields);
        case DeviceLineProblem::NameTooShort:
          throw ConversionFailure::AtLine(counter, messages::kNameTooShort);
      }
      const StagedPoint point(fields.coord2, fields.coord1, fields.value, fields.name,
                              fields.group);
      // Text that holds no number would read as 0: a point invented at 0°.
      // Asked of what the store keeps, since a field longer than its slot
      // is cut there (twenty blanks before the digits keep none of them).
      if (!HoldsNumber(point.Coord1()) || !HoldsNumber(point.Coord2())) {
        throw ConversionFailure::AtLine(counter, messages::kCoordinateWithoutNumber);
      }
      NoteLosses(fields, counter);
      if (!store.Write(counter, point)) throw ConversionFailure::FileOperation(store_path_, files_);
    }
    // The end record needs one number more than the last line.
    if (++counter > kMaxRecordNumber) throw ConversionFailure(messages::kTooManyLines);
    if (!store.Write(counter, StagedPoint::EndRecord()) || !store.Close()) {
      throw ConversionFailure::FileOperation(store_path_, files_);
    }
    record_count_ = counter;

    host_.MarkStepFinished(1);
  }

  // The store again, for steps 2 to 4 to read by record number.
  std::unique_ptr<RandomAccessFile> OpenForReading() {
    return OrFail(files_.OpenRecords(store_path_), store_path_);
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

  // The records staged, the end record included.
  std::int32_t RecordCount() const { return record_count_; }
  // The device file as step 1 found it: no output may replace it.
  const FileIdentity& InputIdentity() const { return input_identity_; }
  // A store of this run's own, which no later run would reuse.
  bool Private() const { return private_store_; }

 private:
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
      return OrFail(files_.OpenRecords(store_path_), store_path_);
    }
    // Another copy of the program holds the lock, or locking is not
    // possible here: leave the shared store alone and use a store of our
    // own, which nobody else would ever open.
    std::string candidate;
    FileFault fault;
    for (int attempt = 0; attempt < 16; ++attempt) {
      candidate = JoinPath(folder, PrivateStoreName());
      auto file = files_.CreateRecordsExclusive(candidate);
      if (file) {
        store_path_ = candidate;
        private_store_ = true;
        return std::move(*file);
      }
      fault = file.fault();
    }
    throw ConversionFailure::FileOperation(candidate, fault);
  }

  Host& host_;
  FileSystem& files_;
  const StagingLocation& location_;
  ConversionReport& report_;
  ProgressPacer& main_percent_;

  std::unique_ptr<FileLock> lock_;  // held until the run is over
  std::string store_path_;
  bool private_store_ = false;
  FileIdentity input_identity_;
  std::int32_t record_count_ = 0;
};

// Steps 2 to 4: the runs of the staged records sorted into tracks and
// waypoints, then the track and the waypoint file written from them, both
// replaced together at the end.
class ChartWriting {
 public:
  ChartWriting(Host& host, const RegionalSettings& regional, Clock& clock, const PointBudget& budget,
               std::vector<RunEntry>& tracks, std::vector<RunEntry>& waypoints, ConversionReport& report,
               ProgressPacer& main_percent, Staging& staging)
      : host_(host),
        files_(host.Files()),
        regional_(regional),
        clock_(clock),
        tracks_(tracks),
        waypoints_(waypoints),
        report_(report),
        main_percent_(main_percent),
        inner_percent_(host, ProgressPacer::Label::Inner),
        staging_(staging),
        budget_(budget) {}

  // --- Step 2: runs of consecutive points whose Group reads the same. ---
  void FindRuns() {
    // The lists of the run before are emptied once step 1 has succeeded.
    tracks_.clear();
    waypoints_.clear();
    host_.SetStepText(messages::kDeviceToChartStep2);
    StagingStore store(staging_.OpenForReading());
    StagedPoint point;
    GroupReader group;
    bool in_run = false;
    double run_value = 0.0;
    std::int32_t run_first = 0;
    main_percent_.Restart(static_cast<std::uint64_t>(staging_.RecordCount()));
    for (std::int32_t i = 1; i <= staging_.RecordCount(); ++i) {
      staging_.Read(store, i, point);
      main_percent_.At(static_cast<std::uint64_t>(i));
      YieldOrStop(host_);
      // The end record only closes the last run; it never joins one.
      if (i == staging_.RecordCount()) break;
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
    if (in_run) AddRun(run_value, run_first, staging_.RecordCount() - run_first);
    staging_.Close(store);
    host_.MarkStepFinished(2);
  }

  // --- Step 3: the track file. ---
  void WriteTracks() {
    host_.SetStepText(messages::kDeviceToChartStep3);
    StagingStore store(staging_.OpenForReading());
    std::string text;
    // Room for lines of the usual length, asked once: a track line has at
    // most two coordinates of 20 digits, a short value and a stamp.
    text.reserve(static_cast<std::size_t>(track_points_) * 96);
    const bool limited = budget_.Limited();
    scan_stop_ = staging_.RecordCount() + 1;  // no item scanned yet
    inner_percent_.Restart(static_cast<std::uint64_t>(staging_.RecordCount()));
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
    staging_.Close(store);
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

  // --- Step 4: the waypoint file; then both, BASE_TRK.txt and BASE_WPT.txt. ---
  void WriteWaypoints(const std::string& base) {
    host_.SetStepText(messages::kDeviceToChartStep4);
    StagingStore store(staging_.OpenForReading());
    std::string text;
    inner_percent_.Restart(static_cast<std::uint64_t>(staging_.RecordCount()));
    for (std::size_t k = 0; k < waypoints_.size(); ++k) {
      ShowItemPercentage(scan_stop_, k, waypoints_.size());
      scan_stop_ = ScanRun(store, waypoints_[k], [&](const StagedPoint& point, std::int32_t i) {
        AppendWaypointLine(text, TrimSpaces(point.Name()), Coordinate(coord2_, point.Coord2(), i),
                           Coordinate(coord1_, point.Coord1(), i));
      });
    }
    staging_.Close(store);
    // Both files or neither: a stop or a failure between them would leave a
    // new track file beside an old waypoint file, and nothing would tell.
    WriteOutputsTogether(files_,
                         {{base + "_TRK.txt", {track_text_}}, {base + "_WPT.txt", {text}}},
                         staging_.InputIdentity());
  }

  // What was written, for the summary and the notes.
  void Report() {
    report_.SetSummary(ConversionSummary{ConversionSummary::Form::TracksAndWaypoints, tracks_.size(), track_points_,
                                         waypoints_.size(), 0, {}});
    budget_.Report(report_);
  }

 private:
  void AddRun(double value, std::int32_t first, std::int32_t length) {
    RunEntry entry{IntegerText(*RoundToInt16(value)), first, value};
    if (length > 1) track_points_ += static_cast<std::uint64_t>(length);
    (length > 1 ? tracks_ : waypoints_).push_back(std::move(entry));
  }

  // Reads the records of one run from its first on, showing the inner
  // percentage for each (the scans of a step read their runs in order, so
  // the records asked never go back), and hands every point of the run to
  // `take`. Returns the record the scan stopped at: the one after the run's
  // last point (the next run's first, or the end record).
  template <typename Take>
  std::int32_t ScanRun(StagingStore& store, const RunEntry& entry, Take take) {
    StagedPoint point;
    GroupReader group;
    std::int32_t i = entry.first_record;
    for (;; ++i) {
      staging_.Read(store, i, point);
      inner_percent_.At(static_cast<std::uint64_t>(i));
      YieldOrStop(host_);
      if (i >= staging_.RecordCount() || group.Of(point, i) != entry.group_value) return i;
      take(point, i);
    }
  }

  // The main percentage before item k of `count`: how far the record scans
  // have come, spread over the items.
  void ShowItemPercentage(std::int32_t scan_stop, std::size_t k, std::size_t count) {
    main_percent_.Show(PercentageText(static_cast<double>(scan_stop) / staging_.RecordCount() * 100.0 /
                                      static_cast<double>(count) * static_cast<double>(k + 1)));
  }

  // The field in the chart's notation, in `out` (its room kept from line to line).
  static const std::string& Coordinate(std::string& out, std::string_view field, std::int32_t record) {
    out.clear();
    if (!AppendCoordinateText(out, field)) throw ConversionFailure::AtLine(record, messages::kNumberTooLarge);
    return out;
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

  Host& host_;
  FileSystem& files_;
  const RegionalSettings& regional_;
  Clock& clock_;
  std::vector<RunEntry>& tracks_;
  std::vector<RunEntry>& waypoints_;
  ConversionReport& report_;
  ProgressPacer& main_percent_;
  ProgressPacer inner_percent_;
  Staging& staging_;

  std::uint64_t track_points_ = 0;
  std::int32_t scan_stop_ = 0;  // record at which the last item's scan stopped
  std::string track_text_;      // step 3's track file, written in step 4
  StampOfNow stamp_{clock_, regional_};
  std::string coord1_, coord2_;  // of the line being written
  TrackBudget budget_;
};

// One call of ConvertDeviceToChart: the staging store, its lock and the
// record count live exactly as long as this.
class ConversionRun {
 public:
  ConversionRun(Host& host, const RegionalSettings& regional, Clock& clock,
                const StagingLocation& location, const PointBudget& budget, std::vector<RunEntry>& tracks,
                std::vector<RunEntry>& waypoints)
      : host_(host),
        report_(std::string()),
        main_percent_(host, ProgressPacer::Label::Main),
        staging_(host, location, report_, main_percent_),
        writing_(host, regional, clock, budget, tracks, waypoints, report_, main_percent_, staging_) {}

  // `base`: of the two outputs; "" for the input's base name.
  ConversionOutcome Convert(const std::string& path, const std::string& base) {
    const std::string outputs = base.empty() ? BaseName(path) : base;
    if (!HasDeviceFileName(path)) {
      host_.ShowMessage(messages::kFormatRefused, MessageIcon::Information);
      staging_.RemoveLeftOverStore();
      return ConversionOutcome::Refused;
    }
    report_ = ConversionReport(path);
    const ConversionOutcome outcome =
        RunConversion(host_, messages::kDeviceToChartError, report_, [&] {
          staging_.Stage(path, outputs);
          writing_.FindRuns();
          writing_.WriteTracks();
          writing_.WriteWaypoints(outputs);
          writing_.Report();
          CompleteConversion(host_, path, report_);
        });
    // After a failure nothing is undone and the shared store stays for the
    // next run to reuse; a private store would never be reused, so it goes.
    // After a success, a store that cannot be deleted is reused by the next
    // run, as after a failure.
    if (outcome != ConversionOutcome::Failed || staging_.Private()) staging_.RemoveOwnStore();
    return outcome;
  }

 private:
  Host& host_;
  ConversionReport report_;
  // lblFichiers: bytes in step 1, records in step 2, the items after.
  ProgressPacer main_percent_;
  Staging staging_;
  ChartWriting writing_;
};

}  // namespace

DeviceToChartConverter::DeviceToChartConverter(Host& host, RegionalSettings regional, Clock& clock,
                                               StagingLocation location, PointBudget budget)
    : host_(host),
      regional_(std::move(regional)),
      clock_(clock),
      location_(std::move(location)),
      budget_(std::move(budget)) {}

ConversionOutcome DeviceToChartConverter::ConvertDeviceToChart(const std::string& path, const std::string& base) {
  ConversionRun run(host_, regional_, clock_, location_, budget_, list1_, list2_);
  return run.Convert(path, base);
}

}  // namespace tessaline
