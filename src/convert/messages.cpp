#include "convert/messages.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "host/conversion_report.h"
#include "platform/path_names.h"

namespace tessaline::messages {

namespace {

std::string Count(std::uint64_t value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  return std::string(digits, result.ptr);
}

// "0 trace", "1 trace", "2 traces": the plural only above one.
std::string Counted(std::uint64_t count, std::string_view singular) {
  std::string text = Count(count) + " ";
  text += singular;
  if (count > 1) text += 's';
  return text;
}

// A summary and what its reader adds, if anything.
std::string Noted(std::string summary, const std::string& note) {
  if (!note.empty()) summary += ", " + note;
  return summary;
}

std::string WarningLines(const ConversionNotes& notes, std::string_view indent) {
  std::string text;
  for (const ConversionWarning& warning : notes.warnings) {
    text += "\n";
    text += indent;
    text += LineReason(warning.first_line, "avertissement : " + warning.text);
  }
  return text;
}

}  // namespace

const WarningKind kNameCut{"nom coupé à 50 caractères", "noms coupés à 50 caractères"};
const WarningKind kNameWithComma{"nom contenant une virgule (la suite devient le groupe)",
                                 "noms contenant une virgule (la suite devient le groupe)"};
const WarningKind kCoordinateCut{"coordonnée coupée à 20 caractères",
                                 "coordonnées coupées à 20 caractères"};
const WarningKind kValueCut{"valeur coupée à 10 caractères", "valeurs coupées à 10 caractères"};
const WarningKind kNameWithSemicolon{"ligne dont le nom contient « ; » (champs décalés)",
                                     "lignes dont le nom contient « ; » (champs décalés)"};
const WarningKind kLineSkipped{"ligne ignorée (aucune règle ne la prend)",
                               "lignes ignorées (aucune règle ne les prend)"};
const WarningKind kLfLineEnds{"ligne terminée par LF seul (fichier sans CR, lu à chaque LF)",
                              "lignes terminées par LF seul (fichier sans CR, lu à chaque LF)"};

const WarningKind kGpxPointSkipped{
    "point ignoré (latitude ou longitude absente, non numérique ou hors limites)",
    "points ignorés (latitude ou longitude absente, non numérique ou hors limites)"};
const WarningKind kGpxLineSkipped{"ligne sans point lisible ignorée", "lignes sans point lisible ignorées"};
const WarningKind kGpxCharacterReplaced{"caractère impossible à écrire en 8 bits remplacé par « ? »",
                                        "caractères impossibles à écrire en 8 bits remplacés par « ? »"};
const WarningKind kGpxSeparatorReplaced{
    "séparateur, guillemet ou saut de ligne d'un nom remplacé par une espace",
    "séparateurs, guillemets ou sauts de ligne de noms remplacés par une espace"};
const WarningKind kGpxControlDropped{"caractère de contrôle impossible en XML supprimé",
                                     "caractères de contrôle impossibles en XML supprimés"};
const WarningKind kGpxOnePointTrack{"trace ou route d'un seul point (relue comme waypoint)",
                                    "traces ou routes d'un seul point (relues comme waypoints)"};
const WarningKind kTimeLost{"heure de point perdue (ce format n'en a pas)",
                            "heures de points perdues (ce format n'en a pas)"};
const WarningKind kGpxTimeWithoutZone{"heure sans fuseau horaire, lue en UTC",
                                      "heures sans fuseau horaire, lues en UTC"};
const WarningKind kGpxTimeUnreadable{"heure illisible supprimée", "heures illisibles supprimées"};

namespace {
struct NotCarried {
  std::string_view element;
  WarningKind kind;
};
const NotCarried kNotCarried[] = {
    {"desc", {"description (desc) non reprise", "descriptions (desc) non reprises"}},
    {"cmt", {"commentaire (cmt) non repris", "commentaires (cmt) non repris"}},
    {"sym", {"symbole (sym) non repris", "symboles (sym) non repris"}},
    {"type", {"type non repris", "types non repris"}},
    {"link", {"lien (link) non repris", "liens (link) non repris"}},
    {"src", {"source (src) non reprise", "sources (src) non reprises"}},
    {"number", {"numéro (number) non repris", "numéros (number) non repris"}},
    {"hdop", {"précision (hdop) non reprise", "précisions (hdop) non reprises"}},
    {"vdop", {"précision (vdop) non reprise", "précisions (vdop) non reprises"}},
    {"pdop", {"précision (pdop) non reprise", "précisions (pdop) non reprises"}},
    {"sat", {"nombre de satellites (sat) non repris", "nombres de satellites (sat) non repris"}},
    {"fix", {"type de position (fix) non repris", "types de position (fix) non repris"}},
    {"magvar", {"déclinaison (magvar) non reprise", "déclinaisons (magvar) non reprises"}},
    {"geoidheight", {"hauteur du géoïde (geoidheight) non reprise", "hauteurs du géoïde (geoidheight) non reprises"}},
    {"ageofdgpsdata", {"âge DGPS (ageofdgpsdata) non repris", "âges DGPS (ageofdgpsdata) non repris"}},
    {"dgpsid", {"station DGPS (dgpsid) non reprise", "stations DGPS (dgpsid) non reprises"}},
    {"metadata", {"bloc de métadonnées (metadata) non repris", "blocs de métadonnées (metadata) non repris"}},
    {"extensions", {"extension d'un autre programme non reprise", "extensions d'autres programmes non reprises"}},
};
const WarningKind kOtherNotCarried{"autre élément GPX non repris", "autres éléments GPX non repris"};
}  // namespace

const WarningKind& NotCarriedKind(std::string_view element) {
  for (const NotCarried& known : kNotCarried) {
    if (known.element == element) return known.kind;
  }
  return kOtherNotCarried;
}

namespace {
const NotCarried kKmlNotCarried[] = {
    {"Polygon", {"polygone (Polygon) non repris", "polygones (Polygon) non repris"}},
    {"LinearRing", {"anneau (LinearRing) non repris", "anneaux (LinearRing) non repris"}},
    {"Model", {"modèle 3D (Model) non repris", "modèles 3D (Model) non repris"}},
    {"GroundOverlay", {"superposition au sol (GroundOverlay) non reprise",
                       "superpositions au sol (GroundOverlay) non reprises"}},
    {"ScreenOverlay", {"superposition d'écran (ScreenOverlay) non reprise",
                       "superpositions d'écran (ScreenOverlay) non reprises"}},
    {"PhotoOverlay", {"photo (PhotoOverlay) non reprise", "photos (PhotoOverlay) non reprises"}},
    {"NetworkLink", {"lien réseau (NetworkLink) non suivi", "liens réseau (NetworkLink) non suivis"}},
    {"Tour", {"visite (gx:Tour) non reprise", "visites (gx:Tour) non reprises"}},
    {"ExtendedData", {"données d'un gx:Track (ExtendedData) non reprises",
                      "données de gx:Track (ExtendedData) non reprises"}},
};
const WarningKind kOtherKmlNotCarried{"autre élément KML non repris", "autres éléments KML non repris"};
}  // namespace

const WarningKind& KmlNotCarriedKind(std::string_view element) {
  for (const NotCarried& known : kKmlNotCarried) {
    if (known.element == element) return known.kind;
  }
  return kOtherKmlNotCarried;
}

const WarningKind kKmlCoordWithoutTime{"point de gx:Track sans heure (when), lu sans heure",
                                       "points de gx:Track sans heure (when), lus sans heure"};

const WarningKind kTooManyDeviceLines{
    "ligne au-delà de 32 766 (ni l'appareil ni ce programme ne relisent le fichier)",
    "lignes au-delà de 32 766 (ni l'appareil ni ce programme ne relisent le fichier)"};

const WarningKind kOldPartsLeft{"fichier d'un découpage précédent laissé tel quel",
                                "fichiers d'un découpage précédent laissés tels quels"};

const WarningKind kNmeaRejected[kNmeaRejectionKinds]{
    {"phrase rejetée (somme de contrôle fausse)", "phrases rejetées (somme de contrôle fausse)"},
    {"phrase rejetée (tronquée)", "phrases rejetées (tronquées)"},
    {"phrase rejetée (illisible)", "phrases rejetées (illisibles)"},
    {"phrase rejetée (position hors limites)", "phrases rejetées (position hors limites)"},
    {"phrase rejetée (position non valide)", "phrases rejetées (position non valide)"},
};
const WarningKind kNmeaWithoutDate{
    "point sans heure (le journal ne donne aucune date : --date=AAAA-MM-JJ la donne)",
    "points sans heure (le journal ne donne aucune date : --date=AAAA-MM-JJ la donne)"};
const WarningKind kNmeaUnknownWaypoint{"waypoint de route inconnu (aucune phrase WPL ne le donne)",
                                       "waypoints de routes inconnus (aucune phrase WPL ne les donne)"};
const WarningKind kNmeaRouteIncomplete{"route incomplète ignorée (phrases RTE manquantes)",
                                       "routes incomplètes ignorées (phrases RTE manquantes)"};

std::string NmeaSummaryNote(const std::uint64_t (&rejected)[kNmeaRejectionKinds], std::uint64_t without_position) {
  // The kinds as the summary counts them: "tronquées : 2".
  static const WarningKind kKinds[kNmeaRejectionKinds] = {
      {"somme de contrôle fausse", "somme de contrôle fausse"},
      {"tronquée", "tronquées"},
      {"illisible", "illisibles"},
      {"position hors limites", "position hors limites"},
      {"position non valide", "position non valide"},
  };
  std::uint64_t total = 0;
  std::string kinds;
  for (std::size_t kind = 0; kind < kNmeaRejectionKinds; ++kind) {
    if (rejected[kind] == 0) continue;
    total += rejected[kind];
    if (!kinds.empty()) kinds += ", ";
    kinds += (rejected[kind] > 1 ? kKinds[kind].plural : kKinds[kind].singular);
    kinds += " : " + Count(rejected[kind]);
  }
  std::string note;
  if (total > 0) note = Count(total) + (total > 1 ? " phrases rejetées (" : " phrase rejetée (") + kinds + ")";
  if (without_position > 0) {
    if (!note.empty()) note += ", ";
    note += Count(without_position) + (without_position > 1 ? " phrases sans position" : " phrase sans position");
  }
  return note;
}

const WarningKind kTracksReduced{"trace réduite", "traces réduites"};
const WarningKind kRoutesReduced{"route réduite", "routes réduites"};

std::string TracksReducedDetail(std::uint64_t kept, const std::string& max_error) {
  return " à " + Count(kept) + " points (écart max " + max_error + ")";
}

std::string MetresText(double metres, std::string_view decimal_mark) {
  // Up, never to the nearest: the text is a bound the line keeps within. A
  // figure that is no distance (negative, not a number) reads 0; one past
  // any distance on the Earth is held where the conversion stays defined.
  double up = metres > 0 ? std::ceil(metres * 10.0) : 0.0;
  // The product may round down onto a whole number of tenths (229.2 and a
  // little more makes 2292 exactly): the tenths above it, then.
  if (up / 10.0 < metres) up += 1;
  const auto tenths = static_cast<std::uint64_t>(std::min(up, 1e15));
  std::string text = Count(tenths / 10);
  text += decimal_mark;
  text += static_cast<char>('0' + tenths % 10);
  text += " m";
  return text;
}

std::string BudgetTooSmallReason(std::uint64_t budget, std::uint64_t least) {
  return "au plus " + Counted(budget, "point") + " permis, il en faut au moins " + Count(least) +
         " (chaque waypoint et deux points par trace)";
}

std::string CompletionCaption(std::string_view path) {
  return "Traitement du fichier " + FileNameOfPath(path) + " terminé.";
}

std::string LineReason(std::uint64_t line, std::string_view what) {
  std::string text = "ligne " + Count(line) + " : ";
  text += what;
  return text;
}

std::string WarningText(const WarningKind& kind, std::uint64_t count) {
  return Count(count) + " " + (count > 1 ? kind.plural : kind.singular);
}

std::string SummaryText(const ConversionSummary& summary) {
  std::string tracks = Counted(summary.tracks, "trace") + " (" + Counted(summary.points, "point");
  if (summary.points_read > summary.points) {
    tracks += " sur " + Count(summary.points_read) + ", écart max " + summary.max_error_text;
  }
  tracks += ")";
  const std::string waypoints = Counted(summary.waypoints, "waypoint");
  std::string text;
  switch (summary.form) {
    case ConversionSummary::Form::Tracks: text = tracks; break;
    case ConversionSummary::Form::Waypoints: text = waypoints; break;
    case ConversionSummary::Form::TracksAndWaypoints: text = tracks + ", " + waypoints; break;
  }
  // "3 fichiers : trace-1.asc, trace-2.asc, trace-3.asc"
  for (std::size_t i = 0; i < summary.files.size(); ++i) {
    text += i == 0 ? ", " + Counted(summary.files.size(), "fichier") + " : " : ", ";
    text += summary.files[i];
  }
  return Noted(text, summary.reader_note);
}

std::string MessageDetailsText(const ConversionNotes& notes) {
  const std::string text = notes.reason + WarningLines(notes, "");
  return notes.reason.empty() && !text.empty() ? text.substr(1) : text;
}

std::string CompletionEntryText(const ConversionNotes& notes) {
  std::string text = FileNameOfPath(notes.path);
  text += " : ";
  text += notes.summary;
  text += WarningLines(notes, "  ");
  return text;
}

namespace {
std::vector<ConversionWarning> WarningNotes(const ConversionReport& report) {
  std::vector<ConversionWarning> notes;
  notes.reserve(report.Warnings().size());
  for (const Warning& warning : report.Warnings()) {
    notes.push_back(
        ConversionWarning{report.Path(), warning.first_line, WarningText(*warning.kind, warning.count) + warning.detail});
  }
  return notes;
}
}  // namespace

ConversionNotes CompletionNotes(const ConversionReport& report) {
  return ConversionNotes{report.Path(), "", SummaryText(report.Summary()), WarningNotes(report)};
}

ConversionNotes FailureNotes(const ConversionReport& report, const std::string& reason) {
  return ConversionNotes{report.Path(), reason, "", WarningNotes(report)};
}

}  // namespace tessaline::messages
