#pragma once
// The table of roads: which conversion a file takes, decided once, in this
// one place, from what the front end asks for and from the file itself.
// The window, the command line and the tests all ask it; ARCHITECTURE.md
// draws the table.
//
// The file is looked at twice at most: whether its content starts as XML
// (then it is GPX for every road that reads GPX, whatever its name, and a
// document that is no readable GPX fails with the GPX message and its
// reason), and whether its name ends in "zbx". A file that cannot be opened
// takes the road its request and its name give, and fails there with the
// file error's reason.

#include <string>
#include <string_view>

#include "host/file_system.h"

namespace tessaline {

// What a front end asks for.
enum class Request {
  DeviceToChart,  // the window's "ZRB -> Vestamar": the device file's name rule alone decides
  ToDevice,       // the window's "Vestamar -> ZRB"; tessaline-convert -d
  ToChart,        // tessaline-convert -c
  ByFile,         // tessaline-convert without an option: the file decides
  ToGpx,          // tessaline-convert -g
};

// What the file's first bytes say.
enum class InputContent {
  Xml,         // starts as an XML document
  Text,        // anything else: a device or chart file for the roads that take one
  Unreadable,  // cannot be opened or read (missing, a folder, no permission...)
};

enum class Road {
  DeviceToChart,  // device point file -> BASE_TRK.txt, BASE_WPT.txt
  ChartToDevice,  // chart track or waypoint file -> BASE.asc
  GpxToDevice,    // GPX -> BASE.asc
  GpxToChart,     // GPX -> BASE_TRK.txt, BASE_WPT.txt
  DeviceToGpx,    // device point file -> BASE.gpx
  ChartToGpx,     // chart file -> BASE.gpx
  AlreadyGpx,     // -g on a GPX file: refused, nothing written
};

// One row: under `request`, a file of `content` whose name ends in "zbx"
// (any case: HasDeviceFileName) or not takes `road`. Rows with `any_content` or `any_name`
// match whatever the file holds or is called.
struct RoadRow {
  Request request;
  bool any_content;
  InputContent content;
  bool any_name;
  bool zbx_name;
  Road road;
};


// What `path` holds, from its first bytes.
InputContent ContentOf(FileSystem& files, const std::string& path);

// The road of a file of that content and name under `request`.
Road RoadOf(Request request, InputContent content, bool zbx_name);
// The same, looking at the file.
Road RoadOf(FileSystem& files, const std::string& path, Request request);

}  // namespace tessaline
