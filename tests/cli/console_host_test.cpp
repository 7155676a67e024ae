#include "cli/console_host.h"

#include <gtest/gtest.h>

#include "host/real_file_system.h"

namespace tessaline::cli {
namespace {

// Keeps each write apart, to see what reaches the terminal in one piece.
class WritesSink final : public TextSink {
 public:
  void Write(std::string_view text) override { writes.emplace_back(text); }
  bool Failed() const override { return false; }
  std::vector<std::string> writes;
};

struct ConsoleHostTest : ::testing::Test {
  ConsoleHost MakeHost(bool quiet, bool terminal, int columns = 80) {
    return ConsoleHost(files, out, err, ConsoleHostOptions{quiet, terminal, columns, nullptr});
  }
  RealFileSystem files;
  WritesSink out, err;
};

TEST_F(ConsoleHostTest, EachMessageIsOneWriteNamingThePathAsGivenEvenWhenQuiet) {
  ConsoleHost host = MakeHost(true, false);
  host.BeginFile("./cartes/../cartes/TRACE.ZBX");
  host.ShowMessage("Problème de format: Ce fichier ne peut pas être traité.", MessageIcon::Information);
  host.BeginFile("/tmp/route_TRK.txt");
  host.ShowMessage("Erreur dans le module de conversion Vestamar -> ZRB", MessageIcon::Error);
  // One write a line: the lines of copies running side by side never mix.
  EXPECT_EQ(err.writes, (std::vector<std::string>{
                            "tessaline-convert: ./cartes/../cartes/TRACE.ZBX: Problème de format: "
                            "Ce fichier ne peut pas être traité.\n",
                            "tessaline-convert: /tmp/route_TRK.txt: Erreur dans le module de "
                            "conversion Vestamar -> ZRB\n"}));
}

TEST_F(ConsoleHostTest, ControlCharactersInANameCannotBreakTheLineOrDriveTheTerminal) {
  ConsoleHost host = MakeHost(false, false);
  host.BeginFile("a\nb\r\x1b[2J.zbx");
  host.ShowMessage("Erreur", MessageIcon::Error);
  host.ShowCompletion("Traitement du fichier a\nb\r\x1b[2J.zbx terminé.");
  EXPECT_EQ(err.writes, std::vector<std::string>{"tessaline-convert: a?b??[2J.zbx: Erreur\n"});
  EXPECT_EQ(out.writes, std::vector<std::string>{"Traitement du fichier a?b??[2J.zbx terminé.\n"});
}

TEST_F(ConsoleHostTest, ProgressIsRedrawnInPlaceAndErasedBeforeTheOutcome) {
  ConsoleHost host = MakeHost(false, true);
  host.BeginFile("cartes/trace.zbx");
  host.SetMainPercentage("0%");  // before any step: nothing to show yet
  EXPECT_TRUE(err.writes.empty());
  host.SetStepText("Etape N°1: Mise en mémoire");
  const std::string first = "trace.zbx: Etape N°1: Mise en mémoire  0%";
  const std::size_t first_columns = first.size() - 2;  // "°" and "é" take one column each
  ASSERT_EQ(err.writes, std::vector<std::string>{Joined({"\r", first})});

  // A shorter line covers what the longer one left.
  host.SetStepText("Etape N°2");
  const std::string second = "trace.zbx: Etape N°2  0%";
  ASSERT_EQ(err.writes.size(), 2u);
  EXPECT_EQ(err.writes[1], Joined({"\r", second, std::string(first_columns - (second.size() - 1), ' ')}));

  host.ShowMessage("Erreur dans le module de conversion ZRB -> Vestamar", MessageIcon::Error);
  ASSERT_EQ(err.writes.size(), 4u);
  EXPECT_EQ(err.writes[2], Joined({"\r", std::string(first_columns, ' '), "\r"}));
  EXPECT_EQ(err.writes[3], "tessaline-convert: cartes/trace.zbx: Erreur dans le module de conversion ZRB -> Vestamar\n");
  host.EndFile();  // already erased: nothing more
  EXPECT_EQ(err.writes.size(), 4u);
}

TEST_F(ConsoleHostTest, ProgressCostsNothingWhenUnchangedAndStaysWithinTheWidth) {
  ConsoleHost host = MakeHost(false, true, 20);
  host.BeginFile("é_très_long_nom_de_fichier.zbx");
  host.SetStepText("Etape N°1: Mise en mémoire");
  host.SetMainPercentage("5%");
  const std::size_t writes = err.writes.size();
  for (int line = 0; line < 1000; ++line) host.SetMainPercentage("5%");
  EXPECT_EQ(err.writes.size(), writes);
  // 19 characters after the carriage return, some of two bytes.
  EXPECT_EQ(err.writes[0], "\ré_très_long_nom_de_");
}

bool stop_now = false;
bool StopNow() { return stop_now; }

TEST_F(ConsoleHostTest, YieldStopsOnlyWhenTheUserAsked) {
  EXPECT_FALSE(MakeHost(false, false).Yield());
  ConsoleHost host(files, out, err, ConsoleHostOptions{false, false, 80, &StopNow});
  stop_now = false;
  EXPECT_FALSE(host.Yield());
  stop_now = true;
  EXPECT_TRUE(host.Yield());
  stop_now = false;
}

}  // namespace
}  // namespace tessaline::cli
