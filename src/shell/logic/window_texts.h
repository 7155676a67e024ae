#pragma once
// Every text the window shows of its own, in one place for both front ends.
// The converters' texts live in convert/messages.h; the title comes from the
// product's generated header.

#include "product.h"

namespace tessaline::window_texts {

inline constexpr char kTitle[] = TESSALINE_TITLE;  // window caption and message boxes

// Captions of the controls when the window is created.
inline constexpr char kDeviceToChart[] = "ZRB -> Vestamar";   // Label1
inline constexpr char kChartToDevice[] = "Vestamar -> ZRB";   // Label2
inline constexpr char kStartStatus[] = "Statut";              // lblStatus
inline constexpr char kReady[] = "Prêt";                      // lblFichiers
inline constexpr char kCompletionStart[] = "OK";              // cmdOK
inline constexpr char kHide[] = "/";                          // Label4
inline constexpr char kClose[] = "X";                         // Label3

// lblStatus at rest after the first reset.
inline constexpr char kWaiting[] = "En attente d'un nouveau fichier...";

// Tooltips of the command labels.
inline constexpr char kCloseTooltip[] = "Fermer l'application";
inline constexpr char kHideTooltip[] = "Minimiser l'application";
inline constexpr char kNoTrayTooltip[] = "Zone de notification indisponible";

// The notification-area icon and its menu.
inline constexpr char kTrayTooltip[] = "Tessaline <--> Vestamar";
inline constexpr char kTrayWindowCaption[] = "Système Tray";
inline constexpr char kMenuCaption[] = "Menu déroulant";
inline constexpr char kMenuAbout[] = "A propos de...";
inline constexpr char kMenuRestore[] = "Restaurer";

// The about box: its title is kTitle.
inline constexpr char kAboutText[] = TESSALINE_TITLE "\nConversion ZRB <-> Vestamar";

}  // namespace tessaline::window_texts
