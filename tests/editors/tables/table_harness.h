#pragma once

// Drives a table window through its controls on the synthetic game, and opens it
// the way the user does, from its row of the main window.

#include "app/form1.h"
#include "tests/support/modal_answerer.h"
#include "tests/support/sample_game.h"
#include "tests/support/window_driver.h"

#include <QLabel>
#include <QTest>

namespace korvane::test {

template <typename Form> class TableHarness : public WindowDriver {
public:
  SampleGame game;
  ModalAnswerer answers;

  ~TableHarness() { delete window_.data(); }

  // Opens the window; name lists and the game file may be changed before.
  QWidget *open() {
    window_ = new Form;
    window_->show();
    return window_;
  }
  QWidget *form() const { return window_; }

  using WindowDriver::list;
  QListWidget *list() const { return list(QStringLiteral("List1")); }
  void pick(int row) const { list()->setCurrentRow(row); }

  // The label text directly above a control.
  QString headingOver(const QString &control) const {
    QWidget *below = window_->findChild<QWidget *>(control);
    for (QLabel *label : window_->findChildren<QLabel *>()) {
      const QRect over = label->geometry();
      if (over.bottom() < below->y() && below->y() - over.bottom() < 12 &&
          qAbs(over.left() - below->x()) < 4)
        return label->text();
    }
    return {};
  }
};

// The window behind `row` of the main window's section list, opened with "进入编辑".
inline QWidget *openFromMainWindow(Form1 &main, int row) {
  main.findChild<QListWidget *>(QStringLiteral("List1"))->setCurrentRow(row);
  main.findChild<QPushButton *>(QStringLiteral("Command3"))->click();
  return main.registry().openWindow(row);
}

} // namespace korvane::test
