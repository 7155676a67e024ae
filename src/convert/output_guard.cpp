#include "convert/output_guard.h"

#include "convert/conversion_failure.h"
#include "convert/messages.h"
#include "host/replace_file.h"

namespace tessaline {

void RefuseOutputOverInput(FileSystem& files, const std::string& output, const FileIdentity& input) {
  if (files.TypeOf(output) == FileType::Missing) return;
  if (OrFail(files.Identity(output), output) == input) {
    throw ConversionFailure::OfFile(output, messages::kOutputOverInput);
  }
}

void WriteOutput(FileSystem& files, const std::string& output, const FileIdentity& input,
                 std::string_view content) {
  WriteOutput(files, output, input, std::vector<std::string_view>{content});
}

void WriteOutput(FileSystem& files, const std::string& output, const FileIdentity& input,
                 const std::vector<std::string_view>& parts) {
  RefuseOutputOverInput(files, output, input);
  OrFail(ReplaceFileWithParts(files, output, parts, input.permissions), output);
}

void WriteOutputsTogether(FileSystem& files, const std::vector<NewContent>& outputs, const FileIdentity& input) {
  for (const NewContent& output : outputs) RefuseOutputOverInput(files, output.path, input);
  const ReplacedTogether replaced = ReplaceFilesTogether(files, outputs, input.permissions);
  if (replaced.failed < outputs.size()) OrFail(replaced.status, outputs[replaced.failed].path);
}

}  // namespace tessaline
