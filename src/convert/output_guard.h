#pragma once
// Writing an output beside the converted file, never in its place: an output
// name can lead back to the input (a path ending in ".asc", "x.ASC" on a
// case-insensitive file system, a symbolic link), and writing it would lose
// the file being converted.

#include <string>
#include <string_view>
#include <vector>

#include "host/file_system.h"
#include "host/replace_file.h"

namespace tessaline {

// Throws ConversionFailure when `output` exists and is the input, or when
// its identity cannot be told.
void RefuseOutputOverInput(FileSystem& files, const std::string& output, const FileIdentity& input);

// Checks again (the name may have been made a link to the input meanwhile),
// then replaces `output` with `content` in one piece; throws
// ConversionFailure naming the output when either fails.
void WriteOutput(FileSystem& files, const std::string& output, const FileIdentity& input,
                 std::string_view content);
// The same with the content in parts, written one after the other.
void WriteOutput(FileSystem& files, const std::string& output, const FileIdentity& input,
                 const std::vector<std::string_view>& parts);

// Several outputs that belong together, replaced together
// (ReplaceFilesTogether): a failure or a stop never leaves a new one beside
// an old one of the same conversion.
void WriteOutputsTogether(FileSystem& files, const std::vector<NewContent>& outputs, const FileIdentity& input);

}  // namespace tessaline
