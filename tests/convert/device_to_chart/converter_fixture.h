#pragma once
// A device-to-chart converter over a temporary folder: the real file system
// behind a FaultyFileSystem, a recording host, a clock that ticks a second
// per reading, and a program folder and cache folder of its own.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "convert/device_to_chart/device_to_chart_converter.h"
#include "host/faulty_file_system.h"
#include "host/real_file_system.h"
#include "host/recording_host.h"
#include "support/temp_folder.h"

namespace tessaline::testing {

class TickingClock final : public Clock {
 public:
  LocalTime Now() override {
    LocalTime now = start;
    now.second += readings++;
    now.minute += now.second / 60;
    now.second %= 60;
    return now;
  }
  LocalTime start{2024, 3, 7, 10, 11, 12};
  int readings = 0;
};

class DeviceToChartTest : public ::testing::Test {
 protected:
  DeviceToChartTest() : files(real), host(files) {
    mkdir(program_folder().c_str(), 0777);
    mkdir(data_folder().c_str(), 0777);
  }

  std::string program_folder() const { return temp.File("program"); }
  std::string cache_folder() const { return temp.File("cache") + "/tessaline"; }
  std::string data_folder() const { return temp.File("data"); }
  std::string store_path() const { return program_folder() + "/ZRB_DB.dat"; }
  std::string lock_path() const { return program_folder() + "/ZRB_DB.lock"; }
  std::string Data(const std::string& name) const { return data_folder() + "/" + name; }

  StagingLocation Location(bool installed = false) const {
    return StagingLocation{program_folder(), cache_folder(), installed};
  }

  // Writes `content` as data/<name> and converts it.
  ConversionOutcome Convert(const std::string& name, const std::string& content,
                            RegionalSettings regional = RegionalSettings::French()) {
    WriteWholeFile(Data(name), content);
    return ConvertPath(Data(name), regional);
  }
  ConversionOutcome ConvertPath(const std::string& path,
                                RegionalSettings regional = RegionalSettings::French()) {
    DeviceToChartConverter converter(host, regional, clock, location);
    const ConversionOutcome outcome = converter.ConvertDeviceToChart(path);
    list1 = converter.List1();
    list2 = converter.List2();
    return outcome;
  }

  // Files of the folder whose names start with `prefix`.
  std::vector<std::string> FilesStartingWith(const std::string& folder,
                                             const std::string& prefix) const;

  TempFolder temp;
  RealFileSystem real;
  FaultyFileSystem files;
  RecordingHost host;
  TickingClock clock;
  StagingLocation location = Location();
  std::vector<RunEntry> list1, list2;
};

// "c1,c2,value,"name",group" CR LF for each group.
std::string DeviceLines(const std::vector<std::string>& groups);

inline constexpr const char* kErrorEvent = "error:Erreur dans le module de conversion ZRB -> Vestamar";
inline constexpr const char* kRefusedEvent =
    "info:Problème de format: Ce fichier ne peut pas être traité.";

}  // namespace tessaline::testing
