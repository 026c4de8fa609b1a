#include "app/GuiMain.h"

#include <QApplication>
#include <QMainWindow>

namespace feedwell::app {

int RunGui(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Feedwell"));
  window.show();
  return app.exec();
}

}  // namespace feedwell::app
