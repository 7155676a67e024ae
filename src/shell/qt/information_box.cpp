#include "shell/qt/information_box.h"

#include <QMessageBox>

namespace tessaline {

QMessageBox* MakeInformationBox(const QString& title, const QString& text) {
  auto* box = new QMessageBox(QMessageBox::Information, title, text, QMessageBox::Ok);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setAttribute(Qt::WA_QuitOnClose, false);
  return box;
}

}  // namespace tessaline
