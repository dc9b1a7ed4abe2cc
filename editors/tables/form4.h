#pragma once

// The enhancement-part editor: the 53 parts by name, and the shown part's
// statistics, regeneration, morale and its five codes.

#include "editors/shared/record_binder.h"

#include <QWidget>
#include <memory>

class QListWidget;
class QPushButton;

namespace korvane {

class Form4 : public QWidget {
  Q_OBJECT
public:
  explicit Form4(QWidget *parent = nullptr);

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
