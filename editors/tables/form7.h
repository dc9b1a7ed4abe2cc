#pragma once

// The protagonist's spirit commands: the 196 birthday and blood-type profiles,
// and the shown profile's six spirit-command entries.

#include "editors/shared/record_binder.h"

#include <QWidget>
#include <memory>

class QGridLayout;
class QListWidget;
class QPushButton;

namespace korvane {

class Form7 : public QWidget {
  Q_OBJECT
public:
  explicit Form7(QWidget *parent = nullptr);

private:
  void Form_Load();
  void List1_Click();
  void showunit();
  void save_Click();
  void open_Click();

  QGridLayout *makeSpiritGrid();

  QListWidget *List1;
  QPushButton *open;
  QPushButton *save;
  std::unique_ptr<RecordBinder> binder_;
};

} // namespace korvane
