#include "cli/cli_options.h"

#include <gtest/gtest.h>

namespace tessaline::cli {
namespace {

CliOptions Parse(std::vector<std::string> arguments) { return ParseCommandLine(arguments); }

TEST(ParseCommandLine, DirectionsQuietAndFilesInAnyOrder) {
  EXPECT_EQ(Parse({"a"}).request, Request::ByFile);
  EXPECT_EQ(Parse({"--to-chart", "a"}).request, Request::ToChart);
  EXPECT_EQ(Parse({"a", "-d"}).request, Request::ToDevice);
  const CliOptions options = Parse({"a.zbx", "-qc", "b_TRK.txt", "--to-chart", "c"});
  EXPECT_EQ(options.action, CliAction::Convert);
  EXPECT_TRUE(options.quiet);
  EXPECT_EQ(options.request, Request::ToChart);
  EXPECT_EQ(options.files, (std::vector<std::string>{"a.zbx", "b_TRK.txt", "c"}));
  // "--" ends the options; a lone "-" is a file name.
  EXPECT_EQ(Parse({"-", "--", "-c", "--help", "--"}).files, (std::vector<std::string>{"-", "-c", "--help", "--"}));
}

TEST(ParseCommandLine, BothDirectionsAreAUsageErrorHoweverWritten) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"-c", "-d", "a"}, {"-cd", "a"}, {"a", "--to-device", "--to-chart"}, {"-d", "a", "-qc"}}) {
    EXPECT_EQ(Parse(arguments).error, "les options --to-chart (-c) et --to-device (-d) s'excluent mutuellement")
        << arguments[0] << " " << arguments[1];
  }
}

TEST(ParseCommandLine, ToGpxStandsAlone) {
  EXPECT_EQ(Parse({"-g", "a"}).request, Request::ToGpx);
  EXPECT_EQ(Parse({"a", "--to-g"}).request, Request::ToGpx);
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"-g", "-c", "a"}, {"-dg", "a"}, {"a", "--to-gpx", "--to-chart"}}) {
    const CliOptions options = Parse(arguments);
    EXPECT_EQ(options.action, CliAction::UsageError);
    EXPECT_EQ(options.error, "l'option --to-gpx (-g) exclut --to-chart (-c) et --to-device (-d)");
  }
}

TEST(ParseCommandLine, LongOptionsMayBeAbbreviatedWhileUnambiguous) {
  EXPECT_TRUE(Parse({"--qu", "a"}).quiet);
  EXPECT_EQ(Parse({"--to-d", "a"}).request, Request::ToDevice);
  EXPECT_EQ(Parse({"--h"}).action, CliAction::ShowHelp);
  EXPECT_EQ(Parse({"--to-", "a"}).error,
            "l'option « --to- » est ambiguë ; possibilités : « --to-chart » « --to-device » « --to-gpx »");
}

TEST(ParseCommandLine, UsageErrorsNameWhatIsWrong) {
  EXPECT_EQ(Parse({"-x", "a"}).error, "option invalide -- « x »");
  // A letter outside ASCII is named whole, not by its first byte.
  EXPECT_EQ(Parse({"-qé", "a"}).error, "option invalide -- « é »");
  EXPECT_EQ(Parse({"--bogus=1", "a"}).error, "option non reconnue « --bogus »");
  EXPECT_EQ(Parse({"--quiet=oui", "a"}).error, "l'option « --quiet » ne prend pas d'argument");
  for (const auto& arguments : std::vector<std::vector<std::string>>{{}, {"-q"}, {"-c", "--"}}) {
    EXPECT_EQ(Parse(arguments).error, "opérande de fichier manquant");
  }
}

TEST(ParseCommandLine, HelpAndVersionActWhereTheyStand) {
  // As in GNU tools: an error met before them wins, nothing after them is
  // looked at, and a conflict found at the end does not arise.
  EXPECT_EQ(Parse({"--help", "--bogus"}).action, CliAction::ShowHelp);
  EXPECT_EQ(Parse({"--bogus", "--help"}).action, CliAction::UsageError);
  EXPECT_EQ(Parse({"-c", "-d", "-h"}).action, CliAction::ShowHelp);
  EXPECT_EQ(Parse({"a.zbx", "-qV", "-x"}).action, CliAction::ShowVersion);
}

TEST(CommandLineTexts, HelpNamesEveryOption) {
  const std::string help = HelpText();
  for (const char* option : {"-c, --to-chart", "-d, --to-device", "-g, --to-gpx", "-t, --to=FORMAT",
                             "-o, --output=FICHIER", "-n, --points=N", "-q, --quiet", "-h, --help", "-V, --version"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
}

}  // namespace
}  // namespace tessaline::cli

namespace tessaline::cli {
namespace {

// -n and --points take a whole number from 1 on, in every GNU form.
TEST(ParseCommandLine, PointsTakeAPositiveWholeNumber) {
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"-n", "500", "a"}, {"-qn500", "a"}, {"a", "--points=500"},
                                             {"--po", "500", "a"}}) {
    const CliOptions options = ParseCommandLine(arguments);
    EXPECT_EQ(options.action, CliAction::Convert) << arguments[0];
    EXPECT_EQ(options.points, std::optional<std::uint64_t>(500)) << arguments[0];
  }
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"-n", "0", "a"}, {"-n", "-3", "a"}, {"--points=1e3", "a"}, {"a", "-n"}, {"--points=", "a"},
           {"-n", "99999999999999999999999", "a"}}) {
    EXPECT_EQ(ParseCommandLine(arguments).action, CliAction::UsageError) << arguments[1];
  }
  EXPECT_EQ(ParseCommandLine({"a"}).points, std::nullopt);
  // A whole number past the largest is told as too large, not as no number.
  EXPECT_EQ(ParseCommandLine({"-n", "99999999999999999999", "a"}).error,
            "nombre de points trop grand « 99999999999999999999 » (au plus 18446744073709551615)");
  EXPECT_EQ(ParseCommandLine({"-n", "18446744073709551615", "a"}).points,
            std::optional<std::uint64_t>(18446744073709551615u));
  EXPECT_EQ(ParseCommandLine({"-n", "0", "a"}).error,
            "nombre de points invalide « 0 » (un nombre entier d'au moins 1 est attendu)");
}

// -t and -o take their value as -n does: joined, bundled or next.
TEST(ParseCommandLine, FormatAndOutputTakeTheirValueAsPointsDoes) {
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"-qtgpx", "-oz.gpx", "a"}, {"-t", "gpx", "-o", "z.gpx", "a"}, {"a", "--to=gpx", "--output=z.gpx"},
           {"--to", "gpx", "--out", "z.gpx", "a"}, {"-qn5", "-tgpx", "-qo", "z.gpx", "a"}}) {
    const CliOptions options = ParseCommandLine(arguments);
    EXPECT_EQ(options.action, CliAction::Convert) << arguments[0] << options.error;
    EXPECT_EQ(options.request, Request::ToGpx) << arguments[0];
    EXPECT_EQ(options.output, "z.gpx") << arguments[0];
  }
  EXPECT_EQ(ParseCommandLine({"-tdevice", "a"}).request, Request::ToDevice);
  EXPECT_EQ(ParseCommandLine({"-tchart", "a"}).request, Request::ToChart);
  EXPECT_EQ(ParseCommandLine({"-t", "kml", "a"}).request, Request::ToKml);
  EXPECT_EQ(ParseCommandLine({"-t", "pdf", "a"}).error,
            "format invalide « pdf » pour l'option --to (-t) ; possibilités : « device », « chart », « gpx », « kml », « kmz »");
  EXPECT_EQ(ParseCommandLine({"a", "-t"}).error, "l'option « -t » requiert un argument");
  EXPECT_EQ(ParseCommandLine({"a", "-o"}).error, "l'option « -o » requiert un argument");
}

}  // namespace
}  // namespace tessaline::cli
