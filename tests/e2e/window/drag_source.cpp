// A drag source for the end-to-end test: a window covering the screen in
// one known colour (the window under test is checked to let it show around
// its disc). A left press anywhere starts a real drag of the files named on
// the command line, offering to copy or move them, as a file manager does;
// when the drag ends it prints the action the drop target chose.

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QUrl>
#include <QWidget>
#include <cstdio>

namespace {

class DragSource : public QWidget {
 public:
  explicit DragSource(QList<QUrl> urls) : urls_(std::move(urls)) {
    setWindowTitle(QStringLiteral("tessaline drag source"));
    setWindowFlags(Qt::FramelessWindowHint);
  }

 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(255, 0, 255)); }

  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return;
    auto* data = new QMimeData;
    data->setUrls(urls_);
    // On the heap: the drop target asks for the data after exec() has
    // returned, and Qt deletes the drag once the target is done with it.
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    const char* name = action == Qt::CopyAction   ? "copy"
                       : action == Qt::MoveAction ? "move"
                       : action == Qt::LinkAction ? "link"
                                                  : "none";
    std::printf("drop-action %s\n", name);
    std::fflush(stdout);
  }

 private:
  QList<QUrl> urls_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QList<QUrl> urls;
  for (const QString& path : QApplication::arguments().mid(1)) urls << QUrl::fromLocalFile(path);
  DragSource source(urls);
  source.setGeometry(QApplication::primaryScreen()->geometry());
  source.show();
  std::printf("ready\n");
  std::fflush(stdout);
  return application.exec();
}
