#include "editors/tables/form5.h"

#include "editors/tables/defensive_field_record.h"
#include "editors/tables/table_window.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

Form5::Form5(QWidget *parent)
    : ListedRecordWindow("Form5", QStringLiteral("Korvane防御力场"), defensiveFieldLayout(),
                         parent) {
  auto *buttons = new QHBoxLayout;
  buttons->addWidget(makeSaveButton());
  buttons->addWidget(makeReturnButton());
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

  finishSetUp();
  fitListToRows(List1);
  resize(sizeHint().width(), 470); // room for every field name
}

void Form5::Form_Load() {
  List1->addItems(FieldNames());
  fillFixedChoices(this, defensiveFieldLayout());
}

} // namespace korvane
