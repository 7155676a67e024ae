#include "convert/messages.h"

#include "platform/path_names.h"

namespace tessaline::messages {

std::string CompletionCaption(std::string_view path) {
  return "Traitement du fichier " + FileNameOfPath(path) + " terminé.";
}

}  // namespace tessaline::messages
