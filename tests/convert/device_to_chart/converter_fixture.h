#pragma once
// A device-to-chart converter over a temporary folder: the real file system
// behind a FaultyFileSystem, a recording host, a clock that ticks a second
// per reading, and a program folder and cache folder of its own.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convert/device_to_chart/device_to_chart_converter.h"
#include "support/faulty_file_system.h"
#include "host/real_file_system.h"
#include "support/recording_host.h"
#include "support/temp_folder.h"

namespace tessaline::testing {

using Events = std::vector<std::string>;

class TickingClock final : public Clock {
 public:
  LocalTime Now() override { return LocalTime{2024, 3, 7, 10, 11, 12 + readings++}; }
  int readings = 0;
};

class DeviceToChartTest : public ::testing::Test {
 protected:
  DeviceToChartTest();

  std::string program_folder() const { return temp.File("program"); }
  std::string cache_folder() const { return temp.File("cache/tessaline"); }
  std::string store_path() const { return program_folder() + "/ZRB_DB.dat"; }
  std::string lock_path() const { return program_folder() + "/ZRB_DB.lock"; }
  std::string Data(const std::string& name) const { return temp.File("data/" + name); }
  // Names in `folder` that start with `prefix`.
  std::vector<std::string> Listing(const std::string& folder, const std::string& prefix) const;

  // Writes data/in.zbx (or `name`) and converts it.
  ConversionOutcome Convert(const std::string& content, const std::string& name = "in.zbx",
                            RegionalSettings regional = RegionalSettings::French());
  ConversionOutcome ConvertPath(const std::string& path,
                                RegionalSettings regional = RegionalSettings::French());
  std::string Tracks() const { return ReadWholeFile(Data("in_TRK.txt")); }
  std::string Waypoints() const { return ReadWholeFile(Data("in_WPT.txt")); }

  TempFolder temp;
  RealFileSystem real;
  FaultyFileSystem files{real};
  RecordingHost host{files};
  TickingClock clock;
  StagingLocation location{program_folder(), cache_folder(), false};
  std::vector<RunEntry> list1, list2;
};

// Line n (from 1): "47.n,-4.n,n.5,"Pn",group" CR LF, one per group.
std::string DeviceLines(const std::vector<std::string>& groups);
int Occurrences(const std::string& text, const std::string& part);

inline const std::string kErrorEvent = "error:Erreur dans le module de conversion ZRB -> Vestamar";
inline const std::string kRefusedEvent = "info:Problème de format: Ce fichier ne peut pas être traité.";

}  // namespace tessaline::testing
