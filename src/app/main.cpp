// Tessaline Pro v4.0: the window program.

#include <QApplication>

#include "shell/qt/artwork.h"
#include "shell/qt/navy.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  // The window alone decides when the program ends: it is a tool window,
  // which Qt never counts as the last window, and hiding it into the
  // notification area (or closing a message box meanwhile) must not end
  // the program.
  application.setQuitOnLastWindowClosed(false);
  application.setWindowIcon(tessaline::TessalineIcon());

  tessaline::Navy navy;
  navy.Load();
  return application.exec();
}
