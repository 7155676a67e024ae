#include "shell/qt_host.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>

#include "convert/messages.h"
#include "shell/controls.h"

namespace tessaline {

void ShowMessageBox(QWidget* parent, const std::string& text, MessageIcon icon,
                    const std::string& details) {
  QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                  QString::fromUtf8(kApplicationTitle), QString::fromStdString(text),
                  QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  if (!details.empty()) box.setInformativeText(QString::fromStdString(details));
  box.exec();
}

QtHost::QtHost(const PanelControls& controls, QWidget* message_parent, FileSystem* files)
    : controls_(controls),
      message_parent_(message_parent),
      files_(files != nullptr ? files : &real_files_) {}

void QtHost::SetStepText(const std::string& text) {
  controls_.status->setText(QString::fromStdString(text));
}

void QtHost::SetMainPercentage(const std::string& text) {
  controls_.main_percentage->setText(QString::fromStdString(text));
}

void QtHost::SetInnerPercentage(const std::string& text) {
  controls_.inner_percentage->setText(QString::fromStdString(text));
}

void QtHost::MarkStepFinished(int step) {
  if (step < 1 || step > static_cast<int>(controls_.steps.size())) return;
  controls_.steps[static_cast<std::size_t>(step - 1)]->SetFillColor(BgrColor(kGreenBgr));
}

void QtHost::ShowCompletion(const std::string& caption, const ConversionNotes& notes) {
  if (!notes.summary.empty()) {
    if (!completion_entries_.isEmpty()) completion_entries_ += QStringLiteral("\n\n");
    completion_entries_ += QString::fromStdString(messages::CompletionEntryText(notes));
  }
  controls_.completion->setToolTip(completion_entries_);
  controls_.completion->SetCaption(QString::fromStdString(caption));
  controls_.completion->raise();
  controls_.completion->show();
}

void QtHost::ShowMessage(const std::string& text, MessageIcon icon, const ConversionNotes& notes) {
  const std::string details = messages::MessageDetailsText(notes);
  if (presenter_) {
    presenter_(text, icon, details);
  } else {
    ShowMessageBox(message_parent_, text, icon, details);
  }
}

bool QtHost::Yield() {
  if (!since_events_.isValid()) {
    ProcessEvents();
    return stop_requested_;
  }
  if (++calls_since_check_ < check_stride_) return stop_requested_;
  calls_since_check_ = 0;
  const qint64 now = since_events_.nsecsElapsed();
  const qint64 spacing = now - last_check_ns_;
  last_check_ns_ = now;
  if (spacing > 2 * kCheckSpacingNs) {
    check_stride_ = 1;
  } else if (spacing < kCheckSpacingNs / 2 && check_stride_ < kMaxCheckStride) {
    check_stride_ *= 2;
  }
  if (now >= kYieldIntervalNs) ProcessEvents();
  return stop_requested_;
}

void QtHost::ProcessEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  since_events_.start();
  last_check_ns_ = 0;
}

}  // namespace tessaline
