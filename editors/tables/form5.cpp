#include "editors/tables/form5.h"

#include "editors/shared/editor_window.h"
#include "editors/shared/game_paths.h"
#include "editors/shared/record_actions.h"
#include "editors/shared/record_clipboard.h"
#include "editors/tables/defensive_field_record.h"
#include "editors/tables/table_window.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

Form5::Form5(QWidget *parent) : QWidget(parent) {
  setUpEditorWindow(this, "Form5", QStringLiteral("Korvane防御力场"));

  List1 = makeRecordList("List1", this);
  save = makeButton("save", QStringLiteral("保存"), this);
  open = makeButton("open", QStringLiteral("返回"), this);

  auto *buttons = new QHBoxLayout;
  buttons->addWidget(save);
  buttons->addWidget(open);
  buttons->addStretch();

  // The four fields in one column, the buttons below them.
  auto *record = new QVBoxLayout;
  record->addLayout(
      headedFieldRows(this, defensiveFieldLayout(), {{"Text1"}, {"Text2"}, {"Text5"}, {"Combo4"}}));
  record->addSpacing(12);
  record->addLayout(buttons);
  record->addStretch();

  auto *layout = new QHBoxLayout(this);
  layout->addWidget(List1);
  layout->addLayout(record, 1);

  // The binder finds the controls by name, so it comes after them.
  binder_ = std::make_unique<RecordBinder>(this, defensiveFieldLayout());

  connect(List1, &QListWidget::currentRowChanged, this, &Form5::List1_Click);
  connect(save, &QPushButton::clicked, this, &Form5::save_Click);
  connect(open, &QPushButton::clicked, this, &Form5::open_Click);
  Form_Load();
  fitListToRows(List1);
  resize(sizeHint().width(), 470); // room for every field name
}

void Form5::Form_Load() {
  List1->addItems(FieldNames());
  fillFixedChoices(this, defensiveFieldLayout());
}

void Form5::List1_Click() { showunit(); }

void Form5::showunit() { showListedRecord(this, List1, gamePaths().ExePath, *binder_); }

void Form5::save_Click() { saveListedRecord(this, List1, gamePaths().ExePath, *binder_); }

void Form5::open_Click() { returnToMainWindow(this); }

} // namespace korvane
