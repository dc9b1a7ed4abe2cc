#pragma once

// Skill training: the 40 pilot skills, and the shown skill's training type and
// the PP cost bytes of its nine levels.

#include "editors/shared/record_binder.h"

#include <QWidget>
#include <memory>

class QGridLayout;
class QGroupBox;
class QListWidget;
class QPushButton;

namespace korvane {

class Form8 : public QWidget {
  Q_OBJECT
public:
  explicit Form8(QWidget *parent = nullptr);

private:
  void Form_Load();
  void List1_Click();
  void showunit();
  void save_Click();
  void open_Click();

  QGridLayout *makeCostGrid();
  QGroupBox *makeTypeFrame();

  QListWidget *List1;
  QPushButton *open;
  QPushButton *save;
  std::unique_ptr<RecordBinder> binder_;
};

} // namespace korvane
