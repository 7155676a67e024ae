#include "convert/output_guard.h"

#include "convert/conversion_failure.h"
#include "convert/messages.h"
#include "host/replace_file.h"

namespace tessaline {

void RefuseOutputOverInput(FileSystem& files, const std::string& output, const FileIdentity& input) {
  if (files.TypeOf(output) == FileType::Missing) return;
  const std::optional<FileIdentity> identity = files.Identity(output);
  if (!identity) throw ConversionFailure::FileOperation(output, files);
  if (*identity == input) throw ConversionFailure::OfFile(output, messages::kOutputOverInput);
}

void WriteOutput(FileSystem& files, const std::string& output, const FileIdentity& input,
                 std::string_view content) {
  WriteOutput(files, output, input, std::vector<std::string_view>{content});
}

void WriteOutput(FileSystem& files, const std::string& output, const FileIdentity& input,
                 const std::vector<std::string_view>& parts) {
  RefuseOutputOverInput(files, output, input);
  if (!ReplaceFileWithParts(files, output, parts)) {
    throw ConversionFailure::FileOperation(output, files);
  }
}

void WriteOutputsTogether(FileSystem& files, const std::vector<NewContent>& outputs, const FileIdentity& input) {
  for (const NewContent& output : outputs) RefuseOutputOverInput(files, output.path, input);
  const std::size_t failed = ReplaceFilesTogether(files, outputs);
  if (failed < outputs.size()) throw ConversionFailure::FileOperation(outputs[failed].path, files);
}

}  // namespace tessaline
