#pragma once

// The defensive-field editor: the 25 barriers and armours by name, and the shown field's
// consumed EN, needed morale, damage value and defence type.

#include "editors/shared/record_binder.h"

#include <QWidget>
#include <memory>

class QListWidget;
class QPushButton;

namespace korvane {

class Form5 : public QWidget {
  Q_OBJECT
public:
  explicit Form5(QWidget *parent = nullptr);

private:
  void Form_Load();
  void List1_Click();
  void showunit();
  void save_Click();
  void open_Click();

  QListWidget *List1;
  QPushButton *save;
  QPushButton *open;
  std::unique_ptr<RecordBinder> binder_;
};

} // namespace korvane
