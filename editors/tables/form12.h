#pragma once

// The system settings window: the 27 game-wide settings at their twelve places,
// the two spirit-command multipliers as hex, the limits and morale changes, and
// the weapon terrain, unit terrain and all-weapon corrections.

#include "editors/shared/record_binder.h"
#include "editors/tables/system_settings_record.h"

#include <QWidget>
#include <memory>

class QGridLayout;
class QLayout;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace korvane {

class Form12 : public QWidget {
  Q_OBJECT
public:
  explicit Form12(QWidget *parent = nullptr);

private:
  void Form_Load();
  void showunit();
  void save_Click();
  void open_Click();

  QLineEdit *makeSettingBox(int field);
  QVBoxLayout *makeSingles(int first, int count);
  QGridLayout *makeRun(const SettingsRun &run);
  QLayout *makeRuns();

  QPushButton *open;
  QPushButton *save;
  std::unique_ptr<RecordBinder> binder_;
  bool shown_ = false; // the settings were read when the window loaded
};

} // namespace korvane
