#pragma once

// Potential correction: the nine skill levels, and the shown level's four
// percentages for each of ten HP bands.

#include "editors/shared/listed_record_window.h"

class QGridLayout;

namespace korvane {

class Form10 : public ListedRecordWindow {
  Q_OBJECT
public:
  explicit Form10(QWidget *parent = nullptr);

private:
  void Form_Load() override;

  QGridLayout *makeBandGrid();
};

} // namespace korvane
