#include "shell/navy.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QUrl>
#include <exception>

#include "convert/chart_to_device/chart_to_device_converter.h"
#include "platform/user_regional_settings.h"
#include "shell/artwork.h"
#include "convert/messages.h"
#include "shell/controls.h"
#include "shell/sel_label.h"

namespace tessaline {

namespace {

// The layout is kept in twips, 15 to a device-independent pixel.
constexpr int kTwipsPerPixel = 15;
constexpr int Px(int twips) { return twips / kTwipsPerPixel; }
QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(Px(left), Px(top), Px(width), Px(height));
}

const char* const kReadyText = "Prêt";
const char* const kStartStatusText = "Statut";
const char* const kWaitingText = "En attente d'un nouveau fichier...";

// The disc the window is cut to: 290 across, centred on the sphere.
const QRect kDiscBounds(5, 5, 290, 290);

QFont StatusFont() {
  QFont font(QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(9.75);
  return font;
}

// Tahoma where the system has it; on Linux Wine's copy lies outside the
// font configuration's folders and is loaded from its file.
QString TahomaFamily() {
  static const QString family = [] {
    const QString wine_copy = QStringLiteral("/usr/share/wine/fonts/tahoma.ttf");
    if (QFile::exists(wine_copy)) {
      const int id = QFontDatabase::addApplicationFont(wine_copy);
      const QStringList families = QFontDatabase::applicationFontFamilies(id);
      if (!families.isEmpty()) return families.first();
    }
    return QStringLiteral("Tahoma");
  }();
  return family;
}

QFont PercentageFont() {
  QFont font(TahomaFamily());
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(27.75);
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
std::deque<std::string> DroppedFiles(const QMimeData* data) {
  std::deque<std::string> paths;
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

void SetBold(NavyLabel* label, bool bold) {
  QFont font = label->font();
  if (font.bold() == bold) return;
  font.setBold(bold);
  label->setFont(font);
}

}  // namespace

NavyServices NavyServices::Default() {
  NavyServices services;
  services.staging = DefaultStagingLocation();
  services.regional = UserRegionalSettings();
  return services;
}

Navy::Navy(NavyServices services) : QWidget(nullptr), services_(std::move(services)) {
  setObjectName(QStringLiteral("Navy"));
  setWindowTitle(QString::fromUtf8(kApplicationTitle));
  setWindowIcon(TessalineIcon());
  // No frame, no taskbar button, above the other windows.
  setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  // Appearing must not take the keyboard from the user's work; the window
  // can still be given the focus later.
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::StrongFocus);
  setFixedSize(kClientWidth, kClientHeight);
  setMouseTracking(true);
  // The controls' own default: a small sans-serif face (Arial is there, or
  // a metric twin of it, wherever the program runs).
  QFont default_font(QStringLiteral("Arial"));
  default_font.setStyleHint(QFont::SansSerif);
  default_font.setPointSizeF(8.25);
  setFont(default_font);

  BuildControls();

  motion_ = std::make_unique<MotionBinding>(*this);
  motion_->SetHoverOut([this] { SetCommandLabelsRegular(); });
  motion_events_ = std::make_unique<MotionEvents>(*motion_);
  surface_events_ = motion_events_.get();
  tray_ = std::make_unique<TrayBinding>(*this, TessalineIcon());
  tray_->WatchLabel4(*label4_);
  hide_action_ = [this] { tray_->Label4Clicked(); };

  PanelControls panel;
  panel.status = lbl_status_;
  panel.main_percentage = lbl_fichiers_;
  panel.inner_percentage = lbl_details_;
  for (std::size_t i = 0; i < 4; ++i) panel.steps[i] = shp_etape_[i];
  panel.completion = cmd_ok_;
  host_ = std::make_unique<QtHost>(panel, this, services_.files);
  host_->SetMessagePresenter(services_.present_message);
  Clock& clock = services_.clock != nullptr ? *services_.clock : system_clock_;
  device_to_chart_ = std::make_unique<DeviceToChartConverter>(*host_, services_.regional, clock,
                                                              services_.staging);
}

Navy::~Navy() = default;

void Navy::BuildControls() {
  const QColor light_cyan = BgrColor(kLightCyanBgr);
  const QColor white = BgrColor(kWhiteBgr);

  // Created back to front: each control lies in front of those made before.
  shape1_ = new ShapeControl(ShapeControl::Kind::Circle, light_cyan, 1, this);
  shape1_->setObjectName(QStringLiteral("Shape1"));
  shape1_->setGeometry(TwipsRect(600, 840, 3255, 2775));

  label1_ = new NavyLabel(QStringLiteral("ZRB -> Vestamar"), this);
  label1_->setObjectName(QStringLiteral("Label1"));
  label1_->setGeometry(TwipsRect(1560, 1080, 1335, 255));
  label1_->SetBackgroundColor(light_cyan);
  label1_->SetBordered(true);
  label1_->setWordWrap(false);
  connect(label1_, &NavyLabel::clicked, this, &Navy::SelectDeviceToChart);

  line1_ = new LineControl(Px(1080), Px(3360), Px(1440), this);
  line1_->setObjectName(QStringLiteral("Line1"));

  lbl_status_ = new NavyLabel(QString::fromUtf8(kStartStatusText), this);
  lbl_status_->setObjectName(QStringLiteral("lblStatus"));
  lbl_status_->setGeometry(TwipsRect(1080, 1440, 2295, 495));
  lbl_status_->SetBordered(true);
  lbl_status_->setFont(StatusFont());

  cmd_ok_ = new CompletionButton(QStringLiteral("OK"), this);
  cmd_ok_->setObjectName(QStringLiteral("cmdOK"));
  cmd_ok_->setGeometry(TwipsRect(1080, 1440, 2295, 1575));
  cmd_ok_->hide();
  connect(cmd_ok_, &QPushButton::clicked, this, &Navy::ResetPanel);

  lbl_fichiers_ = new DropLabel(QString::fromUtf8(kReadyText), this);
  lbl_fichiers_->setObjectName(QStringLiteral("lblFichiers"));
  lbl_fichiers_->setGeometry(TwipsRect(1080, 1920, 2295, 1095));
  lbl_fichiers_->SetBordered(true);
  lbl_fichiers_->setFont(PercentageFont());
  lbl_fichiers_->setWordWrap(false);
  connect(lbl_fichiers_, &DropLabel::dropped, this, &Navy::Dropped);

  lbl_details_ = new NavyLabel(QString(), this);
  lbl_details_->setObjectName(QStringLiteral("lblDetails"));
  lbl_details_->setGeometry(TwipsRect(2880, 1920, 495, 255));
  lbl_details_->SetBordered(true);
  lbl_details_->setWordWrap(false);

  line3_ = new LineControl(Px(1080), Px(3360), Px(2520), this);
  line3_->setObjectName(QStringLiteral("Line3"));

  const int step_lefts[4] = {1200, 1680, 2280, 2760};
  for (int i = 0; i < 4; ++i) {
    shp_etape_[i] = new ShapeControl(ShapeControl::Kind::Rectangle, BgrColor(kRedBgr), 3, this);
    shp_etape_[i]->setObjectName(QStringLiteral("ShpEtape%1").arg(i + 1));
    shp_etape_[i]->setGeometry(TwipsRect(step_lefts[i], 2640, 495, 255));
  }

  line2_ = new LineControl(Px(1080), Px(3360), Px(3000), this);
  line2_->setObjectName(QStringLiteral("Line2"));

  label2_ = new NavyLabel(QStringLiteral("Vestamar -> ZRB"), this);
  label2_->setObjectName(QStringLiteral("Label2"));
  label2_->setGeometry(TwipsRect(1560, 3120, 1335, 255));
  label2_->SetBackgroundColor(light_cyan);
  label2_->SetBordered(true);
  label2_->setWordWrap(false);
  connect(label2_, &NavyLabel::clicked, this, &Navy::SelectChartToDevice);

  label4_ = new NavyLabel(QStringLiteral("/"), this);
  label4_->setObjectName(QStringLiteral("Label4"));
  label4_->setGeometry(TwipsRect(2880, 480, 255, 255));
  label4_->SetTextColor(white);
  label4_->setToolTip(QStringLiteral("Minimiser l'application"));
  connect(label4_, &NavyLabel::pointerMoved, this, [this] { HoverCommandLabel(label4_, label3_); });
  connect(label4_, &NavyLabel::clicked, this, [this] {
    if (hide_action_) hide_action_();
  });

  label3_ = new NavyLabel(QStringLiteral("X"), this);
  label3_->setObjectName(QStringLiteral("Label3"));
  label3_->setGeometry(TwipsRect(3120, 480, 255, 255));
  label3_->SetTextColor(white);
  label3_->setToolTip(QStringLiteral("Fermer l'application"));
  connect(label3_, &NavyLabel::pointerMoved, this, [this] { HoverCommandLabel(label3_, label4_); });
  connect(label3_, &NavyLabel::clicked, this, &Navy::CloseRequested);

  // The completion button, when shown, covers the whole panel.
  cmd_ok_->raise();
}

void Navy::Load() {
  // Cut to the disc before the window first appears, so that the square's
  // corners never flash.
  setMask(QRegion(kDiscBounds, QRegion::Ellipse));
  sens_conversion_ = true;
  SelectLabel(*label1_);
  show();
}

void Navy::SelectDeviceToChart() {
  SelectLabel(*label1_);
  UnselectLabel(*label2_);
  sens_conversion_ = true;
}

void Navy::SelectChartToDevice() {
  SelectLabel(*label2_);
  UnselectLabel(*label1_);
  sens_conversion_ = false;
}

void Navy::HoverCommandLabel(NavyLabel* bold, NavyLabel* regular) {
  SetBold(bold, true);
  SetBold(regular, false);
}

void Navy::SetCommandLabelsRegular() {
  SetBold(label3_, false);
  SetBold(label4_, false);
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
  CloseRequested();
}

// The program ends; a running conversion is first asked to stop, so that it
// removes what it has half written, and the program ends when it returns.
void Navy::CloseRequested() {
  if (state_ == NavyState::Converting) {
    end_after_conversion_ = true;
    host_->RequestStop();
    hide();
    return;
  }
  EndProgram();
}

void Navy::EndProgram() {
  // exit() rather than quit(): quit() would first try to close the windows,
  // which is not how this program ends.
  QCoreApplication::exit(0);
}

void Navy::Dropped(const QMimeData* data) {
  pending_ = DroppedFiles(data);
  // A drop without any file still runs the converter, with an empty path:
  // it tells the user it cannot work on that.
  if (pending_.empty()) pending_.push_back(std::string());
  host_->ClearCompletionNotes();
  fichier_depose_ = pending_.front();
  label1_->hide();
  label2_->hide();
  lbl_fichiers_->setAcceptDrops(false);
  state_ = NavyState::Converting;
  // Converting only once the drop event has returned, so that the
  // application the files came from is not kept waiting meanwhile.
  QMetaObject::invokeMethod(this, &Navy::RunDroppedFiles, Qt::QueuedConnection);
}

void Navy::RunDroppedFiles() {
  bool first = true;
  while (!pending_.empty() && !host_->StopRequested()) {
    const std::string path = pending_.front();
    pending_.pop_front();
    if (!first) ResetPanel();
    first = false;
    fichier_depose_ = path;
    ConvertOne(path);
  }
  pending_.clear();

  fichier_depose_.clear();
  lbl_fichiers_->setAcceptDrops(true);
  label1_->show();
  label2_->show();
  state_ = cmd_ok_->isHidden() ? NavyState::Idle : NavyState::Done;
  emit conversionsFinished();
  if (end_after_conversion_) EndProgram();
}

void Navy::ConvertOne(const std::string& path) {
  // Qt cannot carry an exception through its event loop; one that escapes a
  // converter (memory exhausted) ends this file with the converter's own
  // error message instead of ending the program.
  try {
    if (sens_conversion_) {
      device_to_chart_->ConvertDeviceToChart(path);
    } else {
      ConvertChartToDevice(*host_, path);
    }
  } catch (const std::exception&) {
    if (!host_->StopRequested()) {
      host_->ShowMessage(sens_conversion_ ? messages::kDeviceToChartError : messages::kChartToDeviceError,
                         MessageIcon::Error);
    }
  }
}

void Navy::ResetPanel() {
  cmd_ok_->hide();
  for (ShapeControl* step : shp_etape_) step->SetFillColor(BgrColor(kRedBgr));
  lbl_fichiers_->setText(QString::fromUtf8(kReadyText));
  lbl_details_->clear();
  lbl_status_->setText(QString::fromUtf8(kWaitingText));
  if (state_ == NavyState::Done) state_ = NavyState::Idle;
}

}  // namespace tessaline
