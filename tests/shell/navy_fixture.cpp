#include "navy_fixture.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QTest>
#include <QTimer>
#include <filesystem>

namespace tessaline::testing {

NavyTest::NavyTest() {
  services_.staging.program_folder = folder_.File("program");
  services_.staging.cache_folder = folder_.File("cache");
  std::filesystem::create_directory(services_.staging.program_folder);
  services_.regional = RegionalSettings::C();
  services_.present_message = [this](const std::string& text, MessageIcon icon,
                                     const std::string& details) {
    messages_.push_back({text, icon});
    message_details_.push_back(details);
    if (on_message_) on_message_();
  };
}

NavyTest::~NavyTest() = default;

Navy& NavyTest::MakeNavy() {
  navy_ = std::make_unique<Navy>(services_);
  navy_->Load();
  return *navy_;
}

std::string NavyTest::WriteFile(const char* name, std::string_view content) {
  const std::string path = folder_.File(name);
  WriteWholeFile(path, content);
  return path;
}

bool NavyTest::Drop(const QMimeData& data) {
  // The window takes drags at its edge; a drop counts over lblFichiers.
  QWidget* target = navy_.get();
  const QPoint at = Control("lblFichiers")->geometry().topLeft() + QPoint(10, 10);
  const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
  QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  QDragMoveEvent move(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &move);
  QDropEvent drop(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  return enter.isAccepted() && drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
}

bool NavyTest::DropFiles(const std::vector<std::string>& paths) {
  QList<QUrl> urls;
  for (const std::string& path : paths) urls << QUrl::fromLocalFile(QString::fromStdString(path));
  QMimeData data;
  data.setUrls(urls);
  return Drop(data);
}

void NavyTest::WaitUntilSettled() {
  EXPECT_TRUE(QTest::qWaitFor([this] { return navy_->State() != NavyState::Converting; }, 30000));
}

void NavyTest::Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

int NavyTest::RunUntilProgramEnds(std::function<void()> action) {
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(-1); });
  watchdog.start(30000);
  QTimer::singleShot(0, navy_.get(), std::move(action));
  return QCoreApplication::exec();
}

}  // namespace tessaline::testing
