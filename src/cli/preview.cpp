#include "cli/preview.h"

#include <exception>

#include "convert/conversion_failure.h"
#include "convert/output_guard.h"
#include "picture/svg.h"

namespace tessaline::cli {

namespace {

constexpr const char* kPreviewFailed = "Erreur dans l'écriture de l'image SVG";

bool EndsWithInAnyCase(std::string_view text, std::string_view end) {
  if (text.size() < end.size()) return false;
  for (std::size_t i = 0; i < end.size(); ++i) {
    char c = text[text.size() - end.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != end[i]) return false;
  }
  return true;
}

}  // namespace

std::string PreviewName(const std::string& first_output) {
  for (const std::string_view pair : {"_trk.txt", "_wpt.txt"}) {
    if (EndsWithInAnyCase(first_output, pair)) return first_output.substr(0, first_output.size() - pair.size()) + ".svg";
  }
  const std::size_t name = first_output.find_last_of("/\\");
  const std::size_t dot = first_output.rfind('.');
  const bool has_extension = dot != std::string::npos && (name == std::string::npos || dot > name + 1);
  return (has_extension ? first_output.substr(0, dot) : first_output) + ".svg";
}

bool WritePreview(Host& host, const std::string& path, const RoadDescriptor& road, const std::string& output,
                  const std::string& svg, const picture::Picture& picture) {
  const std::vector<std::string> outputs = road.outputs(path, output);
  const std::string target = svg.empty() ? PreviewName(outputs.front()) : svg;
  FileSystem& files = host.Files();
  try {
    const FileIdentity input = OrFail(files.Identity(path), path);
    // Neither the converted file nor what was just written from it.
    for (const std::string& written : outputs) {
      const FileResult<FileIdentity> identity = files.Identity(written);
      if (identity) RefuseOutputOverInput(files, target, *identity);
    }
    WriteOutput(files, target, input, picture::SvgOf(picture));
    return true;
  } catch (const ConversionFailure& failure) {
    host.ShowMessage(kPreviewFailed, MessageIcon::Error, ConversionNotes{path, failure.Reason(), "", {}});
  }
  return false;
}

ConversionOutcome ConvertAndPreview(Roads& roads, Host& host, const CliOptions& options,
                                    picture::PictureBuilder& picture, const std::string& path) {
  picture.Clear();
  const ConversionOutcome outcome = roads.Convert(path, options.request, options.output);
  if (outcome != ConversionOutcome::Completed || !options.preview) return outcome;
  try {
    const bool written = WritePreview(host, path, roads.Decide(path, options.request), options.output,
                                      options.preview_file, picture.Build());
    return written ? outcome : ConversionOutcome::Failed;
  } catch (const std::exception&) {
    return ConversionOutcome::Failed;  // memory exhausted, or the file gone since
  }
}

}  // namespace tessaline::cli
