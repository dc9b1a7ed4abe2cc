#pragma once

// The squad-leader ability editor: the 735 pilots by their pilot.txt names, and
// the two abilities of the shown pilot.

#include "editors/shared/record_binder.h"

#include <QWidget>
#include <memory>

class QListWidget;
class QPushButton;

namespace korvane {

class Form6 : public QWidget {
  Q_OBJECT
public:
  explicit Form6(QWidget *parent = nullptr);

private:
  void Form_Load();
  void unitname();
  void List1_Click();
  void showunit();
  void save_Click();
  void Open_Click();

  QListWidget *List1;
  QPushButton *save;
  QPushButton *Open;
  std::unique_ptr<RecordBinder> binder_;
};

} // namespace korvane
