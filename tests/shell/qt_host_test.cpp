// The host the converters report through: what each operation does to the
// panel, the message box, and the yield.

#include "shell/qt/qt_host.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "shell/qt/controls.h"

namespace tessaline {
namespace {

class QtHostTest : public ::testing::Test {
 protected:
  QtHostTest() {
    panel.status = &status;
    panel.main_percentage = &main_percentage;
    panel.inner_percentage = &inner_percentage;
    for (std::size_t i = 0; i < 4; ++i) panel.steps[i] = steps[i].get();
    panel.completion = &completion;
    completion.hide();
  }

  QWidget window;
  NavyLabel status{QString(), &window};
  NavyLabel main_percentage{QString(), &window};
  NavyLabel inner_percentage{QString(), &window};
  std::unique_ptr<ShapeControl> steps[4] = {
      std::make_unique<ShapeControl>(ShapeControl::Kind::Rectangle, Qt::red, 3, &window),
      std::make_unique<ShapeControl>(ShapeControl::Kind::Rectangle, Qt::red, 3, &window),
      std::make_unique<ShapeControl>(ShapeControl::Kind::Rectangle, Qt::red, 3, &window),
      std::make_unique<ShapeControl>(ShapeControl::Kind::Rectangle, Qt::red, 3, &window)};
  CompletionButton completion{QStringLiteral("OK"), &window};
  PanelControls panel;
};

TEST_F(QtHostTest, PanelOperationsSetTheControls) {
  QtHost host(panel, &window);
  host.SetStepText("Etape N°1: Mise en mémoire");
  host.SetMainPercentage("37%");
  host.SetInnerPercentage("100%");
  EXPECT_EQ(status.text(), "Etape N°1: Mise en mémoire");
  EXPECT_EQ(main_percentage.text(), "37%");
  EXPECT_EQ(inner_percentage.text(), "100%");

  // Markup in a caption stays text.
  host.SetStepText("<b>gras</b>");
  EXPECT_EQ(status.textFormat(), Qt::PlainText);

  host.MarkStepFinished(2);
  host.MarkStepFinished(0);
  host.MarkStepFinished(5);
  EXPECT_EQ(steps[0]->FillColor(), QColor(Qt::red));
  EXPECT_EQ(steps[1]->FillColor(), QColor(0, 255, 0));
  EXPECT_EQ(steps[2]->FillColor(), QColor(Qt::red));

  // An "&" in a file name is shown, not turned into a shortcut.
  host.ShowCompletion("Traitement du fichier a&b.zbx terminé.");
  EXPECT_FALSE(completion.isHidden());
  EXPECT_EQ(completion.Caption(), "Traitement du fichier a&b.zbx terminé.");
  EXPECT_EQ(completion.text(), "Traitement du fichier a&&b.zbx terminé.");
  EXPECT_TRUE(completion.shortcut().isEmpty());
}

TEST_F(QtHostTest, MessagesAreBoxesUnderTheTitleWithOneOkButton) {
  QtHost host(panel, &window);
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
TEST_F(QtHostTest, YieldRunsPendingEventsAndAnswersStop) {
  QtHost host(panel, &window);
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
  EXPECT_LE(slow_lines, 20 + QtHost::kMaxCheckStride + 20);

  host.RequestStop();
  EXPECT_TRUE(host.Yield());
  host.ClearStopRequest();
  EXPECT_FALSE(host.Yield());
}

}  // namespace
}  // namespace tessaline
