#pragma once

// The squad-leader ability editor: the 735 pilots by their pilot.txt names, and
// the two abilities of the shown pilot.

#include "editors/shared/listed_record_window.h"

namespace korvane {

class Form6 : public ListedRecordWindow {
  Q_OBJECT
public:
  explicit Form6(QWidget *parent = nullptr);

private:
  void Form_Load() override;
  void unitname();
  void Open_Click();
};

} // namespace korvane
