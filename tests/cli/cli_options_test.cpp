#include "cli/cli_options.h"

#include <gtest/gtest.h>

namespace tessaline::cli {
namespace {

CliOptions Parse(std::vector<std::string> arguments) { return ParseCommandLine(arguments); }

TEST(ParseCommandLine, DirectionOptionsShortAndLong) {
  EXPECT_EQ(Parse({"a"}).direction, Direction::ByFileName);
  EXPECT_EQ(Parse({"-c", "a"}).direction, Direction::DeviceToChart);
  EXPECT_EQ(Parse({"--to-chart", "a"}).direction, Direction::DeviceToChart);
  EXPECT_EQ(Parse({"-d", "a"}).direction, Direction::ChartToDevice);
  EXPECT_EQ(Parse({"--to-device", "a"}).direction, Direction::ChartToDevice);
  // Saying the same thing twice is no conflict.
  EXPECT_EQ(Parse({"-c", "a", "--to-chart"}).action, CliAction::Convert);
}

TEST(ParseCommandLine, BothDirectionsAreAUsageErrorHoweverWritten) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"-c", "-d", "a"}, {"-cd", "a"}, {"a", "--to-device", "--to-chart"}, {"-d", "a", "-qc"}}) {
    const CliOptions options = Parse(arguments);
    EXPECT_EQ(options.action, CliAction::UsageError) << arguments[0] << " " << arguments[1];
    EXPECT_NE(options.error.find("--to-chart"), std::string::npos);
  }
}

TEST(ParseCommandLine, OptionsMayStandAnywhereAndGroup) {
  const CliOptions options = Parse({"a.zbx", "-q", "b_TRK.txt", "--to-chart", "c"});
  EXPECT_EQ(options.action, CliAction::Convert);
  EXPECT_TRUE(options.quiet);
  EXPECT_EQ(options.direction, Direction::DeviceToChart);
  EXPECT_EQ(options.files, (std::vector<std::string>{"a.zbx", "b_TRK.txt", "c"}));

  const CliOptions grouped = Parse({"-qd", "a"});
  EXPECT_TRUE(grouped.quiet);
  EXPECT_EQ(grouped.direction, Direction::ChartToDevice);
}

TEST(ParseCommandLine, DoubleDashEndsTheOptionsAndALoneDashIsAFile) {
  const CliOptions options = Parse({"-q", "--", "-c", "--help", "--"});
  EXPECT_EQ(options.action, CliAction::Convert);
  EXPECT_EQ(options.direction, Direction::ByFileName);
  EXPECT_EQ(options.files, (std::vector<std::string>{"-c", "--help", "--"}));

  EXPECT_EQ(Parse({"-"}).files, (std::vector<std::string>{"-"}));
}

TEST(ParseCommandLine, LongOptionsMayBeAbbreviatedWhileUnambiguous) {
  EXPECT_TRUE(Parse({"--qu", "a"}).quiet);
  EXPECT_EQ(Parse({"--to-d", "a"}).direction, Direction::ChartToDevice);
  EXPECT_EQ(Parse({"--h"}).action, CliAction::ShowHelp);
  EXPECT_EQ(Parse({"--v"}).action, CliAction::ShowVersion);

  const CliOptions ambiguous = Parse({"--to", "a"});
  EXPECT_EQ(ambiguous.action, CliAction::UsageError);
  EXPECT_EQ(ambiguous.error,
            "l'option « --to » est ambiguë ; possibilités : « --to-chart » « --to-device »");
}

TEST(ParseCommandLine, UnknownOptionsAndArgumentsToOptionsAreUsageErrors) {
  EXPECT_EQ(Parse({"-x", "a"}).error, "option invalide -- « x »");
  // A letter outside ASCII is named whole, not by its first byte.
  EXPECT_EQ(Parse({"-qé", "a"}).error, "option invalide -- « é »");
  EXPECT_EQ(Parse({"--bogus", "a"}).error, "option non reconnue « --bogus »");
  EXPECT_EQ(Parse({"--bogus=1", "a"}).error, "option non reconnue « --bogus »");
  EXPECT_EQ(Parse({"--quiet=oui", "a"}).error, "l'option « --quiet » ne prend pas d'argument");
  // Single-dash long options are not a thing here: "-quiet" is -q -u ...
  EXPECT_EQ(Parse({"-quiet", "a"}).error, "option invalide -- « u »");
}

TEST(ParseCommandLine, NoFileIsAUsageError) {
  for (const auto& arguments :
       std::vector<std::vector<std::string>>{{}, {"-q"}, {"-c", "--"}, {"--to-device"}}) {
    const CliOptions options = Parse(arguments);
    EXPECT_EQ(options.action, CliAction::UsageError);
    EXPECT_EQ(options.error, "opérande de fichier manquant");
  }
}

TEST(ParseCommandLine, HelpAndVersionActWhereTheyStand) {
  // As in GNU tools: an error met before them wins, anything after them
  // is not looked at, and a conflict found at the end does not arise.
  EXPECT_EQ(Parse({"--help", "--bogus"}).action, CliAction::ShowHelp);
  EXPECT_EQ(Parse({"--bogus", "--help"}).action, CliAction::UsageError);
  EXPECT_EQ(Parse({"-c", "-d", "-h"}).action, CliAction::ShowHelp);
  EXPECT_EQ(Parse({"-qV"}).action, CliAction::ShowVersion);
  EXPECT_EQ(Parse({"a.zbx", "--version", "-x"}).action, CliAction::ShowVersion);
}

TEST(CommandLineTexts, HelpNamesEveryOptionAndVersionTheRelease) {
  const std::string help = HelpText();
  EXPECT_EQ(help.rfind("Utilisation : tessaline-convert [OPTION]... FICHIER...\n", 0), 0u);
  for (const char* option : {"-c, --to-chart", "-d, --to-device", "-q, --quiet", "-h, --help",
                             "-V, --version", "« zbx »"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
  EXPECT_EQ(VersionText(), "tessaline-convert (Tessaline Pro) 4.0\n");
  EXPECT_EQ(UsageErrorText("opérande de fichier manquant"),
            "tessaline-convert: opérande de fichier manquant\n"
            "Saisissez « tessaline-convert --help » pour plus d'informations.\n");
}

}  // namespace
}  // namespace tessaline::cli
