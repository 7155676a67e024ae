#include "host/file_error_text.h"

#include <charconv>

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
    case FileError::LinkLoop: return "Trop de niveaux de liens symboliques";
    case FileError::FileTooLarge: return "Fichier trop volumineux";
    case FileError::Busy: return "Fichier ou périphérique occupé";
    case FileError::CrossDevice: return "Lien croisé entre périphériques";
    case FileError::TooManyOpenFiles: return "Trop de fichiers ouverts";
    case FileError::OutOfMemory: return "Mémoire insuffisante";
    case FileError::InvalidName: return "Nom de fichier invalide";
    case FileError::Exists: return "Le fichier existe";
    case FileError::Interrupted: return "Opération interrompue";
    case FileError::ForeignLink: return "Lien symbolique d'un autre utilisateur dans un dossier partagé";
    case FileError::None:
    case FileError::Other: break;
  }
  if (fault.system_code == 0) return "Erreur inconnue";
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, fault.system_code).ptr;
  return "erreur système " + std::string(digits, end);
}

}  // namespace tessaline
