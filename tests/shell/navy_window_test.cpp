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

// Each row of the control table becomes a widget of its name, at its place,
// with its caption, visibility, wrapping and tooltip.
TEST_F(NavyWindowTest, EveryControlIsBuiltFromItsRowOfTheTable) {
  const PixelScale scale;
  for (const ControlSpec& row : ControlTable()) {
    SCOPED_TRACE(row.name);
    QWidget* control = Control(row.name);
    ASSERT_NE(control, nullptr);
    const PixelRect box = scale.Box(row);
    EXPECT_EQ(control->geometry(), QRect(box.left, box.top, box.width, box.height));
    EXPECT_EQ(control->isVisible(), row.visible);
    if (row.kind != ControlKind::Label) continue;
    NavyLabel* label = Label(row.name);
    EXPECT_EQ(label->text(), QString::fromUtf8(row.caption));
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_TRUE(label->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(label->wordWrap(), row.word_wrap);
    EXPECT_EQ(label->toolTip(), QString::fromUtf8(row.tooltip != nullptr ? row.tooltip : ""));
  }
  EXPECT_EQ(Control<CompletionButton>("cmdOK")->Caption(), "OK");
  // Back to front as the table runs: the command labels lie on the sphere.
  EXPECT_EQ(navy_->childAt(Control("Label3")->geometry().center()), Control("Label3"));
  EXPECT_EQ(navy_->childAt(Control("ShpEtape1")->geometry().center()), Control("ShpEtape1"));
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
  // Pixels 5 to 294 across the middle row and column, as the Windows window.
  for (const QPoint inside : {QPoint(150, 150), QPoint(150, 5), QPoint(5, 150), QPoint(294, 150),
                              QPoint(150, 294), QPoint(216, 40)}) {
    EXPECT_TRUE(disc.contains(inside)) << inside.x() << "," << inside.y();
  }
  for (const QPoint outside : {QPoint(0, 0), QPoint(297, 0), QPoint(0, 301), QPoint(297, 301),
                               QPoint(30, 30), QPoint(150, 4), QPoint(4, 150), QPoint(295, 150),
                               QPoint(150, 295)}) {
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

// The labels' mouse events reach the window's core in the window's own
// coordinates, also after the pointer has left the label pressed.
TEST_F(NavyWindowTest, ALabelPressedThenReleasedElsewhereIsNoClick) {
  QWindow* window = navy_->windowHandle();
  const QPoint label2 = Control("Label2")->geometry().center();
  const QPoint start = navy_->pos();
  QTest::mousePress(window, Qt::LeftButton, {}, label2);
  QTest::mouseMove(window, QPoint(30, 150));
  QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(30, 150));
  EXPECT_TRUE(navy_->SensConversion());
  EXPECT_EQ(navy_->pos(), start);

  QTest::mousePress(window, Qt::LeftButton, {}, label2);
  QTest::mouseRelease(window, Qt::LeftButton, {}, label2 + QPoint(3, 2));
  EXPECT_FALSE(navy_->SensConversion());
}

TEST_F(NavyWindowTest, Label4HidesTheWindowAndTheProgramGoesOn) {
  navy_->SetNotificationAreaCheck([] { return true; });
  const int code = RunUntilProgramEnds([&] {
    Click(Label("Label4"));
    // Still running a moment later: hiding is no end.
    QTimer::singleShot(300, [] { QCoreApplication::exit(7); });
  });
  EXPECT_EQ(code, 7);
  EXPECT_FALSE(navy_->isVisible());
  EXPECT_TRUE(navy_->Core().InTray());
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
