#pragma once

// Potential correction: the nine skill levels, and the shown level's four
// percentages for each of ten HP bands.

#include "editors/shared/record_binder.h"

#include <QWidget>
#include <memory>

class QGridLayout;
class QListWidget;
class QPushButton;

namespace korvane {

class Form10 : public QWidget {
  Q_OBJECT
public:
  explicit Form10(QWidget *parent = nullptr);

private:
  void Form_Load();
  void List1_Click();
  void showunit();
  void save_Click();
  void open_Click();

  QGridLayout *makeBandGrid();

  QListWidget *List1;
  QPushButton *open;
  QPushButton *save;
  std::unique_ptr<RecordBinder> binder_;
};

} // namespace korvane
