// The direction selector, the drop on lblFichiers with both converters, the
// completion button's reset, and the ends of the program while converting.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QMouseEvent>
#include <QTest>
#include <filesystem>

#include "navy_fixture.h"

namespace tessaline::testing {
namespace {

const QColor kLightCyan(0x80, 0xFF, 0xFF);

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class NavyDropTest : public NavyTest {
 protected:
  NavyDropTest() { MakeNavy(); }

  bool Selected(const char* name) {
    return Label(name)->TextColor() == QColor(Qt::white) &&
           Label(name)->BackgroundColor() == QColor(Qt::black);
  }
  bool Unselected(const char* name) {
    return Label(name)->TextColor() == QColor(Qt::black) &&
           Label(name)->BackgroundColor() == kLightCyan;
  }
  bool AcceptsDrops() { return navy_->Core().Logic().AcceptsDrops(); }
  bool DirectionLabelsShown() {
    return Control("Label1")->isVisible() && Control("Label2")->isVisible();
  }
  std::vector<QColor> Steps() {
    std::vector<QColor> colours;
    for (const char* name : {"ShpEtape1", "ShpEtape2", "ShpEtape3", "ShpEtape4"}) {
      colours.push_back(Control<ShapeControl>(name)->FillColor());
    }
    return colours;
  }
  QString Text(const char* name) { return Label(name)->text(); }
  QString Caption() { return Control<CompletionButton>("cmdOK")->Caption(); }
  bool Completed() { return Control("cmdOK")->isVisible(); }

  // A left press and release on a control, posted: handled by the next
  // yield of a conversion.
  static void PostClick(QWidget* widget) {
    const QPointF at(3, 3);
    QCoreApplication::postEvent(widget, new QMouseEvent(QEvent::MouseButtonPress, at, widget->mapToGlobal(at),
                                                       Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(widget, new QMouseEvent(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at),
                                                       Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
  }

  const std::vector<QColor> all_red_ = std::vector<QColor>(4, QColor(Qt::red));
  const std::vector<QColor> all_green_ = std::vector<QColor>(4, QColor(Qt::green));
};

TEST_F(NavyDropTest, TheDirectionLabelsChooseTheConverter) {
  EXPECT_TRUE(navy_->SensConversion());
  EXPECT_TRUE(Selected("Label1"));

  Click(Label("Label2"));
  EXPECT_FALSE(navy_->SensConversion());
  EXPECT_TRUE(Selected("Label2"));
  EXPECT_TRUE(Unselected("Label1"));

  Click(Label("Label2"));  // again: nothing changes
  EXPECT_FALSE(navy_->SensConversion());
  EXPECT_TRUE(Selected("Label2"));
  EXPECT_TRUE(Unselected("Label1"));

  // A press that leaves the label before its release is no click.
  QTest::mousePress(Label("Label1"), Qt::LeftButton, {}, QPoint(3, 3));
  QTest::mouseRelease(Label("Label1"), Qt::LeftButton, {}, QPoint(3, 40));
  EXPECT_FALSE(navy_->SensConversion());

  Click(Label("Label1"));
  EXPECT_TRUE(navy_->SensConversion());
  EXPECT_TRUE(Selected("Label1"));
  EXPECT_TRUE(Unselected("Label2"));
}

// A file refused by name: the message comes from inside the conversion,
// which starts only after the drop event has returned.
TEST_F(NavyDropTest, TheDropHidesTheLabelsAndConvertsOnceTheDropHasReturned) {
  const std::string path = WriteFile("notes.txt", "nothing\r\n");
  bool checked_inside = false;
  on_message_ = [&] {
    EXPECT_EQ(navy_->State(), NavyState::Converting);
    EXPECT_EQ(navy_->FichierDepose(), path);
    EXPECT_FALSE(DirectionLabelsShown());
    EXPECT_FALSE(AcceptsDrops());
    checked_inside = true;
  };

  ASSERT_TRUE(DropFiles({path}));
  EXPECT_EQ(navy_->State(), NavyState::Converting);
  EXPECT_EQ(navy_->FichierDepose(), path);
  EXPECT_FALSE(Control("Label1")->isVisible());
  EXPECT_FALSE(Control("Label2")->isVisible());
  EXPECT_FALSE(AcceptsDrops());
  EXPECT_TRUE(messages_.empty());

  WaitUntilSettled();
  EXPECT_TRUE(checked_inside);
  EXPECT_EQ(messages_, (std::vector<ShownMessage>{{kFormatMessage, MessageIcon::Information}}));
  EXPECT_EQ(navy_->State(), NavyState::Idle);
  EXPECT_EQ(navy_->FichierDepose(), "");
  EXPECT_TRUE(DirectionLabelsShown());
  EXPECT_TRUE(AcceptsDrops());
  EXPECT_TRUE(Selected("Label1"));
  // The panel is left as it was.
  EXPECT_EQ(Text("lblStatus"), "Statut");
  EXPECT_EQ(Text("lblFichiers"), "Prêt");
  EXPECT_EQ(Steps(), all_red_);
  EXPECT_FALSE(Completed());
}

TEST_F(NavyDropTest, ADeviceFileBecomesTrackAndWaypointFilesAndCmdOkResetsThePanel) {
  const std::string path = WriteFile("trace.zbx", kSmallDeviceFile);
  ASSERT_TRUE(DropFiles({path}));
  WaitUntilSettled();

  EXPECT_TRUE(messages_.empty()) << messages_.front().text;
  EXPECT_EQ(navy_->State(), NavyState::Done);
  EXPECT_TRUE(Completed());
  EXPECT_EQ(Caption(), "Traitement du fichier trace.zbx terminé.");
  EXPECT_EQ(Steps(), all_green_);
  EXPECT_EQ(Text("lblDetails"), "100%");
  EXPECT_EQ(Text("lblFichiers"), "100 %");
  EXPECT_TRUE(DirectionLabelsShown());
  EXPECT_TRUE(AcceptsDrops());
  EXPECT_TRUE(Selected("Label1"));
  const std::string track = ReadWholeFile(folder_.File("trace_TRK.txt"));
  EXPECT_EQ(track.rfind("T;Concarneau;1;1\r\nP;-3.919000000000000;47.870200000000000;4.50;-9999;", 0), 0u)
      << track;
  EXPECT_EQ(ReadWholeFile(folder_.File("trace_WPT.txt")).rfind("W;Basse Jaune;;-3.957500000000000;", 0), 0u);
  EXPECT_FALSE(FileExists(services_.staging.program_folder + "/ZRB_DB.dat"));

  Click(Control("cmdOK"));
  EXPECT_FALSE(Completed());
  EXPECT_EQ(navy_->State(), NavyState::Idle);
  EXPECT_EQ(Steps(), all_red_);
  EXPECT_EQ(Text("lblFichiers"), "Prêt");
  EXPECT_EQ(Text("lblDetails"), "");
  EXPECT_EQ(Text("lblStatus"), "En attente d'un nouveau fichier...");
  EXPECT_EQ(Caption(), "Traitement du fichier trace.zbx terminé.");
}

TEST_F(NavyDropTest, AfterLabel2TheDropGoesChartToDevice) {
  Click(Label("Label2"));
  const std::string path = WriteFile("rade_TRK.txt", kSmallTrackFile);
  ASSERT_TRUE(DropFiles({path}));
  WaitUntilSettled();

  EXPECT_TRUE(messages_.empty()) << messages_.front().text;
  EXPECT_EQ(ReadWholeFile(folder_.File("rade_TRK.asc")).substr(0, 45),
            "48.379000000000000,-4.495000000000000,8.50,\"R");
  EXPECT_EQ(Caption(), "Traitement du fichier rade_TRK.txt terminé.");
  EXPECT_EQ(navy_->State(), NavyState::Done);
  EXPECT_TRUE(Selected("Label2"));
  EXPECT_FALSE(navy_->SensConversion());

  // A file that is not there: the chart converter's own message.
  Click(Control("cmdOK"));
  ASSERT_TRUE(DropFiles({folder_.File("absent_TRK.txt")}));
  WaitUntilSettled();
  EXPECT_EQ(messages_, (std::vector<ShownMessage>{{kChartToDeviceError, MessageIcon::Error}}));
  // The reason under the message.
  EXPECT_EQ(message_details_, std::vector<std::string>{"absent_TRK.txt : Aucun fichier ou dossier de ce type"});
  EXPECT_EQ(navy_->State(), NavyState::Idle);
  EXPECT_TRUE(DirectionLabelsShown());
}

// A GPX file, whatever its name, takes the chart-to-device road with that
// direction's panel texts; in the other direction it is refused by name.
TEST_F(NavyDropTest, AGpxFileDroppedAfterLabel2BecomesTheDeviceFile) {
  Click(Label("Label2"));
  const std::string path = WriteFile(
      "export.xml",
      "<?xml version=\"1.0\"?><gpx version=\"1.1\" creator=\"x\" xmlns=\"http://www.topografix.com/GPX/1/1\">"
      "<wpt lat=\"48.379\" lon=\"-4.495\"><name>Rade</name></wpt></gpx>");
  ASSERT_TRUE(DropFiles({path}));
  WaitUntilSettled();
  EXPECT_TRUE(messages_.empty()) << messages_.front().text;
  EXPECT_EQ(ReadWholeFile(folder_.File("export.asc")), "48.379000000000000,-4.495000000000000,-9999,\"Rade\",1\r\n");
  EXPECT_EQ(Caption(), "Traitement du fichier export.xml terminé.");
  EXPECT_EQ(Text("lblStatus"), "Etape N°4: Enregistrement dans Fichier");
  EXPECT_EQ(navy_->State(), NavyState::Done);
}

// Text dragged from an editor: the converter gets an empty path and says
// it cannot work on it, in either direction.
TEST_F(NavyDropTest, ADropWithoutAFileHandsAnEmptyPathToTheConverter) {
  QMimeData text;
  text.setText(QStringLiteral("47.87,-3.91,4.5,\"A\",1"));
  on_message_ = [&] { EXPECT_EQ(navy_->FichierDepose(), ""); };

  ASSERT_TRUE(Drop(text));
  WaitUntilSettled();
  Click(Label("Label2"));
  QMimeData web;
  web.setUrls({QUrl(QStringLiteral("https://example.org/trace.zbx"))});
  ASSERT_TRUE(Drop(web));
  WaitUntilSettled();

  EXPECT_EQ(messages_, (std::vector<ShownMessage>{{kFormatMessage, MessageIcon::Information},
                                                  {kChartToDeviceError, MessageIcon::Error}}));
  EXPECT_TRUE(DirectionLabelsShown());
  EXPECT_TRUE(AcceptsDrops());
  EXPECT_EQ(navy_->State(), NavyState::Idle);
}

TEST_F(NavyDropTest, WhileConvertingASecondDropIsRefused) {
  const std::string first = WriteFile("first.txt", "x\r\n");
  const std::string second = WriteFile("second.zbx", kSmallDeviceFile);
  bool refused = false;
  on_message_ = [&] {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(second))});
    refused = !Drop(data);
  };
  ASSERT_TRUE(DropFiles({first}));
  WaitUntilSettled();
  EXPECT_TRUE(refused);
  EXPECT_EQ(messages_.size(), 1u);
  EXPECT_FALSE(FileExists(folder_.File("second_TRK.txt")));
  EXPECT_FALSE(Completed());

  // A drop that could only move the file is refused at any time: the
  // application it came from would delete it.
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(second))});
  QDragEnterEvent move_only(QPoint(5, 5), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(navy_.get(), &move_only);
  EXPECT_FALSE(move_only.isAccepted());
}

TEST_F(NavyDropTest, SeveralFilesAreConvertedInDropOrderWithAResetBetween) {
  const std::string a = WriteFile("a.zbx", kSmallDeviceFile);
  const std::string bad = WriteFile("b.txt", "x\r\n");
  const std::string c = WriteFile("c.zbx", kSmallDeviceFile);
  std::vector<std::string> seen;
  on_message_ = [&] {
    seen.push_back(navy_->FichierDepose());
    // The reset before this file hid the first file's completion.
    EXPECT_FALSE(Completed());
    EXPECT_EQ(Steps(), all_red_);
    EXPECT_EQ(Text("lblStatus"), "En attente d'un nouveau fichier...");
  };

  ASSERT_TRUE(DropFiles({a, bad, c}));
  WaitUntilSettled();
  EXPECT_EQ(seen, (std::vector<std::string>{bad}));
  EXPECT_EQ(messages_.size(), 1u);
  // The failure stopped nothing; the panel shows the last file.
  EXPECT_TRUE(FileExists(folder_.File("a_TRK.txt")));
  EXPECT_TRUE(FileExists(folder_.File("c_WPT.txt")));
  EXPECT_EQ(Caption(), "Traitement du fichier c.zbx terminé.");
  // cmdOK's tooltip keeps what each converted file of the drop gave.
  EXPECT_EQ(Control("cmdOK")->toolTip(),
            "a.zbx : 1 trace (2 points), 1 waypoint\n\nc.zbx : 1 trace (2 points), 1 waypoint");
  EXPECT_EQ(navy_->State(), NavyState::Done);
  EXPECT_EQ(navy_->FichierDepose(), "");

  // Ending on a refused file leaves the panel as the reset made it.
  Click(Control("cmdOK"));
  ASSERT_TRUE(DropFiles({a, bad}));
  WaitUntilSettled();
  EXPECT_EQ(Control("cmdOK")->toolTip(), "a.zbx : 1 trace (2 points), 1 waypoint") << "a new drop, a new tooltip";
  EXPECT_EQ(navy_->State(), NavyState::Idle);
  EXPECT_FALSE(Completed());
  EXPECT_EQ(Text("lblFichiers"), "Prêt");
}

// The close label while a device file converts: the conversion stops at its
// next yield, leaves the earlier outputs as they were and no store behind,
// and then the program ends.
TEST_F(NavyDropTest, Label3DuringAConversionStopsItAndEndsTheProgram) {
  const std::string path = WriteFile("trace.zbx", kSmallDeviceFile);
  WriteFile("trace_TRK.txt", "old tracks");
  WriteFile("trace_WPT.txt", "old waypoints");

  const int code = RunUntilProgramEnds([&] {
    ASSERT_TRUE(DropFiles({path}));
    PostClick(Label("Label3"));
  });
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(messages_.empty());
  EXPECT_FALSE(Completed());
  EXPECT_EQ(ReadWholeFile(folder_.File("trace_TRK.txt")), "old tracks");
  EXPECT_EQ(ReadWholeFile(folder_.File("trace_WPT.txt")), "old waypoints");
  EXPECT_EQ(FilesIn(folder_.path()),
            (std::vector<std::string>{"program", "trace.zbx", "trace_TRK.txt", "trace_WPT.txt"}));
  EXPECT_FALSE(FileExists(services_.staging.program_folder + "/ZRB_DB.dat"));
}

TEST_F(NavyDropTest, ClosedByTheWindowSystemDuringAConversionItStopsFirst) {
  Click(Label("Label2"));
  const std::string first = WriteFile("rade_TRK.txt", kSmallTrackFile);
  const std::string second = WriteFile("autre_TRK.txt", kSmallTrackFile);
  WriteFile("rade_TRK.asc", "old points");

  const int code = RunUntilProgramEnds([&] {
    ASSERT_TRUE(DropFiles({first, second}));
    QMetaObject::invokeMethod(navy_.get(), [&] { navy_->close(); }, Qt::QueuedConnection);
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(ReadWholeFile(folder_.File("rade_TRK.asc")), "old points");
  // The files after the stopped one are given up.
  EXPECT_FALSE(FileExists(folder_.File("autre_TRK.asc")));
  EXPECT_EQ(FilesIn(folder_.path()),
            (std::vector<std::string>{"autre_TRK.txt", "program", "rade_TRK.asc", "rade_TRK.txt"}));
}

}  // namespace
}  // namespace tessaline::testing

namespace tessaline::testing {
namespace {

// The step indicators, Line3 and lblDetails lie in front of lblFichiers and
// take no drops of their own: a drop on them reaches the window, which takes
// it inside lblFichiers' rectangle only, and only while cmdOK is hidden.
TEST_F(NavyDropTest, DropsOnWhatLiesInFrontOfLblFichiersCountAsOnIt) {
  const std::string device = WriteFile("front.zbx", kSmallDeviceFile);
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(device))});
  auto drop_on_window = [&](QPoint at) {
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(navy_.get(), &enter);
    QDragMoveEvent move(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(navy_.get(), &move);
    QDropEvent drop(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(navy_.get(), &drop);
    return move.isAccepted() && drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
  };
  struct Case {
    const char* over;
    QPoint offset;  // from the control's centre
    bool taken;
  };
  const Case cases[] = {{"ShpEtape2", {0, 0}, true},  {"Line3", {0, 0}, true},
                        {"lblDetails", {0, 0}, true}, {"lblFichiers", {-60, -30}, true},
                        {"Label2", {0, 0}, false},    {"Shape1", {0, 80}, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.over);
    EXPECT_EQ(drop_on_window(Control(c.over)->geometry().center() + c.offset), c.taken);
    if (!c.taken) continue;
    WaitUntilSettled();
    EXPECT_TRUE(Completed());
    // Covered by cmdOK, the panel takes nothing.
    EXPECT_FALSE(drop_on_window(Control("ShpEtape2")->geometry().center()));
    Click(Control("cmdOK"));
  }
}

}  // namespace
}  // namespace tessaline::testing
