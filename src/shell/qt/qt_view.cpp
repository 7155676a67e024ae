#include "shell/qt/qt_view.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "shell/logic/window_texts.h"
#include "shell/qt/controls.h"

namespace tessaline {

void ShowMessageBox(QWidget* parent, const std::string& text, MessageIcon icon,
                    const std::string& details) {
  QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                  QString::fromUtf8(window_texts::kTitle), QString::fromStdString(text),
                  QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  if (!details.empty()) box.setInformativeText(QString::fromStdString(details));
  box.exec();
}

void QtView::Register(ControlId id, QWidget* control) {
  controls_[static_cast<std::size_t>(id)] = control;
}

void QtView::SetCaption(ControlId id, const std::string& text) {
  QWidget* control = Control(id);
  const QString caption = QString::fromStdString(text);
  if (auto* button = qobject_cast<CompletionButton*>(control)) {
    button->SetCaption(caption);
  } else if (auto* label = qobject_cast<NavyLabel*>(control)) {
    label->setText(caption);
  }
}

void QtView::SetTextColor(ControlId id, Bgr color) {
  if (auto* label = qobject_cast<NavyLabel*>(Control(id))) label->SetTextColor(BgrColor(color));
}

void QtView::SetFill(ControlId id, Bgr color) {
  QWidget* control = Control(id);
  if (auto* shape = qobject_cast<ShapeControl*>(control)) {
    shape->SetFillColor(BgrColor(color));
  } else if (auto* label = qobject_cast<NavyLabel*>(control)) {
    label->SetBackgroundColor(BgrColor(color));
  }
}

void QtView::SetVisible(ControlId id, bool visible) {
  QWidget* control = Control(id);
  if (control == nullptr) return;
  if (visible) control->raise();
  control->setVisible(visible);
}

void QtView::SetBold(ControlId id, bool bold) {
  QWidget* control = Control(id);
  if (control == nullptr) return;
  QFont font = control->font();
  if (font.bold() == bold) return;
  font.setBold(bold);
  control->setFont(font);
}

void QtView::SetTooltip(ControlId id, const std::string& text) {
  if (QWidget* control = Control(id)) control->setToolTip(QString::fromStdString(text));
}

void QtView::SetDropsAccepted(bool accepted) {
  if (QWidget* target = Control(ControlId::LblFichiers)) target->setAcceptDrops(accepted);
}

void QtView::ProcessEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void QtView::ShowMessage(const std::string& text, MessageIcon icon, const std::string& details) {
  ShowMessageBox(window_, text, icon, details);
}

void QtView::ScheduleConversion() {
  if (schedule_) schedule_();
}

void QtView::HideWindow() {
  if (window_ != nullptr) window_->hide();
}

// exit() rather than quit(): quit() would first try to close the windows,
// which is not how this program ends.
void QtView::EndProgram() { QCoreApplication::exit(0); }

}  // namespace tessaline
