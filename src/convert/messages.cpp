#include "convert/messages.h"

#include "platform/path_names.h"

namespace tessaline::messages {

std::string CompletionCaption(std::string_view path) {
  return "Traitement du fichier " + FileNameOfPath(path) + " terminé.";
}

std::string WithReason(std::string_view message, std::string_view reason) {
  std::string text(message);
  if (!reason.empty()) {
    text += " : ";
    text.append(reason);
  }
  return text;
}

}  // namespace tessaline::messages
