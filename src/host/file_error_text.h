#pragma once
// The French text of a file error, as the user reads it after the file's name.

#include <string>

#include "host/file_error.h"

namespace tessaline {

// "Aucun fichier ou dossier de ce type", "Permission non accordée"...; the
// system's text for FileError::Other ("Erreur inconnue" when it has none).
std::string FileErrorText(const FileFault& fault);

}  // namespace tessaline
