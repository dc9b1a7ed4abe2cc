#pragma once

// The unit and weapon editor: the unit list on the left, and a tab control whose
// page "机体修改" edits the selected unit's head and whose page "武器修改" edits one
// of its 18 weapon entries. The unit page also copies and pastes whole unit
// records and gives every unit four enhancement-part slots at once.

#include "editors/shared/listed_record_window.h"
#include "editors/shared/record_clipboard.h"

#include <memory>
#include <vector>

class QLayout;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace korvane {

class NameListLoader;

class Form2 : public ListedRecordWindow {
  Q_OBJECT
public:
  explicit Form2(QWidget *parent = nullptr);
  ~Form2() override;

private:
  QWidget *buildUnitPage();
  QWidget *buildWeaponPage();
  QLayout *buildUnitStatistics(QWidget *page);
  QLayout *buildUnitChoices(QWidget *page);
  QWidget *buildUpgradeRangeFrame(QWidget *page);
  QLayout *buildUnitFlagLists(QWidget *page);
  QLayout *buildWeaponStatistics(QWidget *page);
  QLayout *buildWeaponSkillFrames(QWidget *page);
  void fillFixedLists();
  void connectHandlers();

  // Fills the unit list, the unit-code list and the weapon-effect list.
  void unitname2(NameListLoader &names);
  // Reads the selected weapon entry into the weapon page.
  bool showunit2();

  void Form_Load() override;
  // Shows the picked unit's head (showunit) and lists its weapon entries.
  void List1_Click() override;
  void List4_Click();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();
  void Command5_Click();
  void Command6_Click();
  // The range check of the upgrade-range fields, run on every change of their text
  // but a show's.
  void checkUpgradeRange(QLineEdit *box, const ControlPart &range);
  // After a show: a stored range outside its box's range is replaced by the
  // maximum, and said so naming the box.
  void replaceStoredRanges();
  // Before a save: true when no box still holds a value replaced on show, or the
  // user agreed to write it.
  bool confirmReplacedRanges();

  QTabWidget *SSTab1;
  QListWidget *List4 = nullptr;
  QLineEdit *Text18 = nullptr;
  QLineEdit *Text13 = nullptr;
  QLineEdit *Text14 = nullptr;
  QLineEdit *Text15 = nullptr;
  QLineEdit *Text33 = nullptr;
  QPushButton *Command2 = nullptr;
  QPushButton *Command4 = nullptr;
  QPushButton *Command5 = nullptr;
  QPushButton *Command6 = nullptr;

  // A box whose stored value the show replaced: what the file held, what the box got.
  struct ReplacedRange {
    QLineEdit *box;
    QString caption;
    QString stored;
    QString replacement;
  };
  std::vector<ReplacedRange> replacedRanges_;
  std::unique_ptr<RecordBinder> weaponBinder_;
  RecordClipboard clipboard_;
};

} // namespace korvane
