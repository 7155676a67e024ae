#pragma once
// Hiding the main window into the notification area on a Qt desktop: the
// click on Label4, its tooltip, and the tray window's icon and menu.

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

#include "shell/qt/frm_systray.h"
#include "shell/qt/information_box.h"
#include "shell/logic/tray_state_machine.h"

class QWidget;

namespace tessaline {


class TrayBinding : public QObject, private TrayHost {
  Q_OBJECT

 public:
  // `navy` is the main window; `icon` the program's 32 x 32 artwork. The
  // presenter shows "A propos de..."; message boxes when none is given.
  TrayBinding(QWidget& navy, QIcon icon, InformationPresenter* presenter = nullptr,
              QObject* parent = nullptr);
  ~TrayBinding() override;

  // Label4's tooltip tells, whenever it shows, whether there is a
  // notification area; until then it keeps the one the label was made with.
  void WatchLabel4(QWidget& label4);
  // Replaces the check for a notification area (tests).
  void SetAvailabilityCheck(std::function<bool()> available);

  // The click on Label4.
  void Label4Clicked();

  bool InTray() const { return machine_.InTray(); }
  FrmSystray* Systray() const { return tray_window_; }
  TrayStateMachine& Machine() { return machine_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool NotificationAreaAvailable() const override;
  void HideMainWindow() override;
  void ShowMainWindow() override;
  std::unique_ptr<TrayWindow> CreateTrayWindow() override;
  void RefreshLabel4Tooltip();

  QWidget& navy_;
  QIcon icon_;
  MessageBoxPresenter default_presenter_;
  InformationPresenter& presenter_;
  std::function<bool()> available_;
  QPointer<QWidget> label4_;
  QPointer<FrmSystray> tray_window_;
  TrayStateMachine machine_;
};

}  // namespace tessaline
