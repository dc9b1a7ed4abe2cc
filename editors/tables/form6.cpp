#include "editors/tables/form6.h"

#include "editors/shared/editor_window.h"
#include "editors/shared/game_paths.h"
#include "editors/shared/record_actions.h"
#include "editors/shared/record_clipboard.h"
#include "editors/tables/leader_ability_record.h"
#include "editors/tables/table_window.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

Form6::Form6(QWidget *parent) : QWidget(parent) {
  setUpEditorWindow(this, "Form6", QStringLiteral("小队长能力"));

  List1 = makeRecordList("List1", this);
  save = makeButton("save", QStringLiteral("保存"), this);
  Open = makeButton("Open", QStringLiteral("返回"), this);

  // "返回" and "保存" side by side at the bottom right.
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Open);
  buttons->addWidget(save);

  // The two ability lists one above the other, each under its caption.
  auto *record = new QVBoxLayout;
  record->addLayout(headedFieldRows(this, leaderAbilityLayout(), {{"Combo1_0"}, {"Combo1_1"}}));
  record->addStretch();
  record->addLayout(buttons);

  auto *layout = new QHBoxLayout(this);
  layout->addLayout(withFilterBox(List1));
  layout->addLayout(record, 1);

  // The binder finds the controls by name, so it comes after them.
  binder_ = std::make_unique<RecordBinder>(this, leaderAbilityLayout());

  connect(List1, &QListWidget::currentRowChanged, this, &Form6::List1_Click);
  connect(save, &QPushButton::clicked, this, &Form6::save_Click);
  connect(Open, &QPushButton::clicked, this, &Form6::Open_Click);
  Form_Load();
  fitListToRows(List1);
  resize(sizeHint().width(), 480);
}

void Form6::Form_Load() {
  unitname();
  fillFixedChoices(this, leaderAbilityLayout());
}

void Form6::unitname() {
  NameListLoader names;
  List1->addItems(names.load(kPilotNames));
  names.reportProblems(this);
}

void Form6::List1_Click() { showunit(); }

void Form6::showunit() { showListedRecord(this, List1, gamePaths().ExePath, *binder_); }

void Form6::save_Click() { saveListedRecord(this, List1, gamePaths().ExePath, *binder_); }

void Form6::Open_Click() { returnToMainWindow(this); }

} // namespace korvane
