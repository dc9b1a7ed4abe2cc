#pragma once

// The defensive-field editor: the 25 barriers and armours by name, and the shown field's
// consumed EN, needed morale, damage value and defence type.

#include "editors/shared/listed_record_window.h"

namespace korvane {

class Form5 : public ListedRecordWindow {
  Q_OBJECT
public:
  explicit Form5(QWidget *parent = nullptr);

private:
  void Form_Load() override;
};

} // namespace korvane
