// The host the converters report through, inside the window: what each
// operation does to the panel's widgets, the message box, and the yield.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "navy_fixture.h"

namespace tessaline::testing {
namespace {

class NavyPanelTest : public NavyTest {
 protected:
  NavyPanelTest() {
    services_.present_message = nullptr;  // the window's own message boxes
    MakeNavy();
  }
  PanelHost& Host() { return navy_->PanelHost(); }
  QString Text(const char* name) { return Label(name)->text(); }
  QColor Fill(const char* name) { return Control<ShapeControl>(name)->FillColor(); }
};

TEST_F(NavyPanelTest, PanelOperationsSetTheControls) {
  PanelHost& host = Host();
  host.SetStepText("Etape N°1: Mise en mémoire");
  host.SetMainPercentage("37%");
  host.SetInnerPercentage("100%");
  EXPECT_EQ(Text("lblStatus"), "Etape N°1: Mise en mémoire");
  EXPECT_EQ(Text("lblFichiers"), "37%");
  EXPECT_EQ(Text("lblDetails"), "100%");

  // Markup in a caption stays text.
  host.SetStepText("<b>gras</b>");
  EXPECT_EQ(Label("lblStatus")->textFormat(), Qt::PlainText);

  host.MarkStepFinished(2);
  host.MarkStepFinished(0);
  host.MarkStepFinished(5);
  EXPECT_EQ(Fill("ShpEtape1"), QColor(Qt::red));
  EXPECT_EQ(Fill("ShpEtape2"), QColor(0, 255, 0));
  EXPECT_EQ(Fill("ShpEtape3"), QColor(Qt::red));

  // An "&" in a file name is shown, not turned into a shortcut.
  host.ShowCompletion("Traitement du fichier a&b.zbx terminé.");
  auto* completion = Control<CompletionButton>("cmdOK");
  EXPECT_FALSE(completion->isHidden());
  EXPECT_EQ(completion->Caption(), "Traitement du fichier a&b.zbx terminé.");
  EXPECT_EQ(completion->text(), "Traitement du fichier a&&b.zbx terminé.");
  EXPECT_TRUE(completion->shortcut().isEmpty());
}

TEST_F(NavyPanelTest, MessagesAreBoxesUnderTheTitleWithOneOkButton) {
  PanelHost& host = Host();
  struct Seen {
    QString title, text, details;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
  };
  std::vector<Seen> seen;
  // Each box is read and closed from the event loop it runs.
  std::function<void()> answer = [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) {
      QTimer::singleShot(10, answer);
      return;
    }
    seen.push_back({box->windowTitle(), box->text(), box->informativeText(), box->icon(),
                    static_cast<int>(box->buttons().size())});
    box->button(QMessageBox::Ok)->click();
  };
  QTimer::singleShot(0, answer);
  ConversionNotes notes;
  notes.reason = "ligne 12 : moins de quatre champs";
  notes.warnings = {{"trace.zbx", 3, "1 nom coupé à 50 caractères"}};
  host.ShowMessage("Erreur dans le module de conversion ZRB -> Vestamar", MessageIcon::Error, notes);
  QTimer::singleShot(0, answer);
  host.ShowMessage("Problème de format: Ce fichier ne peut pas être traité.", MessageIcon::Information);

  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].title, "Tessaline Pro v4.0");
  EXPECT_EQ(seen[0].text, "Erreur dans le module de conversion ZRB -> Vestamar");
  EXPECT_EQ(seen[0].icon, QMessageBox::Critical);
  EXPECT_EQ(seen[0].buttons, 1);
  // The reason, then the warnings met before the failure, under the message.
  EXPECT_EQ(seen[0].details,
            "ligne 12 : moins de quatre champs\nligne 3 : avertissement : 1 nom coupé à 50 caractères");
  EXPECT_EQ(seen[1].details, "");
  EXPECT_EQ(seen[1].icon, QMessageBox::Information);
  EXPECT_EQ(seen[1].text, "Problème de format: Ce fichier ne peut pas être traité.");
}

// Only the host's yields run the events here, as inside a conversion.
TEST_F(NavyPanelTest, YieldRunsPendingEventsAndAnswersStop) {
  PanelHost& host = Host();
  QObject receiver;
  int handled = 0;
  auto post = [&] { QMetaObject::invokeMethod(&receiver, [&] { ++handled; }, Qt::QueuedConnection); };

  post();
  EXPECT_FALSE(host.Yield());  // the first yield runs them at once
  EXPECT_EQ(handled, 1);

  // Many quick lines, then lines of half a millisecond each: the events
  // still run a little after 10 ms, not after as many slow lines as the
  // quick ones let the host skip looking at the clock.
  for (int i = 0; i < 100000; ++i) host.Yield();
  post();
  int slow_lines = 0;
  while (handled < 2 && slow_lines < 200) {
    QElapsedTimer line;
    line.start();
    while (line.nsecsElapsed() < 500'000) {
    }
    host.Yield();
    ++slow_lines;
  }
  EXPECT_EQ(handled, 2);
  EXPECT_LE(slow_lines, 20 + YieldPacer::kMaxCheckStride + 20);

  host.RequestStop();
  EXPECT_TRUE(host.Yield());
}

}  // namespace
}  // namespace tessaline::testing
