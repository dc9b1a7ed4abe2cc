#include "editors/tables/form4.h"

#include "editors/shared/choice_lists.h"
#include "editors/shared/editor_window.h"
#include "editors/shared/game_paths.h"
#include "editors/shared/record_actions.h"
#include "editors/shared/record_clipboard.h"
#include "editors/tables/part_record.h"
#include "editors/tables/table_window.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

Form4::Form4(QWidget *parent) : QWidget(parent) {
  setUpEditorWindow(this, "Form4", QStringLiteral("Korvane强化部件编辑"));

  List1 = makeRecordList("List1", this);
  save = makeButton("save", QStringLiteral("保存"), this);
  open = makeButton("open", QStringLiteral("返回"), this);

  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(save);
  buttons->addWidget(open);

  auto *record = new QVBoxLayout;
  record->addLayout(
      headedFieldRows(this, partLayout(),
                      {{"Text1_0", "Text1_1", "Text1_2", "Text1_3", "Text1_4", "Text1_5"},
                       {"Text1_6", "Text1_7", "Text1_8", "Text1_9", "Text1_10", "Text1_11"},
                       {"Combo1", "Text1_14", "Text1_18"},
                       {"Combo2", "Combo3"},
                       {"Combo4", "Combo5"}}));
  record->addStretch();
  record->addLayout(buttons);

  auto *layout = new QHBoxLayout(this);
  layout->addLayout(withFilterBox(List1));
  layout->addLayout(record, 1);

  // The binder finds the controls by name, so it comes after them.
  binder_ = std::make_unique<RecordBinder>(this, partLayout());

  connect(List1, &QListWidget::currentRowChanged, this, &Form4::List1_Click);
  connect(save, &QPushButton::clicked, this, &Form4::save_Click);
  connect(open, &QPushButton::clicked, this, &Form4::open_Click);
  Form_Load();
  fitListToRows(List1);
  resize(sizeHint().width(), 420);
}

void Form4::Form_Load() {
  List1->addItems(PartNames());
  fillFixedChoices(this, partLayout());
}

void Form4::List1_Click() { showunit(); }

void Form4::showunit() { showListedRecord(this, List1, gamePaths().ExePath, *binder_); }

void Form4::save_Click() { saveListedRecord(this, List1, gamePaths().ExePath, *binder_); }

void Form4::open_Click() { returnToMainWindow(this); }

} // namespace korvane
