#pragma once
// Every text the converters show, in the one place they are defined: step
// texts on the panel, message boxes, the completion caption. The window and
// the command line take them from here too.

#include <string>
#include <string_view>

namespace tessaline::messages {

// Device to chart (ZRB -> Vestamar).
inline constexpr const char* kDeviceToChartStep1 = "Etape N°1: Mise en mémoire";
inline constexpr const char* kDeviceToChartStep2 = "Etape N°2: Recherche WPT <-> TRK";
inline constexpr const char* kDeviceToChartStep3 = "Etape N°3: Création TRK";
inline constexpr const char* kDeviceToChartStep4 = "Etape N°4: Création WPT";
inline constexpr const char* kFormatRefused = "Problème de format: Ce fichier ne peut pas être traité.";
inline constexpr const char* kDeviceToChartError = "Erreur dans le module de conversion ZRB -> Vestamar";

// Chart to device (Vestamar -> ZRB).
inline constexpr const char* kChartToDeviceStep1 = "Etape N°1: Recherche du type de données";
inline constexpr const char* kChartToDeviceStep2 = "Etape N°2: Nombre d'éléments";
inline constexpr const char* kChartToDeviceStep3 = "Etape N°3: Mise en buffer";
inline constexpr const char* kChartToDeviceStep4 = "Etape N°4: Enregistrement dans Fichier";
inline constexpr const char* kChartToDeviceError = "Erreur dans le module de conversion Vestamar -> ZRB";

// GPX in or out (both directions, and the command line's -g).
inline constexpr const char* kGpxError = "Erreur dans le module de conversion GPX";

// A message followed by the reason for it.
std::string WithReason(std::string_view message, std::string_view reason);

// The completion button's caption for the file at `path` (its file name only).
std::string CompletionCaption(std::string_view path);

}  // namespace tessaline::messages
