#pragma once

// An editor window under test on the synthetic game: the sample files and name
// lists, the answers to its messages, and the window itself, opened on demand so
// that a test can change the files first.

#include "app/form1.h"
#include "tests/support/modal_answerer.h"
#include "tests/support/sample_game.h"
#include "tests/support/window_driver.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QPushButton>
#include <functional>

namespace korvane::test {

class WindowHarness : public WindowDriver {
public:
  SampleGame game;
  ModalAnswerer answers;

  explicit WindowHarness(std::function<QWidget *()> makeWindow)
      : makeWindow_(std::move(makeWindow)) {}
  ~WindowHarness() { delete window_.data(); }
  WindowHarness(const WindowHarness &) = delete;
  WindowHarness &operator=(const WindowHarness &) = delete;

  // Opens the window; name lists and game files may be changed before.
  QWidget *open() {
    window_ = makeWindow_();
    window_->show();
    return window_;
  }
  QWidget *form() const { return window_; }

  using WindowDriver::list;
  QListWidget *list() const { return list(QStringLiteral("List1")); }
  void pick(int row) const { list()->setCurrentRow(row); }

private:
  std::function<QWidget *()> makeWindow_;
};

template <typename Form> QWidget *makeForm() { return new Form; }

// The window of `section`, picked in the main window's section list and opened
// with "进入编辑".
inline QWidget *openFromMainWindow(Form1 &main, Section section) {
  main.findChild<QListWidget *>(QStringLiteral("List1"))->setCurrentRow(sectionRow(section));
  main.findChild<QPushButton *>(QStringLiteral("Command3"))->click();
  return main.registry().openWindow(section);
}

// Presses the window's return button ("返回", objectName `button`); true when the
// window is then gone, as the main window's registry sees it.
inline bool closesWithReturn(Form1 &main, Section section, const QString &button) {
  main.registry().openWindow(section)->findChild<QPushButton *>(button)->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return !main.registry().openWindow(section);
}

} // namespace korvane::test
