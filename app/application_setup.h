#pragma once

// What the program sets up once at start, before its first window.

#include <QApplication>

namespace korvane {

// Names the program as the main window's caption, the title its message boxes
// carry, and installs Qt's own Chinese translations (Debian's
// qt6-translations-l10n), so that standard dialogs and buttons read 打开, 取消,
// 确定. Without the translation file the program runs as before, with Qt's
// English dialogs; returns whether the translation was installed.
bool setUpApplication(QApplication &app);

// The editor's application: memory that runs out while an event is handled
// (a very large file read whole, say) ends that action with a message box
// instead of ending the program. Every write commits after its allocations, or
// is covered by the rollback journal.
class EditorApplication : public QApplication {
public:
  using QApplication::QApplication;
  bool notify(QObject *receiver, QEvent *event) override;
};

} // namespace korvane
