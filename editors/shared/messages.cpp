#include "editors/shared/messages.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace korvane {

namespace {

int runMessage(QWidget *parent, const QString &text, QMessageBox::StandardButtons buttons) {
  // The program gives its messages no caption of their own: the application's title.
  QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text, buttons,
                  parent);
  return box.exec();
}

} // namespace

void showMessage(QWidget *parent, const QString &text) {
  runMessage(parent, text, QMessageBox::Ok);
}

bool askOkCancel(QWidget *parent, const QString &text) {
  return runMessage(parent, text, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

} // namespace korvane
