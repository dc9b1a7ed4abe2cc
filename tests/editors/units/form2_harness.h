#pragma once

// Drives the unit editor window through its controls, found by objectName, on the
// synthetic game file of a SampleGame.

#include "editors/units/form2.h"
#include "tests/support/sample_game.h"
#include "tests/support/window_driver.h"

#include <QTabWidget>

#include <initializer_list>

namespace korvane::test {

inline constexpr qint64 kUnitTableStart = 0x2BE710;
inline constexpr qint64 kUnitTableEnd = 0x35405C;

inline qint64 unitStart(int row) { return kUnitTableStart + 732 * qint64(row); }
inline qint64 entryStart(int unit, int weapon) { return unitStart(unit) + 84 + 36 * weapon; }

inline QList<qint64> span(qint64 first, qint64 last) {
  QList<qint64> offsets;
  for (qint64 offset = first; offset <= last; ++offset)
    offsets.append(offset);
  return offsets;
}

class Form2Harness : public WindowDriver {
public:
  Form2Harness() {
    window_ = new Form2;
    window_->show();
  }
  ~Form2Harness() { delete window_.data(); }
  Form2Harness(const Form2Harness &) = delete;
  Form2Harness &operator=(const Form2Harness &) = delete;

  QWidget *form() const { return window_.data(); }

  void pickUnit(int row) const { list("List1")->setCurrentRow(row); }
  void pickWeapon(int row) const { list("List4")->setCurrentRow(row); }
  void showWeaponPage() const { control<QTabWidget>("SSTab1")->setCurrentIndex(1); }

  // Ticks exactly the given rows of a tickable list.
  void tickOnly(const char *name, std::initializer_list<int> rows) const {
    QListWidget *flags = list(name);
    for (int row = 0; row < flags->count(); ++row)
      flags->item(row)->setCheckState(Qt::Unchecked);
    for (int row : rows)
      flags->item(row)->setCheckState(Qt::Checked);
  }
  QList<int> tickedRows(const char *name) const {
    QList<int> rows;
    QListWidget *flags = list(name);
    for (int row = 0; row < flags->count(); ++row)
      if (flags->item(row)->checkState() == Qt::Checked)
        rows.append(row);
    return rows;
  }
};

} // namespace korvane::test
