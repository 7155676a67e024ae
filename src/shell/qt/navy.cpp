#include "shell/qt/navy.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QUrl>
#include <QtMath>
#include <vector>

#include "shell/logic/window_texts.h"
#include "shell/qt/artwork.h"
#include "shell/qt/controls.h"
#include "shell/qt/information_box.h"

namespace tessaline {

namespace {

QRect ToQRect(const PixelRect& box) { return QRect(box.left, box.top, box.width, box.height); }

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

// The path of a dropped file URL.
std::string LocalPath(const QUrl& url) {
#ifdef Q_OS_WIN
  return LocalPath(url.toLocalFile());
#else
  // The URL's escapes are the name's bytes; decoding them as text would
  // lose a name that is not valid UTF-8 ("caf%E9_TRK.txt").
  if (!url.host().isEmpty()) return LocalPath(url.toLocalFile());
  return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
#endif
}

// The local files a drop carries, in drop order; other URLs are no files.
std::vector<std::string> DroppedFiles(const QMimeData* data) {
  std::vector<std::string> paths;
  if (data == nullptr || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) paths.push_back(LocalPath(url));
  }
  return paths;
}

int Offered(Qt::DropActions actions) {
  int offered = 0;
  if (actions & Qt::CopyAction) offered |= kDropCopy;
  if (actions & Qt::MoveAction) offered |= kDropMove;
  if (actions & Qt::LinkAction) offered |= kDropLink;
  return offered;
}

// Whether the drag goes on: the action shown is the core's.
bool Answer(QDropEvent* event, DropEffect effect) {
  if (effect == DropEffect::None) {
    event->ignore();
    return false;
  }
  event->setDropAction(effect == DropEffect::Copy ? Qt::CopyAction : Qt::LinkAction);
  event->accept();
  return true;
}

int ButtonBits(Qt::MouseButtons buttons) {
  int bits = 0;
  if (buttons & Qt::LeftButton) bits |= kLeftButton;
  if (buttons & Qt::RightButton) bits |= kRightButton;
  if (buttons & Qt::MiddleButton) bits |= kMiddleButton;
  return bits;
}

PixelPoint PointOf(const QPointF& at) { return {qFloor(at.x()), qFloor(at.y())}; }
PixelPoint PointOf(const QMouseEvent* event) { return PointOf(event->position()); }

}  // namespace

Navy::Navy(NavyServices services) : QWidget(nullptr) {
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
  // Moves with no button held set the drag anchor and the labels' hover.
  setMouseTracking(true);
  // Drops over what lies in front of lblFichiers (the step indicators,
  // Line3, lblDetails) reach the window too: the core decides by position.
  setAcceptDrops(true);
  setFont(FontOf(kDefaultFont));

  const char* timer_names[3] = {"Timer1", "Timer3", "TmrHit"};
  for (std::size_t i = 0; i < timers_.size(); ++i) {
    timers_[i].setObjectName(QString::fromLatin1(timer_names[i]));
    timers_[i].setTimerType(Qt::PreciseTimer);
    connect(&timers_[i], &QTimer::timeout, this,
            [this, i] { core_->TimerTicked(static_cast<MotionTimer>(i)); });
  }
  core_ = std::make_unique<NavyCore>(static_cast<NavyPort&>(*this), std::move(services));
  BuildControls();
}

// Not inside one of its own signals here: the tray window can go at once.
Navy::~Navy() { delete systray_.data(); }

// Created back to front, as the table runs: each control lies in front of
// those made before.
void Navy::BuildControls() {
  const PixelScale& scale = core_->Scale();
  for (const ControlSpec& row : ControlTable()) {
    QWidget* control = nullptr;
    switch (row.kind) {
      case ControlKind::Label: {
        auto* label = new NavyLabel(QString::fromUtf8(row.caption), this);
        label->setFont(FontOf(row.font));
        if (row.text_color) label->SetTextColor(BgrColor(*row.text_color));
        if (row.fill) label->SetBackgroundColor(BgrColor(*row.fill));
        label->SetBordered(row.border_width > 0);
        label->setWordWrap(row.word_wrap);
        if (row.tooltip != nullptr) {
          label->setToolTip(QString::fromUtf8(row.tooltip));
          label->installEventFilter(this);
        }
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
        control = new LineControl(this);
        break;
      case ControlKind::Button: {
        auto* button = new CompletionButton(QString::fromUtf8(row.caption), this);
        connect(button, &QPushButton::clicked, this, [this] { core_->CompletionClicked(); });
        control = button;
        break;
      }
    }
    control->setObjectName(QString::fromUtf8(row.name));
    control->setGeometry(ToQRect(scale.Box(row)));
    if (!row.visible) control->hide();
    controls_[static_cast<std::size_t>(row.id)] = control;
  }
}

void Navy::Load() { core_->Load(); }

// The paths come in the file system's own form already.
void Navy::Open(const LaunchRequest& request) { core_->FilesOpened(request.absolute_paths, request.request); }

// A label's tooltip is about to show: the core may change it first.
bool Navy::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    for (const ControlSpec& row : ControlTable()) {
      if (Control(row.id) == watched) core_->TooltipShowing(row.id);
    }
  }
  return QWidget::eventFilter(watched, event);
}

void Navy::paintEvent(QPaintEvent*) {
  const qreal ratio = devicePixelRatioF();
  if (picture_.isNull() || picture_.devicePixelRatio() != ratio) picture_ = SpherePicture(ratio);
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  painter.drawImage(QPointF(0, 0), picture_);
}

// ---------------------------------------------------------------- events

// The labels' and shapes' mouse events come here too, in the window's own
// coordinates; the completion button keeps its own.
void Navy::mousePressEvent(QMouseEvent* event) {
  if (const int button = ButtonBits(event->button())) core_->PointerPressed(button, PointOf(event));
  event->accept();
}

void Navy::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void Navy::mouseMoveEvent(QMouseEvent* event) {
  core_->PointerMoved(ButtonBits(event->buttons()), PointOf(event));
  event->accept();
}

void Navy::mouseReleaseEvent(QMouseEvent* event) {
  if (const int button = ButtonBits(event->button())) core_->PointerReleased(button, PointOf(event));
  event->accept();
}

void Navy::keyPressEvent(QKeyEvent* event) {
  const QString text = event->text();
  const int character = event->key() == Qt::Key_Escape ? 27
                        : text.isEmpty()               ? 0
                                                       : static_cast<int>(text.at(0).unicode());
  core_->KeyPressed(character);
  QWidget::keyPressEvent(event);
}

// Closed by the windowing system (Alt+F4, log-off). Hiding into the
// notification area does not come here.
void Navy::closeEvent(QCloseEvent* event) {
  event->accept();
  core_->CloseRequested();
}

// Taken at the window's edge so that the moves that follow arrive; whether
// the pointer is over the target is decided on each move and at the drop.
void Navy::dragEnterEvent(QDragEnterEvent* event) {
  Answer(event, core_->DragEntered(Offered(event->possibleActions())));
}

void Navy::dragMoveEvent(QDragMoveEvent* event) {
  Answer(event, core_->DragOver(PointOf(event->position()), Offered(event->possibleActions())));
}

void Navy::dropEvent(QDropEvent* event) {
  Answer(event, core_->FilesDropped(PointOf(event->position()), Offered(event->possibleActions()),
                                    DroppedFiles(event->mimeData())));
}

// ---------------------------------------------------------------- NavyPort

void Navy::SetCaption(ControlId id, const std::string& text) {
  QWidget* control = Control(id);
  const QString caption = QString::fromStdString(text);
  if (auto* button = qobject_cast<CompletionButton*>(control)) {
    button->SetCaption(caption);
  } else if (auto* label = qobject_cast<NavyLabel*>(control)) {
    label->setText(caption);
  }
}

void Navy::SetTextColor(ControlId id, Bgr color) {
  if (auto* label = qobject_cast<NavyLabel*>(Control(id))) label->SetTextColor(BgrColor(color));
}

void Navy::SetFill(ControlId id, Bgr color) {
  QWidget* control = Control(id);
  if (auto* shape = qobject_cast<ShapeControl*>(control)) {
    shape->SetFillColor(BgrColor(color));
  } else if (auto* label = qobject_cast<NavyLabel*>(control)) {
    label->SetBackgroundColor(BgrColor(color));
  }
}

void Navy::SetVisible(ControlId id, bool visible) {
  QWidget* control = Control(id);
  if (visible) control->raise();
  control->setVisible(visible);
}

void Navy::SetBold(ControlId id, bool bold) {
  QWidget* control = Control(id);
  QFont font = control->font();
  if (font.bold() == bold) return;
  font.setBold(bold);
  control->setFont(font);
}

void Navy::SetThumbnail(ControlId id, const picture::Thumbnail& thumbnail, const PixelRect& box) {
  if (auto* button = qobject_cast<CompletionButton*>(Control(id))) {
    button->SetThumbnail(thumbnail, QRect(box.left, box.top, box.width, box.height));
  }
}

void Navy::SetTooltip(ControlId id, const std::string& text) {
  Control(id)->setToolTip(QString::fromStdString(text));
}

void Navy::CutToShape(const std::vector<PixelRect>& rows) {
  QRegion shape;
  for (const PixelRect& row : rows) shape += ToQRect(row);
  setMask(shape);
}

void Navy::ShowWindow() { show(); }

void Navy::HideWindow() { hide(); }

bool Navy::IsWindowShown() const { return isVisible(); }

void Navy::GiveFocus() {
  activateWindow();
  setFocus(Qt::ActiveWindowFocusReason);
}

void Navy::BringToFront() {
  if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
  raise();
  activateWindow();
}

PixelRect Navy::WindowBox() const {
  const QSize size = frameGeometry().size();
  return {pos().x(), pos().y(), size.width(), size.height()};
}

// The full geometry (not the available area) of the screen the window is on.
PixelRect Navy::ScreenBox() const {
  const QScreen* on = screen();
  if (on == nullptr) on = QGuiApplication::primaryScreen();
  const QRect box = on != nullptr ? on->geometry() : QRect();
  return {box.x(), box.y(), box.width(), box.height()};
}

void Navy::MoveWindow(PixelPoint top_left) { move(top_left.x, top_left.y); }

// Qt keeps the pointer for the widget pressed until the last button is up.
void Navy::CapturePointer(bool) {}

void Navy::StartTimer(MotionTimer timer, int interval_ms) { Timer(timer).start(interval_ms); }

void Navy::StopTimer(MotionTimer timer) { Timer(timer).stop(); }

bool Navy::NotificationAreaAvailable() const {
  return notification_area_ ? notification_area_() : QSystemTrayIcon::isSystemTrayAvailable();
}

bool Navy::AddTrayIcon(const std::string& tooltip) {
  auto* window = new FrmSystray(TessalineIcon());
  systray_ = window;
  connect(window, &FrmSystray::iconClicked, this, [this](bool double_click) {
    core_->TrayIconClicked(double_click ? TrayClick::DoubleClick : TrayClick::Other);
  });
  connect(window, &FrmSystray::restoreChosen, this, [this] { core_->TrayRestoreChosen(); });
  connect(window, &FrmSystray::closing, this, [this] { core_->TrayRestoreChosen(); });
  connect(window, &FrmSystray::aboutChosen, this, [this] { core_->TrayAboutChosen(); });
  window->AddIcon(QString::fromStdString(tooltip));
  return true;
}

// Later rather than at once: the restore may come from the tray window's
// own menu or icon, whose signal is still being delivered.
void Navy::RemoveTrayIcon() {
  if (systray_ == nullptr) return;
  systray_->RemoveIcon();
  systray_->deleteLater();
  systray_ = nullptr;
}

void Navy::ShowMessage(const std::string& text, MessageIcon icon, const std::string& details) {
  QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                  QString::fromUtf8(window_texts::kTitle), QString::fromStdString(text),
                  QMessageBox::Ok, this);
  box.setTextFormat(Qt::PlainText);
  if (!details.empty()) box.setInformativeText(QString::fromStdString(details));
  box.exec();
}

void Navy::ShowAbout(const std::string& text) {
  MakeInformationBox(QString::fromUtf8(window_texts::kTitle), QString::fromStdString(text))->show();
}

void Navy::ProcessEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void Navy::ScheduleConversion() {
  QMetaObject::invokeMethod(
      this,
      [this] {
        core_->ConversionDue();
        emit conversionsFinished();
      },
      Qt::QueuedConnection);
}

// exit() rather than quit(): quit() would first try to close the windows,
// which is not how this program ends.
void Navy::EndProgram() { QCoreApplication::exit(0); }

}  // namespace tessaline
