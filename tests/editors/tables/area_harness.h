#pragma once

// Drives a window that shows one whole area of the synthetic game file.

#include "app/form1.h"
#include "tests/support/modal_answerer.h"
#include "tests/support/sample_game.h"
#include "tests/support/window_driver.h"

#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace korvane::test {

template <typename Form> class AreaHarness : public WindowDriver {
public:
  SampleGame game;
  ModalAnswerer answers;

  ~AreaHarness() { delete window_.data(); }

  // Opens the window, which reads its area; the game file may be changed before.
  QWidget *open() {
    window_ = new Form;
    window_->show();
    return window_;
  }
  QWidget *form() const { return window_; }

  // Saves and returns the messages the save showed.
  QStringList save() {
    answers.clear();
    click(QStringLiteral("save"));
    return answers.texts();
  }
};

// The game file with `bytes` put at `offset`.
inline QByteArray patched(QByteArray file, qint64 offset, const QByteArray &bytes) {
  return file.replace(offset, bytes.size(), bytes);
}

// Opens the editor of section row `row` from the main window, as the user does.
inline QWidget *openFromMainWindow(Form1 &main, int row) {
  main.findChild<QListWidget *>(QStringLiteral("List1"))->setCurrentRow(row);
  main.findChild<QPushButton *>(QStringLiteral("Command3"))->click();
  return main.registry().openWindow(row);
}

} // namespace korvane::test
