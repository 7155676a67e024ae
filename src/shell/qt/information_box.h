#pragma once
// The information box "A propos de..." of the tray menu.

#include <QString>

class QMessageBox;

namespace tessaline {

// A box with the information icon and one OK button. It does not block:
// the tray window that asks for it may be destroyed while it is open. Its
// closing never ends the program, even with the main window hidden.
QMessageBox* MakeInformationBox(const QString& title, const QString& text);

}  // namespace tessaline
