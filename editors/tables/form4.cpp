#include "editors/tables/form4.h"

#include "editors/shared/choice_lists.h"
#include "editors/shared/editor_window.h"
#include "editors/tables/part_record.h"
#include "editors/tables/table_window.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

Form4::Form4(QWidget *parent)
    : ListedRecordWindow("Form4", QStringLiteral("Korvane强化部件编辑"), partLayout(), parent) {
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(makeSaveButton());
  buttons->addWidget(makeReturnButton());

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

  finishSetUp();
  fitListToRows(List1);
  resize(sizeHint().width(), 420);
}

void Form4::Form_Load() {
  List1->addItems(PartNames());
  fillFixedChoices(this, partLayout());
}

} // namespace korvane
