#include "shell/qt/tray_binding.h"

#include <QEvent>
#include <QSystemTrayIcon>
#include <QWidget>

#include "shell/logic/window_texts.h"
#include "shell/qt/frm_systray.h"

namespace tessaline {

namespace {

// The tray window as the state machine holds it. The window is deleted
// later rather than at once: the restore may come from its own menu or icon,
// whose signal is still being delivered.
class QtTrayWindow : public TrayWindow {
 public:
  explicit QtTrayWindow(FrmSystray* window) : window_(window) {}
  ~QtTrayWindow() override {
    if (window_ != nullptr) window_->deleteLater();
  }
  void AddIcon(std::uint32_t /*id*/, const std::string& tooltip) override {
    if (window_ != nullptr) window_->AddIcon(QString::fromStdString(tooltip));
  }
  void RemoveIcon(std::uint32_t /*id*/) override {
    if (window_ != nullptr) window_->RemoveIcon();
  }

 private:
  QPointer<FrmSystray> window_;
};

}  // namespace

TrayBinding::TrayBinding(QWidget& navy, QIcon icon, InformationPresenter* presenter,
                         QObject* parent)
    : QObject(parent),
      navy_(navy),
      icon_(std::move(icon)),
      presenter_(presenter != nullptr ? *presenter : default_presenter_),
      available_([] { return QSystemTrayIcon::isSystemTrayAvailable(); }),
      machine_(*this) {}

TrayBinding::~TrayBinding() {
  // Not inside one of its own signals here: it can go at once.
  delete tray_window_.data();
}

void TrayBinding::WatchLabel4(QWidget& label4) {
  label4_ = &label4;
  label4.installEventFilter(this);
}

void TrayBinding::SetAvailabilityCheck(std::function<bool()> available) {
  available_ = std::move(available);
}

void TrayBinding::Label4Clicked() {
  RefreshLabel4Tooltip();
  machine_.HideToTray();
}

bool TrayBinding::eventFilter(QObject* watched, QEvent* event) {
  // A notification area may come or go while the program runs (a panel
  // starting after the program, or restarting): the tooltip is decided just
  // before it shows, and on each click.
  if (watched == label4_ && event->type() == QEvent::ToolTip) RefreshLabel4Tooltip();
  return QObject::eventFilter(watched, event);
}

void TrayBinding::RefreshLabel4Tooltip() {
  if (label4_ == nullptr) return;
  label4_->setToolTip(QString::fromUtf8(NotificationAreaAvailable() ? window_texts::kHideTooltip
                                                                    : window_texts::kNoTrayTooltip));
}

bool TrayBinding::NotificationAreaAvailable() const { return available_ && available_(); }

void TrayBinding::HideMainWindow() { navy_.hide(); }

void TrayBinding::ShowMainWindow() { navy_.show(); }

std::unique_ptr<TrayWindow> TrayBinding::CreateTrayWindow() {
  auto* window = new FrmSystray(icon_);
  tray_window_ = window;
  connect(window, &FrmSystray::notified, this, [this](int code) { machine_.Notify(code); });
  connect(window, &FrmSystray::restoreChosen, this, [this] { machine_.Restore(); });
  connect(window, &FrmSystray::closing, this, [this] { machine_.Restore(); });
  connect(window, &FrmSystray::aboutChosen, this, [this] {
    presenter_.ShowInformation(QString::fromUtf8(window_texts::kTitle),
                               QString::fromUtf8(window_texts::kAboutText));
  });
  return std::make_unique<QtTrayWindow>(window);
}

}  // namespace tessaline
