#pragma once
// Information boxes of the tray window, behind a seam that tests replace.

#include <QString>

class QMessageBox;

namespace tessaline {

class InformationPresenter {
 public:
  virtual ~InformationPresenter() = default;
  virtual void ShowInformation(const QString& title, const QString& text) = 0;
};

// A box with the information icon and one OK button. It does not block:
// the tray window that asks for it may be destroyed while it is open. Its
// closing never ends the program, even with the main window hidden.
QMessageBox* MakeInformationBox(const QString& title, const QString& text);

class MessageBoxPresenter : public InformationPresenter {
 public:
  void ShowInformation(const QString& title, const QString& text) override;
};

}  // namespace tessaline
