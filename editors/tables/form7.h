#pragma once

// The protagonist's spirit commands: the 196 birthday and blood-type profiles,
// and the shown profile's six spirit-command entries.

#include "editors/shared/listed_record_window.h"

class QGridLayout;

namespace korvane {

class Form7 : public ListedRecordWindow {
  Q_OBJECT
public:
  explicit Form7(QWidget *parent = nullptr);

private:
  void Form_Load() override;

  QGridLayout *makeSpiritGrid();
};

} // namespace korvane
