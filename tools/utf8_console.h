#pragma once

// The command-line programs print UTF-8 on every system. A Windows console shows
// text in its own code page (936 on Chinese systems) unless told otherwise, so
// while a program runs its console is switched to UTF-8, and back when it ends.
// Output sent to a file or a pipe is the same bytes either way.

#include <QtGlobal>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace korvane {

class Utf8Console {
public:
#ifndef Q_OS_WIN
  Utf8Console() {}
#else
  Utf8Console() : saved_(GetConsoleOutputCP()) {
    if (saved_ != 0)
      SetConsoleOutputCP(CP_UTF8);
  }
  ~Utf8Console() {
    if (saved_ != 0)
      SetConsoleOutputCP(saved_);
  }

private:
  UINT saved_; // 0 without a console
#endif
public:
  Utf8Console(const Utf8Console &) = delete;
  Utf8Console &operator=(const Utf8Console &) = delete;
};

} // namespace korvane
