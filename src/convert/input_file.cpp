#include "convert/input_file.h"

#include "convert/conversion_failure.h"
#include "convert/messages.h"

namespace tessaline {

InputFile CheckInputFile(FileSystem& files, const std::string& path) {
  if (path.empty()) throw ConversionFailure::FileOperation(path, FileFault{FileError::NotFound, 0});
  if (const PathType type = files.TypeOf(path); type != FileType::Regular) {
    throw ConversionFailure::FileOperation(path, type.why);
  }
  const FileIdentity identity = OrFail(files.Identity(path), path);
  return InputFile{identity, OrFail(files.Length(path), path)};
}

void CheckSameInput(FileSystem& files, const std::string& path, const InputFile& input) {
  const FileIdentity identity = OrFail(files.Identity(path), path);
  // None for anything but a regular file.
  const std::uint64_t length = OrFail(files.Length(path), path);
  if (identity != input.identity || length != input.length) {
    throw ConversionFailure::OfFile(path, messages::kInputChanged);
  }
}

namespace {

class WholeInputStream final : public InputStream {
 public:
  WholeInputStream(FileSystem& files, const std::string& path, const InputFile& input,
                   std::unique_ptr<InputStream> stream)
      : files_(files), path_(path), input_(input), stream_(std::move(stream)) {}

  std::ptrdiff_t Read(char* buffer, std::size_t size) override {
    if (!stream_) return 0;  // read to its end and checked
    const std::ptrdiff_t n = stream_->Read(buffer, size);
    if (n < 0) return n;
    read_ += static_cast<std::uint64_t>(n);
    // A file that grew is told as soon as its new bytes come; one that
    // shrank, or grew after its last byte was read, at its end.
    if (read_ > input_.length || (n == 0 && read_ != input_.length)) {
      throw ConversionFailure::OfFile(path_, messages::kInputChanged);
    }
    if (n == 0) {
      // Closed first: Windows keeps the name of a file removed while it is
      // open until it is closed.
      stream_.reset();
      CheckSameInput(files_, path_, input_);
    }
    return n;
  }

 private:
  FileSystem& files_;
  std::string path_;
  InputFile input_;
  std::unique_ptr<InputStream> stream_;
  std::uint64_t read_ = 0;
};

}  // namespace

std::unique_ptr<InputStream> OpenWholeInput(FileSystem& files, const std::string& path, const InputFile& input) {
  CheckSameInput(files, path, input);
  return std::make_unique<WholeInputStream>(files, path, input, OrFail(files.OpenRead(path), path));
}

}  // namespace tessaline
