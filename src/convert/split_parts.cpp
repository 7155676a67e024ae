#include "convert/split_parts.h"

#include "convert/conversion_failure.h"
#include "convert/messages.h"
#include "platform/path_names.h"

namespace tessaline {

std::string PartPath(const std::string& output, std::size_t number) {
  const std::size_t name = output.size() - FileNameOfPath(output).size();
  std::size_t dot = output.rfind('.');
  // A name that is only its dot and what follows (".asc") has no extension.
  if (dot == std::string::npos || dot <= name) dot = output.size();
  return output.substr(0, dot) + "-" + std::to_string(number) + output.substr(dot);
}

PartCutter::PartCutter(std::uint64_t budget, std::uint64_t waypoints) : budget_(budget), count_(waypoints) {
  if (waypoints > budget) throw ConversionFailure(messages::BudgetTooSmallReason(budget, waypoints));
}

PartCutter::Place PartCutter::TrackPoint(bool first) {
  if (first) {
    // A track starts where it has room for two points, so that no part
    // ends with its first point alone.
    if (count_ == 0 || budget_ - count_ >= 2) {
      ++count_;
      return Place::Here;
    }
    ++parts_;
    count_ = 1;
    return Place::NewPart;
  }
  if (count_ < budget_) {
    ++count_;
    return Place::Here;
  }
  // The next part holds the point before this one and this one.
  if (budget_ < 2) throw ConversionFailure(messages::BudgetTooSmallReason(budget_, 2));
  ++parts_;
  ++overlaps_;
  count_ = 2;
  return Place::NewPartOverlap;
}

void ReportParts(FileSystem& files, const std::string& output, std::size_t parts, ConversionReport& report) {
  std::vector<std::string>& names = report.Summary().files;
  for (std::size_t part = 1; part <= parts; ++part) names.push_back(FileNameOfPath(PartPath(output, part)));
  std::string left;
  std::uint64_t count = 0;
  for (std::size_t part = parts + 1;; ++part) {
    const std::string old = PartPath(output, part);
    if (!files.Exists(old)) break;
    left += count++ == 0 ? " : " : ", ";
    left += FileNameOfPath(old);
  }
  if (count > 0) report.Warn(messages::kOldPartsLeft, 1, count, left);
}

}  // namespace tessaline
