#pragma once
// The French text of a file error, as the user reads it after the file's name.

#include <string>

#include "host/file_error.h"

namespace tessaline {

// "Aucun fichier ou dossier de ce type", "Permission non accordée"...; an
// error outside the program's kinds reads "erreur système 123" (its errno or
// Windows error number), never the system's own words.
std::string FileErrorText(const FileFault& fault);

}  // namespace tessaline
