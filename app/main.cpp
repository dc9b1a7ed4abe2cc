#include "app/application_setup.h"
#include "app/form1.h"

#include <QApplication>

int main(int argc, char *argv[]) {
  korvane::EditorApplication app(argc, argv);
  korvane::setUpApplication(app);
  korvane::Form1 mainWindow;
  mainWindow.show();
  return app.exec();
}
