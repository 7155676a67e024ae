// The window as it stands: its controls, its shape, the command labels'
// hover, and which mouse events reach the window's own surface.

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QFile>
#include <QFontInfo>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>

#include "navy_fixture.h"
#include "shell/qt/artwork.h"

namespace tessaline::testing {
namespace {

const QColor kLightCyan(0x80, 0xFF, 0xFF);

class NavyWindowTest : public NavyTest {
 protected:
  NavyWindowTest() { MakeNavy(); }
};

TEST_F(NavyWindowTest, EveryControlStandsAtItsPlaceWithItsText) {
  struct Expected {
    const char* name;
    QRect geometry;
    const char* text;  // null: not a label
    bool visible;
  };
  const Expected controls[] = {
      {"Shape1", {40, 56, 217, 185}, nullptr, true},
      {"Label1", {104, 72, 89, 17}, "ZRB -> Vestamar", true},
      {"Line1", {72, 96, 153, 1}, nullptr, true},
      {"lblStatus", {72, 96, 153, 33}, "Statut", true},
      {"cmdOK", {72, 96, 153, 105}, nullptr, false},
      {"lblFichiers", {72, 128, 153, 73}, "Prêt", true},
      {"lblDetails", {192, 128, 33, 17}, "", true},
      {"Line3", {72, 168, 153, 1}, nullptr, true},
      {"ShpEtape1", {80, 176, 33, 17}, nullptr, true},
      {"ShpEtape2", {112, 176, 33, 17}, nullptr, true},
      {"ShpEtape3", {152, 176, 33, 17}, nullptr, true},
      {"ShpEtape4", {184, 176, 33, 17}, nullptr, true},
      {"Line2", {72, 200, 153, 1}, nullptr, true},
      {"Label2", {104, 208, 89, 17}, "Vestamar -> ZRB", true},
      {"Label4", {192, 32, 17, 17}, "/", true},
      {"Label3", {208, 32, 17, 17}, "X", true},
  };
  for (const Expected& expected : controls) {
    SCOPED_TRACE(expected.name);
    QWidget* control = Control(expected.name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->geometry(), expected.geometry);
    EXPECT_EQ(control->isVisible(), expected.visible);
    if (expected.text != nullptr) {
      EXPECT_EQ(Label(expected.name)->text(), QString::fromUtf8(expected.text));
      EXPECT_EQ(Label(expected.name)->textFormat(), Qt::PlainText);
      EXPECT_TRUE(Label(expected.name)->alignment() & Qt::AlignHCenter);
    }
  }
  EXPECT_EQ(Control<CompletionButton>("cmdOK")->Caption(), "OK");
}

TEST_F(NavyWindowTest, ColoursBordersFontsAndTooltips) {
  auto* panel = Control<ShapeControl>("Shape1");
  EXPECT_EQ(panel->kind(), ShapeControl::Kind::Circle);
  EXPECT_EQ(panel->FillColor(), kLightCyan);
  for (const char* name : {"ShpEtape1", "ShpEtape2", "ShpEtape3", "ShpEtape4"}) {
    auto* step = Control<ShapeControl>(name);
    EXPECT_EQ(step->kind(), ShapeControl::Kind::Rectangle) << name;
    EXPECT_EQ(step->FillColor(), QColor(Qt::red)) << name;
    EXPECT_EQ(step->BorderWidth(), 3) << name;
  }

  // Device to chart is selected at start; Label2 keeps its first look.
  EXPECT_EQ(Label("Label1")->TextColor(), QColor(Qt::white));
  EXPECT_EQ(Label("Label1")->BackgroundColor(), QColor(Qt::black));
  EXPECT_EQ(Label("Label2")->TextColor(), navy_->palette().color(QPalette::WindowText));
  EXPECT_EQ(Label("Label2")->BackgroundColor(), kLightCyan);
  for (const char* name : {"Label1", "Label2"}) {
    EXPECT_TRUE(Label(name)->IsOpaque()) << name;
    EXPECT_TRUE(Label(name)->IsBordered()) << name;
  }
  for (const char* name : {"lblStatus", "lblFichiers", "lblDetails"}) {
    EXPECT_FALSE(Label(name)->IsOpaque()) << name;
    EXPECT_TRUE(Label(name)->IsBordered()) << name;
  }
  for (const char* name : {"Label3", "Label4"}) {
    EXPECT_FALSE(Label(name)->IsOpaque()) << name;
    EXPECT_FALSE(Label(name)->IsBordered()) << name;
    EXPECT_EQ(Label(name)->TextColor(), QColor(Qt::white)) << name;
    EXPECT_FALSE(Label(name)->font().bold()) << name;
  }
  EXPECT_EQ(Label("Label4")->toolTip(), "Minimiser l'application");
  EXPECT_EQ(Label("Label3")->toolTip(), "Fermer l'application");

  EXPECT_DOUBLE_EQ(Label("lblStatus")->font().pointSizeF(), 9.75);
  EXPECT_EQ(QFontInfo(Label("lblStatus")->font()).family(),
            QFontInfo(QFont(QStringLiteral("Arial"))).family());
  EXPECT_DOUBLE_EQ(Label("lblFichiers")->font().pointSizeF(), 27.75);
  if (QFile::exists(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf"))) {
    EXPECT_EQ(QFontInfo(Label("lblFichiers")->font()).family(), "Tahoma");
  }
}

TEST_F(NavyWindowTest, ABorderlessToolWindowOnTopCutToTheDisc) {
  EXPECT_EQ(navy_->windowTitle(), "Tessaline Pro v4.0");
  EXPECT_EQ(navy_->size(), QSize(298, 302));
  const Qt::WindowFlags flags = navy_->windowFlags();
  EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
  EXPECT_TRUE(flags & Qt::FramelessWindowHint);
  EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(flags & Qt::WindowDoesNotAcceptFocus);
  EXPECT_TRUE(navy_->testAttribute(Qt::WA_ShowWithoutActivating));
  // Shown without activation, it must show its tooltips all the same.
  EXPECT_TRUE(navy_->testAttribute(Qt::WA_AlwaysShowToolTips));
  EXPECT_TRUE(navy_->isVisible());

  const QRegion disc = navy_->mask();
  for (const QPoint inside : {QPoint(150, 150), QPoint(150, 7), QPoint(7, 150), QPoint(292, 150),
                              QPoint(150, 292), QPoint(216, 40)}) {
    EXPECT_TRUE(disc.contains(inside)) << inside.x() << "," << inside.y();
  }
  for (const QPoint outside : {QPoint(0, 0), QPoint(297, 0), QPoint(0, 301), QPoint(297, 301),
                               QPoint(30, 30), QPoint(150, 3), QPoint(150, 297)}) {
    EXPECT_FALSE(disc.contains(outside)) << outside.x() << "," << outside.y();
  }
}

TEST_F(NavyWindowTest, TheCompletionButtonCoversThePanelWhenShown) {
  navy_->PanelHost().ShowCompletion("Traitement du fichier trace.zbx terminé.");
  QWidget* button = Control("cmdOK");
  EXPECT_TRUE(button->isVisible());
  for (const char* covered : {"lblStatus", "lblFichiers", "lblDetails", "Line3", "ShpEtape1",
                              "ShpEtape2", "ShpEtape3", "ShpEtape4"}) {
    const QRect area = Control(covered)->geometry();
    EXPECT_TRUE(button->geometry().contains(area)) << covered;
    EXPECT_EQ(navy_->childAt(area.center()), button) << covered;
  }
}

// The pointer goes from one command label to the other and onto the sphere,
// routed by the window as the windowing system's moves are.
TEST_F(NavyWindowTest, TheCommandLabelUnderThePointerIsBold) {
  QWindow* window = navy_->windowHandle();
  ASSERT_NE(window, nullptr);
  NavyLabel* close = Label("Label3");
  NavyLabel* hide = Label("Label4");

  QTest::mouseMove(window, hide->geometry().center());
  EXPECT_TRUE(hide->font().bold());
  EXPECT_FALSE(close->font().bold());

  QTest::mouseMove(window, close->geometry().center());
  EXPECT_TRUE(close->font().bold());
  EXPECT_FALSE(hide->font().bold());
  EXPECT_EQ(close->TextColor(), QColor(Qt::white));
  EXPECT_EQ(close->geometry(), QRect(208, 32, 17, 17));

  // Over a direction label nothing changes; over the sphere both go regular.
  QTest::mouseMove(window, Label("Label1")->geometry().center());
  EXPECT_TRUE(close->font().bold());
  QTest::mouseMove(window, QPoint(30, 150));
  EXPECT_FALSE(close->font().bold());
  EXPECT_FALSE(hide->font().bold());
  // So does a step indicator, which is the window's surface too.
  QTest::mouseMove(window, close->geometry().center());
  ASSERT_TRUE(close->font().bold());
  QTest::mouseMove(window, Control("ShpEtape3")->geometry().center());
  EXPECT_FALSE(close->font().bold());

  // The surface's moves count whatever the buttons.
  QTest::mouseMove(window, hide->geometry().center());
  ASSERT_TRUE(hide->font().bold());
  QTest::mousePress(window, Qt::RightButton, {}, QPoint(60, 150));
  QTest::mouseMove(window, QPoint(62, 152));
  EXPECT_FALSE(hide->font().bold());
  QTest::mouseRelease(window, Qt::RightButton, {}, QPoint(62, 152));
}

class RecordingSurface : public SurfaceEvents {
 public:
  void MousePress(const QMouseEvent& event) override { Note("press", event.position()); }
  void MouseMove(const QMouseEvent& event) override { Note("move", event.position()); }
  void MouseRelease(const QMouseEvent& event) override { Note("release", event.position()); }
  void KeyPress(const QKeyEvent& event) override { events.push_back("key " + std::to_string(event.key())); }
  void Note(const std::string& what, QPointF at) {
    events.push_back(what + " " + std::to_string(qRound(at.x())) + "," + std::to_string(qRound(at.y())));
  }
  std::vector<std::string> events;
};

TEST_F(NavyWindowTest, OnlyTheWindowsOwnSurfaceGetsItsMouseAndKeyEvents) {
  RecordingSurface surface;
  navy_->SetSurfaceEvents(&surface);
  QWindow* window = navy_->windowHandle();

  // Pressing, dragging and right-clicking labels and the completion button,
  // with the wheel and the context menu too: none of it reaches the surface.
  navy_->PanelHost().ShowCompletion("Traitement du fichier a.zbx terminé.");
  for (const char* name : {"Label1", "Label2", "Label3", "Label4", "cmdOK"}) {
    const QPoint at = Control(name)->geometry().center();
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
      QTest::mousePress(window, button, {}, at);
      QTest::mouseMove(window, at + QPoint(1, 1));
      QTest::mouseRelease(window, button, {}, at + QPoint(1, 1));
    }
    QWidget* control = Control(name);
    const QPointF local(3, 3);
    QWheelEvent wheel(local, control->mapToGlobal(local), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(control, &wheel);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(3, 3), control->mapToGlobal(QPoint(3, 3)));
    QApplication::sendEvent(control, &menu);
  }
  EXPECT_TRUE(surface.events.empty()) << surface.events.front();

  // The picture, the panel and a line are the surface.
  QTest::mouseMove(window, QPoint(30, 150));
  QTest::mousePress(window, Qt::LeftButton, {}, QPoint(30, 150));
  QTest::mouseMove(window, QPoint(60, 150));
  QTest::mouseMove(window, QPoint(150, 96));
  QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(150, 96));
  QTest::keyClick(navy_.get(), Qt::Key_Escape);
  EXPECT_EQ(surface.events, (std::vector<std::string>{"move 30,150", "press 30,150", "move 60,150", "move 150,96",
                                                      "release 150,96",
                                                      "key " + std::to_string(Qt::Key_Escape)}));

  // The step indicators and the lines in front of lblFichiers belong to the
  // surface, not to the label beneath: they throw and drag the window.
  navy_->PanelHost().HideCompletion();
  for (const char* name : {"ShpEtape1", "ShpEtape4", "Line3", "Line2"}) {
    surface.events.clear();
    const QPoint at = Control(name)->geometry().center();
    const std::string where = std::to_string(at.x()) + "," + std::to_string(at.y());
    QTest::mouseMove(window, at);
    QTest::mousePress(window, Qt::RightButton, {}, at);
    QTest::mouseRelease(window, Qt::RightButton, {}, at);
    EXPECT_EQ(surface.events,
              (std::vector<std::string>{"move " + where, "press " + where, "release " + where}))
        << name;
  }
}

TEST_F(NavyWindowTest, Label4RunsTheHideActionAndTheProgramGoesOn) {
  int hides = 0;
  navy_->SetHideAction([&] {
    ++hides;
    navy_->hide();
  });
  const int code = RunUntilProgramEnds([&] {
    Click(Label("Label4"));
    // Still running a moment later: hiding is no end.
    QTimer::singleShot(300, [] { QCoreApplication::exit(7); });
  });
  EXPECT_EQ(code, 7);
  EXPECT_EQ(hides, 1);
  EXPECT_FALSE(navy_->isVisible());
}

TEST_F(NavyWindowTest, Label3AndTheWindowSystemsCloseEndTheProgram) {
  EXPECT_EQ(RunUntilProgramEnds([&] { Click(Label("Label3")); }), 0);
  EXPECT_EQ(RunUntilProgramEnds([&] { navy_->close(); }), 0);
}

TEST(ArtworkTest, ABlueSphereOnWhiteWithRedLetteringAlongItsUpperRim) {
  const QImage picture = SpherePicture();
  ASSERT_EQ(picture.size(), QSize(300, 300));
  EXPECT_EQ(picture.pixelColor(2, 2), QColor(Qt::white));
  EXPECT_EQ(picture.pixelColor(297, 297), QColor(Qt::white));
  auto bluish = [](QColor c) { return c.blue() > c.red() + 60 && c.blue() > c.green() + 20; };
  EXPECT_TRUE(bluish(picture.pixelColor(150, 260)));
  EXPECT_TRUE(bluish(picture.pixelColor(150, 290)));  // the rim, below
  EXPECT_TRUE(bluish(picture.pixelColor(216, 40)));   // behind the white close label

  int red_above = 0, red_below = 0;
  for (int y = 0; y < 300; ++y) {
    for (int x = 0; x < 300; ++x) {
      const QColor c = picture.pixelColor(x, y);
      if (c.red() > 180 && c.green() < 90 && c.blue() < 90) ++(y < 150 ? red_above : red_below);
    }
  }
  EXPECT_GT(red_above, 100);
  EXPECT_EQ(red_below, 0);

  const QImage sharp = SpherePicture(2.0);
  EXPECT_EQ(sharp.size(), QSize(600, 600));
  EXPECT_EQ(sharp.deviceIndependentSize(), QSizeF(300, 300));
}

TEST(ArtworkTest, TheIconIsTheSphereWithTransparentCorners) {
  for (const int size : {32, 256}) {
    const QImage icon = TessalineIconImage(size);
    ASSERT_EQ(icon.size(), QSize(size, size));
    EXPECT_EQ(icon.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(icon.pixelColor(size - 1, size - 1).alpha(), 0);
    const QColor centre = icon.pixelColor(size / 2, size / 2);
    EXPECT_EQ(centre.alpha(), 255);
    EXPECT_GT(centre.blue(), centre.red() + 60);
  }
  EXPECT_TRUE(TessalineIcon().availableSizes().contains(QSize(32, 32)));
}

}  // namespace
}  // namespace tessaline::testing
