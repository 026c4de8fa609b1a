#include "app/GuiMain.h"

#include <QApplication>

#include "app/MainWindow.h"
#include "cli/Cli.h"
#include "common/Home.h"
#include "view/BrowserPane.h"

namespace feedwell::app {

int RunGui(int argc, char** argv) {
  // The web engine needs both before the application object exists.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  view::RegisterPreviewScheme();
  QApplication app(argc, argv);
  const char* homeArgument = cli::HomeArgument(argc, argv);
  const Home home = Home::Resolve(homeArgument ? QString::fromLocal8Bit(homeArgument) : QString());

  MainWindow window(home);
  window.FormCreate();
  window.CreateDialogs();
  window.show();
  return app.exec();
}

}  // namespace feedwell::app
