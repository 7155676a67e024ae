#include "shell/qt/navy.h"

#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QUrl>
#include <vector>

#include "shell/logic/window_texts.h"
#include "shell/qt/artwork.h"
#include "shell/qt/controls.h"

namespace tessaline {

namespace {

// The layout is kept in twips, 15 to a device-independent pixel.
constexpr int kQtTwipsPerPixel = 15;
constexpr int Px(int twips) { return twips / kQtTwipsPerPixel; }
QRect TwipsRect(const ControlSpec& row) {
  return QRect(Px(row.left), Px(row.top), Px(row.width), Px(row.height));
}

// The disc the window is cut to: 290 across, centred on the sphere.
const QRect kDiscBounds(kRegion[0] + 1, kRegion[1] + 1, kRegion[2] - kRegion[0],
                        kRegion[3] - kRegion[1]);

// Tahoma where the system has it; on Linux Wine's copy lies outside the
// font configuration's folders and is loaded from its file.
QString FamilyOf(const FontSpec& font) {
  const QString family = QString::fromUtf8(font.family);
  if (family != QLatin1String("Tahoma")) return family;
  static const QString tahoma = [] {
    const QString wine_copy = QStringLiteral("/usr/share/wine/fonts/tahoma.ttf");
    if (QFile::exists(wine_copy)) {
      const int id = QFontDatabase::addApplicationFont(wine_copy);
      const QStringList families = QFontDatabase::applicationFontFamilies(id);
      if (!families.isEmpty()) return families.first();
    }
    return QStringLiteral("Tahoma");
  }();
  return tahoma;
}

QFont FontOf(const FontSpec& row) {
  QFont font(FamilyOf(row));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(row.points);
  return font;
}

// The path the file system is given for a dropped file.
std::string LocalPath(const QString& path) {
#ifdef Q_OS_WIN
  return QDir::toNativeSeparators(path).toStdString();
#else
  // The file name's own bytes, also when they are not valid in the locale.
  return QFile::encodeName(path).toStdString();
#endif
}

// The local files a drop carries, in drop order; other URLs are no files.
std::vector<std::string> DroppedFiles(const QMimeData* data) {
  std::vector<std::string> paths;
  if (data == nullptr || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) paths.push_back(LocalPath(url.toLocalFile()));
  }
  return paths;
}

// The surface's events, handed to the window's motion.
class MotionEvents : public SurfaceEvents {
 public:
  explicit MotionEvents(MotionBinding& motion) : motion_(motion) {}
  void MousePress(const QMouseEvent& event) override { motion_.MousePress(event); }
  void MouseMove(const QMouseEvent& event) override { motion_.MouseMove(event); }
  void MouseRelease(const QMouseEvent& event) override { motion_.MouseRelease(event); }
  void KeyPress(const QKeyEvent& event) override { motion_.KeyPress(event); }

 private:
  MotionBinding& motion_;
};

}  // namespace

Navy::Navy(NavyServices services) : QWidget(nullptr), view_(this) {
  setObjectName(QStringLiteral("Navy"));
  setWindowTitle(QString::fromUtf8(window_texts::kTitle));
  setWindowIcon(TessalineIcon());
  // No frame, no taskbar button, above the other windows.
  setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  // Appearing must not take the keyboard from the user's work; the window
  // can still be given the focus later.
  setAttribute(Qt::WA_ShowWithoutActivating);
  // The window is shown without activation, and may never be activated:
  // its tooltips must show all the same.
  setAttribute(Qt::WA_AlwaysShowToolTips);
  setFocusPolicy(Qt::StrongFocus);
  setFixedSize(kClientWidth, kClientHeight);
  setMouseTracking(true);
  setAcceptDrops(true);
  setFont(FontOf(kDefaultFont));

  logic_ = std::make_unique<NavyLogic>(view_, std::move(services));
  view_.SetScheduler([this] {
    // Converting only once the drop event has returned.
    QMetaObject::invokeMethod(this, &Navy::RunDroppedFiles, Qt::QueuedConnection);
  });
  BuildControls();

  motion_ = std::make_unique<MotionBinding>(*this);
  motion_->SetHoverOut([this] { SetCommandLabelsRegular(); });
  motion_events_ = std::make_unique<MotionEvents>(*motion_);
  surface_events_ = motion_events_.get();
  tray_ = std::make_unique<TrayBinding>(*this, TessalineIcon());
  tray_->WatchLabel4(*LabelOf(ControlId::Label4));
  hide_action_ = [this] { tray_->Label4Clicked(); };
}

Navy::~Navy() = default;

NavyLabel* Navy::LabelOf(ControlId id) const { return qobject_cast<NavyLabel*>(view_.Control(id)); }

// Created back to front, as the table runs: each control lies in front of
// those made before.
void Navy::BuildControls() {
  for (const ControlSpec& row : ControlTable()) {
    QWidget* control = nullptr;
    switch (row.kind) {
      case ControlKind::Label: {
        NavyLabel* label = row.id == ControlId::LblFichiers
                               ? new DropLabel(QString::fromUtf8(row.caption), this)
                               : new NavyLabel(QString::fromUtf8(row.caption), this);
        label->setFont(FontOf(row.font));
        if (row.text_color) label->SetTextColor(BgrColor(*row.text_color));
        if (row.fill) label->SetBackgroundColor(BgrColor(*row.fill));
        label->SetBordered(row.border_width > 0);
        // Only the step text may take a second line.
        label->setWordWrap(row.id == ControlId::LblStatus);
        if (row.tooltip != nullptr) label->setToolTip(QString::fromUtf8(row.tooltip));
        control = label;
        break;
      }
      case ControlKind::Circle:
      case ControlKind::Rectangle:
        control = new ShapeControl(row.kind == ControlKind::Circle ? ShapeControl::Kind::Circle
                                                                    : ShapeControl::Kind::Rectangle,
                                   BgrColor(row.fill.value_or(kWhiteBgr)), row.border_width, this);
        break;
      case ControlKind::Line:
        control = new LineControl(Px(row.left), Px(row.left + row.width), Px(row.top), this);
        break;
      case ControlKind::Button:
        control = new CompletionButton(QString::fromUtf8(row.caption), this);
        break;
    }
    control->setObjectName(QString::fromUtf8(row.name));
    if (row.kind != ControlKind::Line) control->setGeometry(TwipsRect(row));
    if (!row.visible) control->hide();
    view_.Register(row.id, control);
  }

  NavyLabel* label3 = LabelOf(ControlId::Label3);
  NavyLabel* label4 = LabelOf(ControlId::Label4);
  connect(LabelOf(ControlId::Label1), &NavyLabel::clicked, this, [this] { logic_->Label1Clicked(); });
  connect(LabelOf(ControlId::Label2), &NavyLabel::clicked, this, [this] { logic_->Label2Clicked(); });
  connect(label3, &NavyLabel::pointerMoved, this, [this] { logic_->HoverLabel3(); });
  connect(label3, &NavyLabel::clicked, this, [this] { logic_->CloseRequested(); });
  connect(label4, &NavyLabel::pointerMoved, this, [this] { logic_->HoverLabel4(); });
  connect(label4, &NavyLabel::clicked, this, [this] {
    if (hide_action_) hide_action_();
  });
  connect(static_cast<DropLabel*>(view_.Control(ControlId::LblFichiers)), &DropLabel::dropped, this,
          &Navy::Dropped);
  connect(static_cast<CompletionButton*>(view_.Control(ControlId::CmdOK)), &QPushButton::clicked,
          this, [this] { logic_->CmdOkClicked(); });
}

void Navy::Load() {
  // Cut to the disc before the window first appears, so that the square's
  // corners never flash.
  setMask(QRegion(kDiscBounds, QRegion::Ellipse));
  logic_->Load();
  show();
}

void Navy::paintEvent(QPaintEvent*) {
  const qreal ratio = devicePixelRatioF();
  if (picture_.isNull() || picture_.devicePixelRatio() != ratio) picture_ = SpherePicture(ratio);
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  painter.drawImage(QPointF(0, 0), picture_);
}

void Navy::mousePressEvent(QMouseEvent* event) {
  if (surface_events_ != nullptr) surface_events_->MousePress(*event);
  event->accept();
}

void Navy::mouseMoveEvent(QMouseEvent* event) {
  // Once per move: whoever takes the surface's events clears the hover.
  if (surface_events_ != nullptr) {
    surface_events_->MouseMove(*event);
  } else {
    SetCommandLabelsRegular();
  }
  event->accept();
}

void Navy::mouseReleaseEvent(QMouseEvent* event) {
  if (surface_events_ != nullptr) surface_events_->MouseRelease(*event);
  event->accept();
}

void Navy::keyPressEvent(QKeyEvent* event) {
  if (surface_events_ != nullptr) surface_events_->KeyPress(*event);
  QWidget::keyPressEvent(event);
}

// Closed by the windowing system (Alt+F4, log-off). Hiding into the
// notification area does not come here.
void Navy::closeEvent(QCloseEvent* event) {
  event->accept();
  logic_->CloseRequested();
}

bool Navy::InDropTarget(QPointF at) const {
  const QWidget* target = view_.Control(ControlId::LblFichiers);
  const QWidget* completion = view_.Control(ControlId::CmdOK);
  return target->acceptDrops() && completion->isHidden() &&
         target->geometry().contains(at.toPoint());
}

// Taken at the window's edge so that the moves that follow arrive; whether
// the pointer is over the target is decided on each move and at the drop.
void Navy::dragEnterEvent(QDragEnterEvent* event) {
  if (ChooseSafeDropAction(event)) {
    event->accept();
  } else {
    event->ignore();
  }
}

void Navy::dragMoveEvent(QDragMoveEvent* event) {
  if (InDropTarget(event->position()) && ChooseSafeDropAction(event)) {
    event->accept();
  } else {
    event->ignore();
  }
}

void Navy::dropEvent(QDropEvent* event) {
  if (!InDropTarget(event->position()) || !ChooseSafeDropAction(event)) {
    event->ignore();
    return;
  }
  event->accept();
  Dropped(event->mimeData());
}

void Navy::Dropped(const QMimeData* data) { logic_->Dropped(DroppedFiles(data)); }

void Navy::RunDroppedFiles() {
  logic_->RunDroppedFiles();
  emit conversionsFinished();
}

}  // namespace tessaline
