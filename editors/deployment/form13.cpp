#include "editors/deployment/form13.h"

#include "editors/shared/editor_window.h"
#include "editors/shared/game_paths.h"
#include "editors/shared/record_actions.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

Form13::Form13(QWidget *parent)
    : DeploymentWindow(enemyDeployment(), "Form13", QStringLiteral("敌军配置"), parent) {
  auto *grid = new QGridLayout;
  addField(grid, 0, 0, Combo1, 3);
  addField(grid, 1, 0, Combo2, 3);
  addField(grid, 2, 0, makeEntryBox(QStringLiteral("Text1")));
  addField(grid, 2, 2, makeEntryBox(QStringLiteral("Text2")));
  addField(grid, 3, 0, makeEntryBox(QStringLiteral("Text3")));
  addField(grid, 3, 2, makeEntryBox(QStringLiteral("Text4")));
  addField(grid, 4, 0, makeEntryBox(arrayElementName("Text5", 0)));
  addField(grid, 4, 2, makeEntryBox(arrayElementName("Text5", 1)));
  addField(grid, 5, 0, makePickList(QStringLiteral("Combo3"), Frame1, ChipNames()));
  addAddressField(grid, 5, 2);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);

  auto *fields = new QVBoxLayout;
  fields->addLayout(grid);
  fields->addLayout(makeButtons());
  finishSetUp(fields);
  resize(520, 600);
}

void Form13::Command2_Click() {
  int stage = 0;
  int record = 0;
  if (!requirePickedRecord(stage, record))
    return;
  saveRecord(this, gamePaths().StagePath, *binder_, recordOffset(stage, record), Command2->text());
}

} // namespace korvane
