#pragma once
// FrmSystray: the hidden tray window that carries the notification-area
// icon and its menu.

#include <QSystemTrayIcon>
#include <QWidget>

class QAction;
class QMenu;

namespace tessaline {

class FrmSystray : public QWidget {
  Q_OBJECT

 public:
  explicit FrmSystray(const QIcon& icon);

  void AddIcon(const QString& tooltip);
  void RemoveIcon();

  QSystemTrayIcon& TrayIcon() { return *tray_icon_; }
  QMenu& Menu() { return *menu_; }
  QAction& MnuAproposDe() { return *mnu_apropos_de_; }
  QAction& MnuRestaurer() { return *mnu_restaurer_; }

 signals:
  // An activation of the icon: a double-click or any other.
  void iconClicked(bool double_click);
  void aboutChosen();
  void restoreChosen();
  // The window is being closed by other means than a restore.
  void closing();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QSystemTrayIcon* tray_icon_;
  QMenu* menu_;
  QAction* mnu_apropos_de_;
  QAction* mnu_restaurer_;
};

}  // namespace tessaline
