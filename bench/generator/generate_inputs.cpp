// Writes realistic benchmark inputs into a folder:
//   device_32766.zbx               a full device point file: tracks and waypoints
//   track_<N>_TRK.txt              track files of N lines (T and P lines)
//   waypoint_<N>_WPT.txt           waypoint files of N lines
// each with <same name>.csv holding the same points as unicsv (for GPSBabel),
// and cases.txt listing them for the runner, one case a line:
//   <kind> TAB <input> TAB <csv> TAB <lines> TAB <points>
// The boats sail off the coast of Finistère and southern Brittany; names,
// values and time stamps look like those of real outings. Lines end in CR LF,
// the chart files carry the notations the converter writes (15-decimal
// coordinates, values with a decimal comma as under French settings).
//
// Usage: tessaline-bench-generate FOLDER [--small]
//   --small: a few thousand lines a file, to try the benchmark quickly.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A buffered file: appending text costs no system call per line.
class Output {
 public:
  explicit Output(const std::string& path) : path_(path), file_(std::fopen(path.c_str(), "wb")) {
    if (!file_) {
      std::perror(path.c_str());
      std::exit(1);
    }
    buffer_.reserve(kChunk + 4096);
  }
  ~Output() {
    Flush();
    if (std::fclose(file_) != 0) {
      std::perror(path_.c_str());
      std::exit(1);
    }
  }
  std::string& Text() { return buffer_; }
  void EndLine(const char* end = "\r\n") {
    buffer_ += end;
    if (buffer_.size() >= kChunk) Flush();
  }

 private:
  static constexpr std::size_t kChunk = 1 << 20;
  void Flush() {
    if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) {
      std::perror(path_.c_str());
      std::exit(1);
    }
    buffer_.clear();
  }
  std::string path_;
  std::FILE* file_;
  std::string buffer_;
};

// Deterministic, so every run measures the same files.
class Random {
 public:
  std::uint64_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return state_;
  }
  double Uniform(double low, double high) {
    return low + (high - low) * static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0);
  }
  int Between(int low, int high) { return low + static_cast<int>(Next() % static_cast<std::uint64_t>(high - low + 1)); }

 private:
  std::uint64_t state_ = 0x9E3779B97F4A7C15ull;
};

struct Position {
  double lat, lon;
};

// Headlands and harbours from the Rade de Brest round to Quiberon.
const std::vector<Position> kCoast{
    {48.3750, -4.4950}, {48.3370, -4.6150}, {48.3300, -4.7720}, {48.2510, -4.6300},
    {48.1700, -4.5550}, {48.1000, -4.3300}, {48.0600, -4.7100}, {48.0400, -4.7400},
    {48.0150, -4.5400}, {47.7980, -4.3740}, {47.7950, -4.2850}, {47.8700, -4.1100},
    {47.8700, -3.9180}, {47.8000, -3.7400}, {47.7070, -3.3600}, {47.6400, -3.4500},
    {47.4800, -3.1200},
};

// A point `along` (0..1) the coast, pushed out to sea by `offshore` degrees.
Position AlongTheCoast(double along, double offshore) {
  const double at = along * static_cast<double>(kCoast.size() - 1);
  const std::size_t i = std::min(static_cast<std::size_t>(at), kCoast.size() - 2);
  const double t = at - static_cast<double>(i);
  const Position& a = kCoast[i];
  const Position& b = kCoast[i + 1];
  // The sea lies to the west and south of this coast.
  return {a.lat + (b.lat - a.lat) * t - offshore * 0.6, a.lon + (b.lon - a.lon) * t - offshore};
}

void AppendFixed(std::string& out, double value, int decimals) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  out.append(buffer, result.ptr);
}

// The chart coordinate notation: 15 significant digits, 15 decimals.
void AppendChartCoordinate(std::string& out, double value) {
  const double magnitude = std::fabs(value);
  const int whole_digits = magnitude < 1 ? 1 : static_cast<int>(std::floor(std::log10(magnitude))) + 1;
  const int decimals = std::max(0, 15 - whole_digits);
  AppendFixed(out, value, decimals);
  out.append(static_cast<std::size_t>(15 - decimals), '0');
}

void AppendNumber(std::string& out, long long value, int width = 0) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  for (int pad = width - static_cast<int>(result.ptr - buffer); pad > 0; --pad) out += '0';
  out.append(buffer, result.ptr);
}

// Speed over ground in knots with two decimals, "." or ",".
void AppendSpeed(std::string& out, Random& random, char mark) {
  const int hundredths = random.Between(150, 950);
  AppendNumber(out, hundredths / 100);
  out += mark;
  AppendNumber(out, hundredths % 100, 2);
}

struct Clock {
  long long seconds = 0;  // since 14/06/2024 07:00:00
  long long Total() const { return 7 * 3600 + seconds; }
  int Day() const { return static_cast<int>(1 + (13 + Total() / 86400) % 30); }
  void AppendChart(std::string& out) const {  // "dd/mm/yyyy hh:mm:ss"
    AppendNumber(out, Day(), 2);
    out += "/06/2024 ";
    AppendTime(out, Total() % 86400);
  }
  void AppendCsv(std::string& out) const {  // "yyyy/mm/dd,hh:mm:ss"
    out += "2024/06/";
    AppendNumber(out, Day(), 2);
    out += ',';
    AppendTime(out, Total() % 86400);
  }
  static void AppendTime(std::string& out, long long in_day) {
    AppendNumber(out, in_day / 3600, 2);
    out += ':';
    AppendNumber(out, (in_day / 60) % 60, 2);
    out += ':';
    AppendNumber(out, in_day % 60, 2);
  }
};

const char* const kTrackNames[] = {"Raz de Sein", "Iroise", "Baie de Douarnenez", "Chenal du Four",
                                   "Glénan", "Penmarc'h", "Rade de Brest", "Coureau de Groix"};
const char* const kMarkNames[] = {"Bouée", "Tourelle", "Cardinale Nord", "Cardinale Sud", "Épave",
                                  "Mouillage", "Balise", "Roche"};

// A boat's wake: small steps along the coast with a wandering distance off.
struct Boat {
  double along, offshore, drift;
  Position Step(Random& random) {
    along += random.Uniform(0.000005, 0.000025);  // 1.5 to 7.5 m every 2 s
    if (along > 1) along -= 1;
    drift += random.Uniform(-0.00002, 0.00002);
    drift = std::clamp(drift, -0.0004, 0.0004);
    offshore = std::clamp(offshore + drift, 0.01, 0.12);
    return AlongTheCoast(along, offshore);
  }
};

struct Case {
  std::string kind, input, csv;
  long long lines = 0, points = 0;
};

Case WriteTrackFile(const std::string& folder, long long lines, Random& random) {
  Case c{"track", "track_" + std::to_string(lines) + "_TRK.txt", "", lines, 0};
  c.csv = c.input + ".csv";
  Output chart(folder + "/" + c.input);
  Output csv(folder + "/" + c.csv);
  csv.Text() += "lat,lon,name,ele,date,time";
  csv.EndLine();
  Clock clock;
  long long written = 0;
  int outing = 0;
  while (written < lines) {
    std::string name = kTrackNames[outing % 8];
    name += " ";
    AppendNumber(name, ++outing, 3);
    chart.Text() += "T;" + name + ";1;1";
    chart.EndLine();
    ++written;
    Boat boat{random.Uniform(0, 1), random.Uniform(0.02, 0.08), 0};
    const long long points = std::min<long long>(random.Between(500, 3000), lines - written);
    for (long long p = 0; p < points; ++p, ++written, ++c.points) {
      const Position at = boat.Step(random);
      clock.seconds += 2;
      std::string& line = chart.Text();
      line += "P;";
      AppendChartCoordinate(line, at.lat);
      line += ';';
      AppendChartCoordinate(line, at.lon);
      line += ';';
      const std::size_t value_at = line.size();
      AppendSpeed(line, random, ',');
      const std::string value = line.substr(value_at);
      line += ";-9999;";
      clock.AppendChart(line);
      chart.EndLine();

      std::string& row = csv.Text();
      AppendFixed(row, at.lat, 9);
      row += ',';
      AppendFixed(row, at.lon, 9);
      row += ',' + name + ',';
      row += value.substr(0, value.find(',')) + "." + value.substr(value.find(',') + 1);
      row += ',';
      clock.AppendCsv(row);
      csv.EndLine();
    }
    clock.seconds += 3600 * 5;
  }
  return c;
}

void AppendMarkName(std::string& out, long long number) {
  out += kMarkNames[number % 8];
  out += ' ';
  AppendNumber(out, number, 6);
}

Case WriteWaypointFile(const std::string& folder, long long lines, Random& random) {
  Case c{"waypoint", "waypoint_" + std::to_string(lines) + "_WPT.txt", "", lines, lines};
  c.csv = c.input + ".csv";
  Output chart(folder + "/" + c.input);
  Output csv(folder + "/" + c.csv);
  csv.Text() += "lat,lon,name";
  csv.EndLine();
  for (long long w = 0; w < lines; ++w) {
    const Position at = AlongTheCoast(random.Uniform(0, 1), random.Uniform(0.002, 0.15));
    std::string lat, lon, name;
    AppendChartCoordinate(lat, at.lat);
    AppendChartCoordinate(lon, at.lon);
    AppendMarkName(name, w);
    chart.Text() += "W;" + name + ";;" + lat + ";" + lon + ";-9999;" + lon + ";" + lat +
                    ";0;C8;WGS84;2;1;18;255;1;0;3;Arial,8,0,0,0,0;0;65535;16;0;0";
    chart.EndLine();
    std::string& row = csv.Text();
    AppendFixed(row, at.lat, 9);
    row += ',';
    AppendFixed(row, at.lon, 9);
    row += ',' + name;
    csv.EndLine();
  }
  return c;
}

// What the device holds after a few days at sea: tracks of a few hundred
// points, each group numbered apart, with the marks saved on the way as
// single points. Device coordinates carry seven decimals; Coord1 is the
// longitude, Coord2 the latitude.
Case WriteDeviceFile(const std::string& folder, long long lines, Random& random) {
  Case c{"device", "device_" + std::to_string(lines) + ".zbx", "", lines, lines};
  c.csv = c.input + ".csv";
  Output device(folder + "/" + c.input);
  Output csv(folder + "/" + c.csv);
  csv.Text() += "lat,lon,name,ele";
  csv.EndLine();
  long long written = 0;
  int group = 0;
  auto point = [&](const Position& at, const std::string& name, bool track) {
    std::string value;
    if (track) {
      AppendSpeed(value, random, '.');
    } else {
      AppendFixed(value, random.Uniform(2, 40), 1);  // depth at the mark
    }
    std::string& line = device.Text();
    AppendFixed(line, at.lon, 7);
    line += ',';
    AppendFixed(line, at.lat, 7);
    line += ',' + value + ",\"" + name + "\",";
    AppendNumber(line, group);
    device.EndLine();
    std::string& row = csv.Text();
    AppendFixed(row, at.lat, 7);
    row += ',';
    AppendFixed(row, at.lon, 7);
    row += ',' + name + ',' + value;
    csv.EndLine();
    ++written;
  };
  while (written < lines) {
    ++group;
    if (random.Between(0, 2) == 0) {
      std::string name;
      AppendMarkName(name, group);
      point(AlongTheCoast(random.Uniform(0, 1), random.Uniform(0.002, 0.15)), name, false);
      continue;
    }
    std::string name = "TRK ";
    AppendNumber(name, group, 4);
    Boat boat{random.Uniform(0, 1), random.Uniform(0.02, 0.08), 0};
    const long long points = std::min<long long>(random.Between(100, 600), lines - written);
    for (long long p = 0; p < points; ++p) point(boat.Step(random), name, true);
  }
  return c;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3 || (argc == 3 && std::strcmp(argv[2], "--small") != 0)) {
    std::fprintf(stderr, "usage: %s FOLDER [--small]\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  const bool small = argc == 3;
  Random random;
  std::vector<Case> cases;
  cases.push_back(WriteDeviceFile(folder, small ? 2000 : 32766, random));
  const std::vector<long long> sizes =
      small ? std::vector<long long>{1000, 10000} : std::vector<long long>{10000, 100000, 1000000};
  for (long long lines : sizes) cases.push_back(WriteTrackFile(folder, lines, random));
  for (long long lines : sizes) cases.push_back(WriteWaypointFile(folder, lines, random));

  Output list(folder + "/cases.txt");
  for (const Case& c : cases) {
    std::string& line = list.Text();
    line += c.kind + "\t" + c.input + "\t" + c.csv + "\t";
    AppendNumber(line, c.lines);
    line += '\t';
    AppendNumber(line, c.points);
    list.EndLine("\n");
  }
  return 0;
}
