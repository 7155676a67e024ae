#include "shell/qt/frm_systray.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>

#include "shell/logic/window_texts.h"

namespace tessaline {

FrmSystray::FrmSystray(const QIcon& icon)
    : QWidget(nullptr),
      tray_icon_(new QSystemTrayIcon(icon, this)),
      menu_(new QMenu(this)) {
  setObjectName(QStringLiteral("FrmSystray"));
  setWindowTitle(QString::fromUtf8(window_texts::kTrayWindowCaption));
  setWindowIcon(icon);
  setAttribute(Qt::WA_QuitOnClose, false);

  menu_->setObjectName(QStringLiteral("Menu"));
  menu_->setTitle(QString::fromUtf8(window_texts::kMenuCaption));
  mnu_apropos_de_ = menu_->addAction(QString::fromUtf8(window_texts::kMenuAbout));
  mnu_apropos_de_->setObjectName(QStringLiteral("mnuAproposDe"));
  mnu_restaurer_ = menu_->addAction(QString::fromUtf8(window_texts::kMenuRestore));
  mnu_restaurer_->setObjectName(QStringLiteral("mnuRestaurer"));
  tray_icon_->setContextMenu(menu_);

  connect(mnu_apropos_de_, &QAction::triggered, this, &FrmSystray::aboutChosen);
  connect(mnu_restaurer_, &QAction::triggered, this, &FrmSystray::restoreChosen);
  connect(tray_icon_, &QSystemTrayIcon::activated, this,
          [this](QSystemTrayIcon::ActivationReason reason) {
            emit iconClicked(reason == QSystemTrayIcon::DoubleClick);
          });
}

void FrmSystray::AddIcon(const QString& tooltip) {
  tray_icon_->setToolTip(tooltip);
  tray_icon_->show();
}

void FrmSystray::RemoveIcon() { tray_icon_->hide(); }

void FrmSystray::closeEvent(QCloseEvent* event) {
  event->accept();
  emit closing();
}

}  // namespace tessaline
