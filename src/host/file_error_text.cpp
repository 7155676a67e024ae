#include "host/file_error_text.h"

namespace tessaline {

std::string FileErrorText(const FileFault& fault) {
  switch (fault.error) {
    case FileError::NotFound: return "Aucun fichier ou dossier de ce type";
    case FileError::AccessDenied: return "Permission non accordée";
    case FileError::IsDirectory: return "est un dossier";
    case FileError::NotRegular: return "n'est pas un fichier ordinaire";
    case FileError::NoSpace: return "Aucun espace disponible sur le périphérique";
    case FileError::ReadOnlyFileSystem: return "Système de fichiers accessible en lecture seulement";
    case FileError::Io: return "Erreur d'entrée/sortie";
    case FileError::NameTooLong: return "Nom de fichier trop long";
    case FileError::None:
    case FileError::Other: break;
  }
  return fault.system_text.empty() ? "Erreur inconnue" : fault.system_text;
}

}  // namespace tessaline
