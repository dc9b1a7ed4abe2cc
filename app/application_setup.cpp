#include "app/application_setup.h"

#include "io/rollback_journal.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>
#include <new>

namespace korvane {

bool setUpApplication(QApplication &app) {
  // The name, not the display name: a display name would be appended to every
  // editor window's title bar.
  QApplication::setApplicationName(QStringLiteral("Korvane静态修改器"));
  // A write cut short and undone when its file was opened again is told at once.
  setJournalNoticeHandler([](const QString &notice) {
    QMessageBox::information(QApplication::activeWindow(), QApplication::applicationName(), notice);
  });
  auto *translator = new QTranslator(&app);
  // The interface is Chinese whatever the system's locale, so are Qt's dialogs.
  if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QApplication::installTranslator(translator);
}

bool EditorApplication::notify(QObject *receiver, QEvent *event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::bad_alloc &) {
    QMessageBox::critical(activeWindow(), applicationName(),
                          QStringLiteral("内存不足，这次操作没有完成，没有写入任何内容。"
                                         "请关闭其他程序后再试。"));
    return false;
  }
}

} // namespace korvane
