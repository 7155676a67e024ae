#pragma once
// --preview: the picture of each conversion as an SVG file beside its
// outputs, written as durably as they are and never over the converted
// file nor over one of the outputs.

#include <string>

#include "cli/cli_options.h"
#include "convert/roads/roads.h"
#include "host/host.h"
#include "picture/picture.h"

namespace tessaline::cli {

// BASE.svg, BASE being the first output's name without its extension (or
// without "_TRK.txt" or "_WPT.txt" for the chart's pair).
std::string PreviewName(const std::string& first_output);

// Writes `picture` to `svg` (PreviewName of the road's outputs when empty);
// false after telling the host why it could not.
bool WritePreview(Host& host, const std::string& path, const RoadDescriptor& road, const std::string& output,
                  const std::string& svg, const picture::Picture& picture);

// Converts `path` as `options` ask; with --preview, `picture` (the second
// sink of `roads`) is cleared before and written after a completion. A
// picture that cannot be written fails the file.
ConversionOutcome ConvertAndPreview(Roads& roads, Host& host, const CliOptions& options,
                                    picture::PictureBuilder& picture, const std::string& path);

}  // namespace tessaline::cli
