#pragma once

// Skill correction: the whole area of the five skills' level corrections, read
// when the window opens and written back as a whole.

#include "editors/shared/record_binder.h"

#include <QWidget>
#include <memory>

class QGridLayout;
class QLabel;
class QPushButton;

namespace korvane {

struct CorrectionBlock;

class Form9 : public QWidget {
  Q_OBJECT
public:
  explicit Form9(QWidget *parent = nullptr);

private:
  void Form_Load();
  void showunit();
  void save_Click();
  void open_Click();

  QGridLayout *makeBlock(const CorrectionBlock &block);
  QLabel *makeColumnHeading(const CorrectionBlock &block, int byte);

  QPushButton *open;
  QPushButton *save;
  std::unique_ptr<RecordBinder> binder_;
  bool areaShown_ = false; // false while the boxes hold nothing read from the file
};

} // namespace korvane
