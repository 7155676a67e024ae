#include "hostile_support.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace tessaline::testing {

ConverterStage::ConverterStage() {
  data_ = folder_.File("data");
  program_folder_ = folder_.File("bin");
  program_ = program_folder_ + "/tessaline-convert";
  std::filesystem::create_directories(data_);
  std::filesystem::create_directories(program_folder_);
  std::filesystem::copy_file(TESSALINE_CONVERT_BINARY, program_);
  std::filesystem::permissions(program_, std::filesystem::perms::owner_all);
}

ChildLaunch ConverterStage::LaunchFor(const std::vector<std::string>& arguments) const {
  ChildLaunch launch;
  launch.arguments.push_back(program_);
  launch.arguments.insert(launch.arguments.end(), arguments.begin(), arguments.end());
  launch.folder = data_;
  return launch;
}

ChildResult ConverterStage::Convert(const std::vector<std::string>& arguments) const {
  return RunChild(LaunchFor(arguments));
}

std::string MessageLine(std::string_view path, std::string_view message, std::string_view reason) {
  std::string line = "tessaline-convert: " + std::string(path) + ": " + std::string(message);
  line += " : ";
  line += reason;
  line += "\n";
  return line;
}

std::string CompletionLine(std::string_view file_name, std::string_view summary) {
  std::string lines = "Traitement du fichier " + std::string(file_name) + " terminé.\n";
  lines += summary;
  lines += "\n";
  return lines;
}

void WriteRepeated(const std::string& path, std::string_view head, std::string_view piece,
                   std::uint64_t times, std::string_view tail) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(head.data(), static_cast<std::streamsize>(head.size()));
  // Whole chunks of about 1 MiB, so that writing 200 MB is quick.
  std::string chunk;
  const std::uint64_t per_chunk = piece.empty() ? 1 : std::max<std::uint64_t>(1, (1u << 20) / piece.size());
  for (std::uint64_t i = 0; i < per_chunk && i < times; ++i) chunk.append(piece);
  std::uint64_t left = times;
  while (left > 0 && !piece.empty()) {
    const std::uint64_t now = std::min(left, per_chunk);
    out.write(chunk.data(), static_cast<std::streamsize>(now * piece.size()));
    left -= now;
  }
  out.write(tail.data(), static_cast<std::streamsize>(tail.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::uint64_t FileSize(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

std::string ReadRange(const std::string& path, std::uint64_t offset, std::size_t size) {
  std::ifstream in(path, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(offset));
  std::string bytes(size, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(size));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

bool SameContent(const std::string& a, const std::string& b) {
  std::ifstream in_a(a, std::ios::binary), in_b(b, std::ios::binary);
  if (!in_a || !in_b) return false;
  std::string chunk_a(1 << 20, '\0'), chunk_b(1 << 20, '\0');
  for (;;) {
    in_a.read(chunk_a.data(), static_cast<std::streamsize>(chunk_a.size()));
    in_b.read(chunk_b.data(), static_cast<std::streamsize>(chunk_b.size()));
    if (in_a.gcount() != in_b.gcount()) return false;
    if (chunk_a.compare(0, static_cast<std::size_t>(in_a.gcount()), chunk_b, 0,
                        static_cast<std::size_t>(in_b.gcount())) != 0) {
      return false;
    }
    if (in_a.gcount() == 0) return true;
  }
}

std::vector<std::string> LinesOf(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    lines.emplace_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::string WithoutStamps(std::string_view track_text) {
  std::string result;
  for (const std::string& line : LinesOf(track_text)) {
    if (line.rfind("P;", 0) == 0) {
      result += line.substr(0, line.rfind(';') + 1) + "*\r\n";
    } else {
      result += line + "\r\n";
    }
  }
  return result;
}

bool MeasuresMemory() { return TESSALINE_MEASURE_MEMORY != 0; }

}  // namespace tessaline::testing
