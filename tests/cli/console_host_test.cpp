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
  std::string All() const {
    std::string all;
    for (const auto& write : writes) all += write;
    return all;
  }
  std::vector<std::string> writes;
};

struct ConsoleHostTest : ::testing::Test {
  ConsoleHost MakeHost(bool quiet, bool terminal, int columns = 80) {
    ConsoleHostOptions options;
    options.quiet = quiet;
    options.show_progress = terminal;
    options.columns = columns;
    return ConsoleHost(files, out, err, options);
  }
  RealFileSystem files;
  WritesSink out, err;
};

TEST_F(ConsoleHostTest, CompletionIsOneLineOnStdoutUnlessQuiet) {
  ConsoleHost host = MakeHost(false, false);
  host.BeginFile("cartes/trace.zbx");
  host.ShowCompletion("Traitement du fichier trace.zbx terminé.");
  host.EndFile();
  EXPECT_EQ(out.All(), "Traitement du fichier trace.zbx terminé.\n");
  EXPECT_EQ(err.All(), "");

  WritesSink quiet_out, quiet_err;
  ConsoleHostOptions options;
  options.quiet = true;
  ConsoleHost quiet(files, quiet_out, quiet_err, options);
  quiet.BeginFile("trace.zbx");
  quiet.ShowCompletion("Traitement du fichier trace.zbx terminé.");
  EXPECT_EQ(quiet_out.All(), "");
}

TEST_F(ConsoleHostTest, EveryMessageIsOneWholeLineOnStderrNamingThePathAsGiven) {
  for (bool quiet : {false, true}) {
    err.writes.clear();
    ConsoleHost host = MakeHost(quiet, false);
    host.BeginFile("./cartes/../cartes/TRACE.ZBX");
    host.ShowMessage("Problème de format: Ce fichier ne peut pas être traité.", MessageIcon::Information);
    host.BeginFile("/tmp/route_TRK.txt");
    host.ShowMessage("Erreur dans le module de conversion Vestamar -> ZRB", MessageIcon::Error);
    // One write per line: lines of copies running side by side never mix.
    EXPECT_EQ(err.writes, (std::vector<std::string>{
                              "tessaline-convert: ./cartes/../cartes/TRACE.ZBX: Problème de format: "
                              "Ce fichier ne peut pas être traité.\n",
                              "tessaline-convert: /tmp/route_TRK.txt: Erreur dans le module de "
                              "conversion Vestamar -> ZRB\n"}))
        << "quiet " << quiet;
    EXPECT_EQ(out.All(), "");
  }
}

TEST_F(ConsoleHostTest, ControlCharactersInANameCannotBreakTheLineOrDriveTheTerminal) {
  ConsoleHost host = MakeHost(false, false);
  host.BeginFile("a\nb\r\x1b[2J.zbx");
  host.ShowMessage("Erreur", MessageIcon::Error);
  host.ShowCompletion("Traitement du fichier a\nb\r\x1b[2J.zbx terminé.");
  EXPECT_EQ(err.All(), "tessaline-convert: a?b??[2J.zbx: Erreur\n");
  EXPECT_EQ(out.All(), "Traitement du fichier a?b??[2J.zbx terminé.\n");
}

TEST_F(ConsoleHostTest, NoProgressWithoutATerminalOrWhenQuiet) {
  for (auto [quiet, terminal] : {std::pair{false, false}, std::pair{true, true}}) {
    err.writes.clear();
    ConsoleHost host = MakeHost(quiet, terminal);
    host.BeginFile("trace.zbx");
    host.SetStepText("Etape N°1: Mise en mémoire");
    host.SetMainPercentage("37%");
    host.SetInnerPercentage("12%");
    host.MarkStepFinished(1);
    host.EndFile();
    EXPECT_EQ(err.All(), "") << quiet << terminal;
  }
}

TEST_F(ConsoleHostTest, ProgressIsRedrawnInPlaceAndErasedBeforeTheOutcome) {
  ConsoleHost host = MakeHost(false, true);
  host.BeginFile("cartes/trace.zbx");
  host.SetMainPercentage("0%");  // before any step: nothing to show yet
  EXPECT_TRUE(err.writes.empty());
  host.SetStepText("Etape N°1: Mise en mémoire");
  ASSERT_EQ(err.writes.size(), 1u);
  EXPECT_EQ(err.writes[0], "\rtrace.zbx: Etape N°1: Mise en mémoire  0%");

  // A shorter line covers what the longer one left.
  host.SetStepText("Etape N°2");
  ASSERT_EQ(err.writes.size(), 2u);
  const std::string first = "trace.zbx: Etape N°1: Mise en mémoire  0%";
  const std::string second = "trace.zbx: Etape N°2  0%";
  const std::size_t first_columns = first.size() - 2;  // "°" and "é" are one column each
  EXPECT_EQ(err.writes[1], Joined({"\r", second, std::string(first_columns - (second.size() - 1), ' ')}));

  host.ShowMessage("Erreur dans le module de conversion ZRB -> Vestamar", MessageIcon::Error);
  ASSERT_EQ(err.writes.size(), 4u);
  EXPECT_EQ(err.writes[2], Joined({"\r", std::string(first_columns, ' '), "\r"}));
  EXPECT_EQ(err.writes[3], "tessaline-convert: cartes/trace.zbx: Erreur dans le module de conversion ZRB -> Vestamar\n");
  host.EndFile();  // already erased: nothing more
  EXPECT_EQ(err.writes.size(), 4u);
}

TEST_F(ConsoleHostTest, CompletionAndEndOfFileEraseTheProgressLine) {
  ConsoleHost host = MakeHost(false, true);
  host.BeginFile("route_TRK.txt");
  host.SetStepText("Etape N°4: Enregistrement dans Fichier");
  host.ShowCompletion("Traitement du fichier route_TRK.txt terminé.");
  const std::string drawn = "route_TRK.txt: Etape N°4: Enregistrement dans Fichier";
  EXPECT_EQ(err.writes.front(), Joined({"\r", drawn}));
  EXPECT_EQ(err.writes.back(), Joined({"\r", std::string(drawn.size() - 1, ' '), "\r"}));
  EXPECT_EQ(out.All(), "Traitement du fichier route_TRK.txt terminé.\n");

  // A conversion that stops shows nothing; its progress line still goes.
  host.BeginFile("autre_TRK.txt");
  host.SetStepText("Etape N°1: Recherche du type de données");
  const std::size_t before = err.writes.size();
  host.EndFile();
  ASSERT_EQ(err.writes.size(), before + 1);
  EXPECT_EQ(err.writes.back().front(), '\r');
  EXPECT_EQ(err.writes.back().back(), '\r');
}

TEST_F(ConsoleHostTest, UnchangedPercentagesCostNoRedraw) {
  ConsoleHost host = MakeHost(false, true);
  host.BeginFile("trace.zbx");
  host.SetStepText("Etape N°1: Mise en mémoire");
  host.SetMainPercentage("5%");
  const std::size_t writes = err.writes.size();
  for (int line = 0; line < 1000; ++line) host.SetMainPercentage("5%");
  EXPECT_EQ(err.writes.size(), writes);
}

TEST_F(ConsoleHostTest, ProgressLineStaysWithinTheTerminalWidth) {
  ConsoleHost host = MakeHost(false, true, 20);
  host.BeginFile("é_très_long_nom_de_fichier.zbx");
  host.SetStepText("Etape N°1: Mise en mémoire");
  ASSERT_EQ(err.writes.size(), 1u);
  // 19 characters after the carriage return, some of two bytes.
  EXPECT_EQ(err.writes[0], "\ré_très_long_nom_de_");
}

TEST_F(ConsoleHostTest, EachFileStartsWithAFreshProgressLine) {
  ConsoleHost host = MakeHost(false, true);
  host.BeginFile("a.zbx");
  host.SetStepText("Etape N°3: Création TRK");
  host.SetInnerPercentage("40%");
  host.EndFile();
  host.BeginFile("b_TRK.txt");
  host.SetStepText("Etape N°1: Recherche du type de données");
  EXPECT_EQ(err.writes.back(), "\rb_TRK.txt: Etape N°1: Recherche du type de données");
}

bool stop_now = false;
bool StopNow() { return stop_now; }

TEST_F(ConsoleHostTest, YieldStopsOnlyWhenTheUserAsked) {
  ConsoleHost plain = MakeHost(false, false);
  EXPECT_FALSE(plain.Yield());

  ConsoleHostOptions options;
  options.stop_requested = &StopNow;
  ConsoleHost host(files, out, err, options);
  stop_now = false;
  EXPECT_FALSE(host.Yield());
  stop_now = true;
  EXPECT_TRUE(host.Yield());
  EXPECT_TRUE(host.StopRequested());
  stop_now = false;
}

}  // namespace
}  // namespace tessaline::cli
