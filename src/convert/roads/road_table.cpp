#include "convert/roads/road_table.h"

#include <iterator>

#include "formats/device_point_line.h"
#include "formats/gpx/xml_start.h"

namespace tessaline {

namespace {

constexpr bool kAny = true, kOnly = false;
constexpr bool kZbx = true, kOther = false;
constexpr InputContent kXml = InputContent::Xml;
constexpr InputContent kText = InputContent::Text;
constexpr InputContent kUnreadable = InputContent::Unreadable;

constexpr RoadRow kRows[] = {
    // The window's "ZRB -> Vestamar" keeps its name rule for every file.
    {Request::DeviceToChart, kAny, kText, kAny, kOther, Road::DeviceToChart},

    // The window's "Vestamar -> ZRB" and -d: GPX by content, else a chart file.
    {Request::ToDevice, kOnly, kXml, kAny, kOther, Road::GpxToDevice},
    {Request::ToDevice, kAny, kText, kAny, kOther, Road::ChartToDevice},

    // -c: GPX by content, else a device file (whose name rule may refuse
    // it); a file that cannot be read and has no device file's name can only
    // have been meant as GPX, and its reason is given there.
    {Request::ToChart, kOnly, kXml, kAny, kOther, Road::GpxToChart},
    {Request::ToChart, kOnly, kUnreadable, kOnly, kOther, Road::GpxToChart},
    {Request::ToChart, kAny, kText, kAny, kOther, Road::DeviceToChart},

    // No option: GPX by content, else the name decides.
    {Request::ByFile, kOnly, kXml, kAny, kOther, Road::GpxToDevice},
    {Request::ByFile, kAny, kText, kOnly, kZbx, Road::DeviceToChart},
    {Request::ByFile, kAny, kText, kAny, kOther, Road::ChartToDevice},

    // -g: a GPX file is refused; else the name decides.
    {Request::ToGpx, kOnly, kXml, kAny, kOther, Road::AlreadyGpx},
    {Request::ToGpx, kAny, kText, kOnly, kZbx, Road::DeviceToGpx},
    {Request::ToGpx, kAny, kText, kAny, kOther, Road::ChartToGpx},
};

bool Matches(const RoadRow& row, Request request, InputContent content, bool zbx_name) {
  return row.request == request && (row.any_content || row.content == content) &&
         (row.any_name || row.zbx_name == zbx_name);
}

}  // namespace

InputContent ContentOf(FileSystem& files, const std::string& path) {
  if (path.empty() || files.TypeOf(path) != FileType::Regular) return InputContent::Unreadable;
  auto input = files.OpenRead(path);
  if (!input) return InputContent::Unreadable;
  const std::optional<bool> xml = gpx::StartsAsXml(*input);
  if (!xml) return InputContent::Unreadable;
  return *xml ? InputContent::Xml : InputContent::Text;
}

Road RoadOf(Request request, InputContent content, bool zbx_name) {
  for (const RoadRow& row : kRows) {
    if (Matches(row, request, content, zbx_name)) return row.road;
  }
  // Every request ends in a row that takes any file.
  return Road::ChartToDevice;
}

Road RoadOf(FileSystem& files, const std::string& path, Request request) {
  // The window's "ZRB -> Vestamar" never looks inside the file.
  const InputContent content = request == Request::DeviceToChart ? InputContent::Text : ContentOf(files, path);
  return RoadOf(request, content, HasDeviceFileName(path));
}

}  // namespace tessaline
