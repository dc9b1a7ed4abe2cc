#include "editors/tables/form6.h"

#include "editors/shared/editor_window.h"
#include "editors/shared/record_actions.h"
#include "editors/tables/leader_ability_record.h"
#include "editors/tables/table_window.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

Form6::Form6(QWidget *parent)
    : ListedRecordWindow("Form6", QStringLiteral("小队长能力"), leaderAbilityLayout(), parent) {
  makeSaveButton();
  makeReturnButton("Open", this, [this] { Open_Click(); });

  // "返回" and "保存" side by side at the bottom right.
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(open);
  buttons->addWidget(save);

  // The two ability lists one above the other, each under its caption.
  auto *record = new QVBoxLayout;
  record->addLayout(headedFieldRows(this, leaderAbilityLayout(), {{"Combo1_0"}, {"Combo1_1"}}));
  record->addStretch();
  record->addLayout(buttons);

  auto *layout = new QHBoxLayout(this);
  layout->addLayout(withFilterBox(List1));
  layout->addLayout(record, 1);

  finishSetUp();
  fitListToRows(List1);
  resize(sizeHint().width(), 480);
}

void Form6::Open_Click() { returnToMain(); }

void Form6::Form_Load() {
  unitname();
  fillFixedChoices(this, leaderAbilityLayout());
}

void Form6::unitname() {
  NameListLoader names;
  List1->addItems(names.load(kPilotNames));
  names.reportProblems(this);
}

} // namespace korvane
