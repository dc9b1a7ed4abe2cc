#pragma once

// What the program sets up once at start, before its first window.

class QApplication;

namespace korvane {

// Names the program as the main window's caption, the title its message boxes
// carry, and installs Qt's own Chinese translations (Debian's
// qt6-translations-l10n), so that standard dialogs and buttons read 打开, 取消,
// 确定. Without the translation file the program runs as before, with Qt's
// English dialogs; returns whether the translation was installed.
bool setUpApplication(QApplication &app);

} // namespace korvane
