#pragma once

// The upgrade settings window: the money of each upgrade step for HP, EN, mobility,
// armor and the five weapon types, and the attack each step adds to a weapon of
// each type, as one grid of 15 steps by 14 columns.

#include "editors/shared/record_binder.h"

#include <QWidget>
#include <memory>

class QGridLayout;
class QPushButton;

namespace korvane {

class Form11 : public QWidget {
  Q_OBJECT
public:
  explicit Form11(QWidget *parent = nullptr);

private:
  void Form_Load();
  void showunit();
  void save_Click();
  void open_Click();

  QGridLayout *makeGrid();

  QPushButton *open;
  QPushButton *save;
  std::unique_ptr<RecordBinder> binder_;
  bool shown_ = false; // the area was read when the window loaded
};

} // namespace korvane
