#pragma once

// The character editor: the 735 pilots by their pilot.txt names, and the shown
// record's statistics, terrain ranks, side code, spirit commands and skills.

#include "editors/shared/record_binder.h"
#include "editors/shared/record_clipboard.h"

#include <QWidget>
#include <array>
#include <memory>

class QComboBox;
class QGridLayout;
class QLabel;
class QLayout;
class QListWidget;
class QPushButton;

namespace korvane {

class Form3 : public QWidget {
  Q_OBJECT
public:
  explicit Form3(QWidget *parent = nullptr);

private:
  void Form_Load();
  void unitname2();
  void List1_Click();
  void showunit();
  void save_Click();
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

  QListWidget *List1;
  QComboBox *Combo7;
  std::array<QComboBox *, 4> terrainCombos_{}; // Combo2 .. Combo5
  std::array<QComboBox *, 6> Combo1{};         // spirit commands
  std::array<QComboBox *, 6> Combo6{};         // skills
  QPushButton *Command2;
  QPushButton *Command3;
  QPushButton *save;
  QPushButton *Command1;
  std::unique_ptr<RecordBinder> binder_;
  RecordClipboard clipboard_;
};

} // namespace korvane
