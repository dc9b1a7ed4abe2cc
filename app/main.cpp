#include "app/form1.h"

#include <QApplication>

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  korvane::Form1 mainWindow;
  mainWindow.show();
  return app.exec();
}
