#pragma once

// The enhancement-part editor: the 53 parts by name, and the shown part's
// statistics, regeneration, morale and its five codes.

#include "editors/shared/listed_record_window.h"

namespace korvane {

class Form4 : public ListedRecordWindow {
  Q_OBJECT
public:
  explicit Form4(QWidget *parent = nullptr);

private:
  void Form_Load() override;
};

} // namespace korvane
