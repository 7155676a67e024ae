#include "cli/cli_options.h"

#include <array>
#include <charconv>
#include <string_view>

#include "cli/console_output.h"
#include "formats/nmea_sentence.h"
#include "platform/utf8.h"
#include "product.h"

namespace tessaline::cli {

namespace {

enum class Option { ToChart, ToDevice, ToGpx, To, Output, Quiet, Points, Help, Version, Split, Preview, Date };

struct LongOption {
  std::string_view name;
  Option option;
};

constexpr std::array<LongOption, 12> kLongOptions{{
    {"to-chart", Option::ToChart},
    {"to-device", Option::ToDevice},
    {"to-gpx", Option::ToGpx},
    {"to", Option::To},
    {"output", Option::Output},
    {"quiet", Option::Quiet},
    {"points", Option::Points},
    {"help", Option::Help},
    {"version", Option::Version},
    {"split", Option::Split},
    {"preview", Option::Preview},
    {"date", Option::Date},
}};

std::string Quoted(std::string_view text) { return Joined({"« ", text, " »"}); }

std::string QuotedOption(std::string_view name) { return Joined({"« --", name, " »"}); }

// The whole UTF-8 character that starts at `at`, so that an unknown option
// letter such as "-é" is named in one piece.
std::string CharacterAt(std::string_view text, std::size_t at) {
  std::size_t end = at + 1;
  while (end < text.size() && IsUtf8Continuation(text[end])) ++end;
  return std::string(text.substr(at, end - at));
}

// The formats -t and --to name, with the request each makes.
struct FormatName {
  std::string_view name;
  Request request;
};
constexpr std::array<FormatName, 5> kFormats{{
    {"device", Request::ToDevice},
    {"chart", Request::ToChart},
    {"gpx", Request::ToGpx},
    {"kml", Request::ToKml},
    {"kmz", Request::ToKmz},
}};

bool TakesValue(Option option) {
  return option == Option::Points || option == Option::To || option == Option::Output || option == Option::Date;
}

struct Parser {
  CliOptions result;
  bool to_chart = false;
  bool to_device = false;
  bool to_gpx = false;
  std::optional<Request> to;  // -t, --to
  bool output = false;        // -o, --output given

  // False when the option ends the parse (help, version).
  bool Apply(Option option) {
    switch (option) {
      case Option::ToChart: to_chart = true; return true;
      case Option::ToDevice: to_device = true; return true;
      case Option::ToGpx: to_gpx = true; return true;
      case Option::Quiet: result.quiet = true; return true;
      case Option::Split: result.split = true; return true;
      case Option::Points:
      case Option::To:
      case Option::Output:
      case Option::Date: return true;  // take their value: see TakeValue()
      case Option::Preview: result.preview = true; return true;
      case Option::Help: result.action = CliAction::ShowHelp; return false;
      case Option::Version: result.action = CliAction::ShowVersion; return false;
    }
    return true;
  }

  // The value of -n or --points: a whole number from 1 on.
  bool Points(std::string_view value) {
    std::uint64_t points = 0;
    const auto end = value.data() + value.size();
    const auto read = std::from_chars(value.data(), end, points);
    if (read.ec == std::errc::result_out_of_range && read.ptr == end) {
      Fail(Joined({"nombre de points trop grand ", Quoted(value), " (au plus 18446744073709551615)"}));
      return false;
    }
    if (value.empty() || read.ec != std::errc() || read.ptr != end || points == 0) {
      Fail(Joined({"nombre de points invalide ", Quoted(value), " (un nombre entier d'au moins 1 est attendu)"}));
      return false;
    }
    result.points = points;
    return true;
  }

  // The format of -t or --to.
  bool To(std::string_view value) {
    for (const FormatName& format : kFormats) {
      if (format.name == value) {
        to = format.request;
        return true;
      }
    }
    Fail(Joined({"format invalide ", Quoted(value), " pour l'option --to (-t) ; possibilités : ",
                 "« device », « chart », « gpx », « kml », « kmz »"}));
    return false;
  }

  // The value of an option that takes one.
  bool TakeValue(Option option, std::string_view value) {
    switch (option) {
      case Option::Points: return Points(value);
      case Option::To: return To(value);
      case Option::Output:
        if (value.empty()) {
          Fail("l'option --output (-o) requiert un nom de fichier non vide");
          return false;
        }
        result.output = std::string(value);
        output = true;
        return true;
      case Option::Date:
        result.date = nmea::ReadIsoDate(value);
        if (!result.date) {
          Fail(Joined({"date invalide ", Quoted(value), " pour l'option --date (AAAA-MM-JJ attendu, un jour qui existe)"}));
          return false;
        }
        return true;
      default: break;
    }
    return true;
  }

  // The next argument, for an option that takes one; false when none is left.
  bool Value(std::string_view option, const std::vector<std::string>& arguments, std::size_t& at,
             std::string_view& value) {
    if (at + 1 >= arguments.size()) {
      Fail(Joined({"l'option ", option, " requiert un argument"}));
      return false;
    }
    value = arguments[++at];
    return true;
  }

  void Fail(std::string error) {
    result.action = CliAction::UsageError;
    result.error = std::move(error);
  }

  // "--name" or "--name=value"; false when the parse is over.
  bool LongOptionArgument(std::string_view argument, const std::vector<std::string>& arguments, std::size_t& at) {
    std::string_view name = argument.substr(2);
    const bool has_value = name.find('=') != std::string_view::npos;
    if (has_value) name = name.substr(0, name.find('='));

    const LongOption* exact = nullptr;
    std::vector<const LongOption*> prefixed;
    for (const auto& candidate : kLongOptions) {
      if (candidate.name == name) exact = &candidate;
      if (!name.empty() && candidate.name.substr(0, name.size()) == name) prefixed.push_back(&candidate);
    }
    const LongOption* chosen = exact;
    if (!chosen && prefixed.size() == 1) chosen = prefixed.front();
    if (!chosen && prefixed.size() > 1) {
      std::string error = Joined({"l'option ", QuotedOption(name), " est ambiguë ; possibilités :"});
      for (const auto* candidate : prefixed) error += Joined({" ", QuotedOption(candidate->name)});
      Fail(error);
      return false;
    }
    if (!chosen) {
      Fail(Joined({"option non reconnue ", Quoted(argument.substr(0, 2 + name.size()))}));
      return false;
    }
    if (chosen->option == Option::Preview && has_value) {
      // Only the "=" form names the picture: "--preview x.gpx" converts x.gpx.
      const std::string_view value = argument.substr(argument.find('=') + 1);
      if (value.empty()) {
        Fail("l'option --preview requiert un nom de fichier non vide après « = »");
        return false;
      }
      result.preview_file = std::string(value);
      return Apply(Option::Preview);
    }
    if (TakesValue(chosen->option)) {
      std::string_view value;
      if (has_value) {
        value = argument.substr(argument.find('=') + 1);
      } else if (!Value(QuotedOption(chosen->name), arguments, at, value)) {
        return false;
      }
      return TakeValue(chosen->option, value);
    }
    if (has_value) {
      Fail(Joined({"l'option ", QuotedOption(chosen->name), " ne prend pas d'argument"}));
      return false;
    }
    return Apply(chosen->option);
  }

  // "-q", "-qc", "-n 500", "-qn500", "-qtgpx", "-o x.gpx"...; false when the
  // parse is over.
  bool ShortOptionsArgument(std::string_view argument, const std::vector<std::string>& arguments, std::size_t& at) {
    for (std::size_t i = 1; i < argument.size(); ++i) {
      Option option;
      switch (argument[i]) {
        case 'n':
        case 't':
        case 'o': {
          // The rest of the argument is the value, else the next argument.
          const char letter[] = {'-', argument[i], '\0'};
          std::string_view value = argument.substr(i + 1);
          if (value.empty() && !Value(Quoted(letter), arguments, at, value)) return false;
          return TakeValue(argument[i] == 'n' ? Option::Points : argument[i] == 't' ? Option::To : Option::Output,
                           value);
        }
        case 'c': option = Option::ToChart; break;
        case 'd': option = Option::ToDevice; break;
        case 'g': option = Option::ToGpx; break;
        case 'q': option = Option::Quiet; break;
        case 'h': option = Option::Help; break;
        case 'V': option = Option::Version; break;
        default:
          Fail(Joined({"option invalide -- ", Quoted(CharacterAt(argument, i))}));
          return false;
      }
      if (!Apply(option)) return false;
    }
    return true;
  }
};

}  // namespace

CliOptions ParseCommandLine(const std::vector<std::string>& arguments) {
  Parser parser;
  bool options_ended = false;
  for (std::size_t at = 0; at < arguments.size(); ++at) {
    const std::string& argument = arguments[at];
    if (options_ended) {
      parser.result.files.push_back(argument);
    } else if (argument == "--") {
      options_ended = true;
    } else if (argument.size() > 2 && argument.compare(0, 2, "--") == 0) {
      if (!parser.LongOptionArgument(argument, arguments, at)) return parser.result;
    } else if (argument.size() > 1 && argument[0] == '-') {
      if (!parser.ShortOptionsArgument(argument, arguments, at)) return parser.result;
    } else {
      // A lone "-" is a file name like any other: there is no standard input
      // to convert, the converters work on files beside which they write.
      parser.result.files.push_back(argument);
    }
  }

  if (parser.to && (parser.to_chart || parser.to_device || parser.to_gpx)) {
    parser.Fail("l'option --to (-t) exclut --to-chart (-c), --to-device (-d) et --to-gpx (-g)");
  } else if (parser.to_chart && parser.to_device) {
    parser.Fail("les options --to-chart (-c) et --to-device (-d) s'excluent mutuellement");
  } else if (parser.to_gpx && (parser.to_chart || parser.to_device)) {
    parser.Fail("l'option --to-gpx (-g) exclut --to-chart (-c) et --to-device (-d)");
  } else if (parser.result.files.empty()) {
    parser.Fail("opérande de fichier manquant");
  } else if (parser.output && parser.result.files.size() > 1) {
    parser.Fail("l'option --output (-o) ne nomme la sortie que d'un seul FICHIER");
  } else if (parser.result.split && (parser.to_chart || parser.to == Request::ToChart)) {
    parser.Fail("l'option --split exclut --to-chart (-c) : la carte n'a pas de limite de points");
  } else if (parser.result.split && !parser.result.points &&
             (parser.to_gpx || (parser.to && *parser.to != Request::ToDevice))) {
    // Only the device has a limit of its own; any other format is split at -n.
    parser.Fail("l'option --split requiert --points (-n) pour un format sans limite de points");
  } else if (!parser.result.preview_file.empty() && parser.result.files.size() > 1) {
    parser.Fail("l'option --preview=IMAGE.svg ne nomme l'image que d'un seul FICHIER");
  } else if (parser.to) {
    parser.result.request = *parser.to;
  } else if (parser.to_chart) {
    parser.result.request = Request::ToChart;
  } else if (parser.to_device) {
    parser.result.request = Request::ToDevice;
  } else if (parser.to_gpx) {
    parser.result.request = Request::ToGpx;
  }
  return parser.result;
}

std::string HelpText() {
  return "Utilisation : tessaline-convert [OPTION]... FICHIER...\n"
         "Convertit chaque FICHIER, à côté de lui-même, entre le fichier de points\n"
         "de l'appareil ZRB, les fichiers d'échange de la carte Vestamar et GPX 1.1.\n"
         "\n"
         "  -c, --to-chart    convertir chaque FICHIER vers la carte\n"
         "                      (FICHIER_TRK.txt et FICHIER_WPT.txt)\n"
         "  -d, --to-device   convertir chaque FICHIER vers l'appareil (FICHIER.asc)\n"
         "  -g, --to-gpx      convertir chaque FICHIER en GPX 1.1 (FICHIER.gpx) ;\n"
         "                      -c, -d et -g s'excluent\n"
         "  -t, --to=FORMAT   le même choix par son nom : device, chart ou gpx ;\n"
         "                      kml (FICHIER.kml, KML 2.2) ou kmz (FICHIER.kmz, le\n"
         "                      même document dans une archive zip) ; exclut -c, -d\n"
         "                      et -g\n"
         "  -o, --output=FICHIER  nommer la sortie (un seul FICHIER à convertir) ;\n"
         "                      vers la carte, FICHIER_TRK.txt et FICHIER_WPT.txt\n"
         "                      (un « _TRK.txt » ou « _WPT.txt » final est retiré)\n"
         "  -n, --points=N    au plus N points dans chaque fichier écrit (lignes P du\n"
         "                      fichier des traces, lignes W de celui des waypoints) ;\n"
         "                      les traces sont réduites en gardant leur forme, les\n"
         "                      waypoints et points nommés des routes sont tous gardés\n"
         "                      (sans cette option, un fichier de l'appareil en garde\n"
         "                      au plus 32 766, ce que l'appareil lit)\n"
         "      --split       découper au lieu de réduire : une sortie trop longue\n"
         "                      devient FICHIER-1.asc, FICHIER-2.asc... (chacune\n"
         "                      commence par le dernier point de la précédente, les\n"
         "                      waypoints dans la première) ; vers GPX, demande -n ;\n"
         "                      exclut -c\n"
         "      --preview     écrire aussi l'image de chaque conversion, BASE.svg à\n"
         "                      côté des sorties (BASE : le nom de la sortie sans son\n"
         "                      extension, celui de -o s'il est donné) : les traces en\n"
         "                      trait plein, les routes en tirets, départ et arrivée,\n"
         "                      le sens, les waypoints et leurs noms, l'échelle ; après\n"
         "                      une réduction, la trace lue en gris sous la trace écrite\n"
         "                      et son plus grand écart entouré\n"
         "      --preview=IMAGE.svg  la même image sous ce nom (un seul FICHIER)\n"
         "      --date=AAAA-MM-JJ  le jour d'un journal NMEA qui ne donne aucune date\n"
         "                      (sans elle, ses points n'ont pas d'heure)\n"
         "  -q, --quiet       n'afficher ni la progression, ni les fins de traitement,\n"
         "                      ni les avertissements ; les erreurs sont toujours\n"
         "                      affichées\n"
         "  -h, --help        afficher cette aide et quitter\n"
         "  -V, --version     afficher les informations de version et quitter\n"
         "\n"
         "Les options qui prennent une valeur se groupent comme -n : « -qtgpx »,\n"
         "« -qo sortie.gpx ».\n"
         "\n"
         "Un FICHIER qui commence comme un document XML est lu comme GPX, quel que\n"
         "soit son nom : sans option ou avec -d il devient FICHIER.asc, avec -c\n"
         "FICHIER_TRK.txt et FICHIER_WPT.txt, avec -g un autre GPX (qui demande -o,\n"
         "puisqu'il remplacerait FICHIER). S'il n'est pas un GPX lisible, l'erreur\n"
         "dit pourquoi et rien n'est écrit.\n"
         "Un document XML dont la racine est kml, ou une archive zip (KMZ), est lu\n"
         "comme KML, quel que soit son nom, et va où va un GPX ; ce qu'un fichier de\n"
         "points ne peut garder (polygones, liens réseau...) est signalé, jamais suivi.\n"
         "Un autre FICHIER dont le nom finit par « zbx », en majuscules ou en\n"
         "minuscules, est lu comme fichier de l'appareil : sans option ou avec -c il\n"
         "va vers la carte, avec -d vers un fichier de l'appareil réduit à -n points.\n"
         "Un journal NMEA 0183 (phrases $GPRMC, $GPGGA... de l'enregistrement du bord),\n"
         "reconnu à son contenu, va sans option ou avec -d vers l'appareil, avec -c\n"
         "vers la carte, avec -g vers GPX ; sa sortie perd .nmea, .nma, .log ou .txt.\n"
         "Tout autre FICHIER est lu comme fichier de la carte : sans option ou avec -d\n"
         "il va vers l'appareil, avec -c vers la carte (avec -o).\n"
         "Une sortie qui remplacerait FICHIER, ou l'autre fichier de sa paire\n"
         "_TRK.txt et _WPT.txt, n'est pas écrite.\n"
         "Une conversion GPX affiche son bilan et ses avertissements comme les\n"
         "autres (points ignorés, noms modifiés).\n"
         "\n"
         "Les nombres et l'heure des traces suivent les paramètres régionaux\n"
         "(LC_ALL, LC_NUMERIC, LC_TIME, LANG).\n"
         "\n"
         "Pour chaque FICHIER converti, la sortie standard reçoit deux lignes : la\n"
         "fin de traitement, puis ce qui a été converti (« 2 traces (157 points),\n"
         "3 waypoints »). Une erreur est une ligne de la sortie d'erreur, suivie de\n"
         "sa raison : « tessaline-convert: FICHIER: MESSAGE : RAISON ». Ce que les\n"
         "formats ne peuvent garder est signalé une fois par sorte et par fichier,\n"
         "avec sa première ligne, sur la sortie d'erreur :\n"
         "« tessaline-convert: FICHIER:LIGNE: avertissement : TEXTE ».\n"
         "\n"
         "État de sortie :\n"
         " 0  si chaque FICHIER a été converti,\n"
         " 1  si au moins un FICHIER n'a pas pu l'être (message sur la sortie d'erreur),\n"
         " 2  en cas d'erreur d'utilisation ; rien n'est alors converti.\n";
}

std::string VersionText() {
  return Joined({"tessaline-convert (" TESSALINE_PRODUCT_NAME ") ", TESSALINE_VERSION, "\n"});
}

std::string UsageErrorText(const std::string& error) {
  return Joined({kProgramName, ": ", error, "\n",
                 "Saisissez « tessaline-convert --help » pour plus d'informations.\n"});
}

}  // namespace tessaline::cli
