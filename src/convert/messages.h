#pragma once
// Every text the converters show, in the one place they are defined: step
// texts on the panel, message boxes, the completion caption, the reasons of
// failures, the warnings and the summaries. The window and the command line
// take them from here too.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "host/conversion_report.h"

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

// GPX in or out (both directions, and the command line's -g). Its four
// steps are shown with the texts of chart to device's: the input checked,
// opened (step 2 passes at once), read, the outputs written.
inline constexpr const char* kGpxStepCheck = kChartToDeviceStep1;
inline constexpr const char* kGpxStepOpen = kChartToDeviceStep2;
inline constexpr const char* kGpxStepRead = kChartToDeviceStep3;
inline constexpr const char* kGpxStepWrite = kChartToDeviceStep4;
inline constexpr const char* kGpxError = "Erreur dans le module de conversion GPX";
// An NMEA 0183 log in (the boat's own recording); its steps are GPX's.
inline constexpr const char* kNmeaError = "Erreur dans le module de conversion NMEA";
// KML and KMZ in or out, with GPX's steps.
inline constexpr const char* kKmlError = "Erreur dans le module de conversion KML";

// The completion button's caption for the file at `path` (its file name only).
std::string CompletionCaption(std::string_view path);

// Reasons of failures (after "ligne N : " or "<file> : " where one is at fault).
inline constexpr const char* kTooFewFields = "moins de quatre champs";
inline constexpr const char* kNameTooShort = "champ du nom de moins de deux caractères";
inline constexpr const char* kTooManyLines = "plus de 32 766 lignes";
inline constexpr const char* kGroupOutOfRange = "groupe hors de l'intervalle -32 768 à 32 767";
inline constexpr const char* kNumberTooLarge = "nombre trop grand pour être lu";
inline constexpr const char* kCoordinateWithoutNumber = "coordonnée sans nombre lisible";
inline constexpr const char* kInputChanged = "le fichier a changé pendant la conversion";
inline constexpr const char* kOutputOverInput = "le fichier de sortie remplacerait le fichier converti";
// The same where only -o can give the output another name (GPX -> GPX, chart -> chart).
inline constexpr const char* kOutputOverInputNameIt =
    "le fichier de sortie remplacerait le fichier converti (nommez-le avec -o FICHIER)";
inline constexpr const char* kNoStagingFolder = "aucun dossier utilisable pour le stocker";
inline constexpr const char* kOutOfMemory = "mémoire insuffisante";
inline constexpr const char* kUnexpected = "erreur inattendue";

// "ligne 12 : moins de quatre champs".
std::string LineReason(std::uint64_t line, std::string_view what);

// Kinds of loss: what the formats cannot keep, counted once per file.
extern const WarningKind kNameCut;            // device name longer than 50
extern const WarningKind kNameWithComma;      // the rest of the name became the group
extern const WarningKind kCoordinateCut;      // coordinate text longer than 20
extern const WarningKind kValueCut;           // value text longer than 10
extern const WarningKind kNameWithSemicolon;  // chart line whose fields shifted
extern const WarningKind kLineSkipped;        // chart line no rule takes
extern const WarningKind kLfLineEnds;         // a file with no CR, read at its LFs
// GPX in or out.
extern const WarningKind kGpxPointSkipped;       // lat or lon missing, not a number, out of range
extern const WarningKind kGpxLineSkipped;        // device or chart line with no usable point
extern const WarningKind kGpxCharacterReplaced;  // not in the 8-bit code page: "?"
extern const WarningKind kGpxSeparatorReplaced;  // separator, quote, line break: a space
extern const WarningKind kGpxControlDropped;     // no XML character
extern const WarningKind kGpxOnePointTrack;      // reads back as a waypoint
extern const WarningKind kTimeLost;            // device and chart files hold no time of a point
extern const WarningKind kGpxTimeWithoutZone;  // taken as UTC
extern const WarningKind kGpxTimeUnreadable;   // no date and time: left out
// The kind of a GPX element the stream does not carry, by its local name
// ("desc", "hdop"...; "extensions" for a foreign extension).
const WarningKind& NotCarriedKind(std::string_view element);
extern const WarningKind kTooManyDeviceLines;       // past 32,766 device lines
// KML in: a feature or geometry no point file holds, by its local name
// ("Polygon", "NetworkLink"...); a gx:coord with no time.
const WarningKind& KmlNotCarriedKind(std::string_view element);
extern const WarningKind kKmlCoordWithoutTime;
// Parts of an earlier split past those written, left as they were; the
// detail names them (" : trace-4.asc, trace-5.asc").
extern const WarningKind kOldPartsLeft;
// NMEA logs: sentences rejected, by kind (checksum, truncated, unreadable,
// out of range, not valid: the order of nmea::Rejection after None).
inline constexpr std::size_t kNmeaRejectionKinds = 5;
extern const WarningKind kNmeaRejected[kNmeaRejectionKinds];
extern const WarningKind kNmeaWithoutDate;       // no date in the log: points without time
extern const WarningKind kNmeaUnknownWaypoint;   // a route names a waypoint no WPL gave
extern const WarningKind kNmeaRouteIncomplete;   // a route's sentences stop short
// What a log gave besides its points, after the summary: "37 phrases
// rejetées (somme de contrôle fausse : 35, tronquées : 2), 5120 phrases sans
// position"; "" when nothing was passed over.
std::string NmeaSummaryNote(const std::uint64_t (&rejected)[kNmeaRejectionKinds], std::uint64_t without_position);

// Tracks reduced to fit the output: "2 traces réduites" and its detail
// " à 32761 points (écart max 3,2 m)".
extern const WarningKind kTracksReduced;
extern const WarningKind kRoutesReduced;  // the same for routes: "1 route réduite"
std::string TracksReducedDetail(std::uint64_t kept, const std::string& max_error);
// "3,2 m": metres rounded up to the tenth (3.11 gives "3,2 m", never less
// than the distance), with the given decimal mark.
std::string MetresText(double metres, std::string_view decimal_mark);
// Why an output cannot hold its points: "au plus 10 points permis, il en faut
// au moins 12 (chaque waypoint et deux points par trace)".
std::string BudgetTooSmallReason(std::uint64_t budget, std::uint64_t least);

// "3 noms coupés à 50 caractères", "1 nom coupé à 50 caractères".
std::string WarningText(const WarningKind& kind, std::uint64_t count);

// "2 traces (157 points), 3 waypoints", "1 trace (2 points)", "0 waypoint".
std::string SummaryText(const ConversionSummary& summary);

// The lines a window shows under a failure's message (its reason, then the
// warnings met before it) and, for a completion, the entry of one file in
// the completion button's tooltip ("trace.zbx : " + summary, then warnings).
// One warning line: "ligne 17 : avertissement : 3 noms coupés à 50 caractères".
std::string MessageDetailsText(const ConversionNotes& notes);
std::string CompletionEntryText(const ConversionNotes& notes);

// A report as the host receives it: after a completion (summary and
// warnings), and after a failure (its reason and the warnings met before it).
ConversionNotes CompletionNotes(const ConversionReport& report);
ConversionNotes FailureNotes(const ConversionReport& report, const std::string& reason);

}  // namespace tessaline::messages
