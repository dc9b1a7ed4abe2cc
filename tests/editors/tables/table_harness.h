#pragma once

// Drives a table window through its controls on the synthetic game, and opens it
// the way the user does, from its row of the main window.

#include "app/form1.h"
#include "tests/support/window_harness.h"

#include <QLabel>
#include <QTest>

namespace korvane::test {

template <typename Form> class TableHarness : public WindowHarness {
public:
  TableHarness() : WindowHarness(&makeForm<Form>) {}

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

} // namespace korvane::test
