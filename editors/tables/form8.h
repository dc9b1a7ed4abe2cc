#pragma once

// Skill training: the 40 pilot skills, and the shown skill's training type and
// the PP cost bytes of its nine levels.

#include "editors/shared/listed_record_window.h"

class QGridLayout;
class QGroupBox;

namespace korvane {

class Form8 : public ListedRecordWindow {
  Q_OBJECT
public:
  explicit Form8(QWidget *parent = nullptr);

private:
  void Form_Load() override;

  QGridLayout *makeCostGrid();
  QGroupBox *makeTypeFrame();
};

} // namespace korvane
