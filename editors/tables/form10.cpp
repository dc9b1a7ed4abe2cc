#include "editors/tables/form10.h"

#include "editors/shared/editor_window.h"
#include "editors/tables/growth_levels.h"
#include "editors/tables/potential_correction_record.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

Form10::Form10(QWidget *parent)
    : ListedRecordWindow("Form10", QStringLiteral("Korvane底力补正百分率"),
                         potentialCorrectionLayout(), parent) {
  List1->setFixedWidth(List1->fontMetrics().horizontalAdvance(QStringLiteral("L9")) + 48);

  makeReturnButton();
  makeSaveButton();
  auto *buttons = new QHBoxLayout;
  buttons->addWidget(open);
  buttons->addStretch();
  buttons->addWidget(save);

  auto *record = new QVBoxLayout;
  record->addLayout(makeBandGrid());
  record->addStretch();
  record->addLayout(buttons);

  auto *layout = new QHBoxLayout(this);
  layout->addWidget(List1);
  layout->addLayout(record);

  nameControlsInToolTips(this, potentialCorrectionLayout());

  finishSetUp();
}

// One row per HP band, one column per percentage, in record order.
QGridLayout *Form10::makeBandGrid() {
  auto *grid = new QGridLayout;
  const QStringList &columns = PotentialColumns();
  const int columnCount = int(columns.size());
  for (int column = 0; column < columnCount; ++column)
    grid->addWidget(new QLabel(columns[column], this), 0, 1 + column, Qt::AlignHCenter);
  for (int band = 0; band < kHpBands; ++band)
    grid->addWidget(new QLabel(HpBands()[band], this), 1 + band, 0);
  for (const Field &field : potentialCorrectionLayout().fields)
    grid->addWidget(makeByteBox(field.parts.front().control, this), 1 + field.offset / columnCount,
                    1 + field.offset % columnCount, Qt::AlignHCenter);
  return grid;
}

void Form10::Form_Load() {
  for (int level = 0; level < kGrowthLevels; ++level)
    List1->addItem(growthLevelName(level));
}

} // namespace korvane
