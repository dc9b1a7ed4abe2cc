#pragma once

// The character editor: the 735 pilots by their pilot.txt names, and the shown
// record's statistics, terrain ranks, side code, spirit commands and skills.

#include "editors/shared/listed_record_window.h"
#include "editors/shared/record_clipboard.h"

#include <array>

class QComboBox;
class QGridLayout;
class QLabel;
class QLayout;
class QPushButton;

namespace korvane {

class Form3 : public ListedRecordWindow {
  Q_OBJECT
public:
  explicit Form3(QWidget *parent = nullptr);

private:
  void Form_Load() override;
  void unitname2();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();

  QLayout *makeStatistics();
  QLayout *makeTerrainRanks();
  QLayout *makeSideCode();
  QGridLayout *makeSpiritGrid();
  QGridLayout *makeSkillGrid();
  QLabel *makeLevelHeading();
  QLayout *makeButtons();

  QComboBox *Combo7;
  std::array<QComboBox *, 4> terrainCombos_{}; // Combo2 .. Combo5
  std::array<QComboBox *, 6> Combo1{};         // spirit commands
  std::array<QComboBox *, 6> Combo6{};         // skills
  QPushButton *Command2;
  QPushButton *Command3;
  RecordClipboard clipboard_;
};

} // namespace korvane
