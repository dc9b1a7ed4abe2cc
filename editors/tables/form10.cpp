#include "editors/tables/form10.h"

#include "editors/shared/editor_window.h"
#include "editors/shared/game_paths.h"
#include "editors/shared/record_actions.h"
#include "editors/shared/record_clipboard.h"
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

Form10::Form10(QWidget *parent) : QWidget(parent) {
  setUpEditorWindow(this, "Form10", QStringLiteral("Korvane底力补正百分率"));

  List1 = makeRecordList("List1", this);
  List1->setFixedWidth(List1->fontMetrics().horizontalAdvance(QStringLiteral("L9")) + 48);

  open = makeButton("open", QStringLiteral("返回"), this);
  save = makeButton("save", QStringLiteral("保存"), this);
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

  // The binder finds the controls by name, so it comes after them.
  binder_ = std::make_unique<RecordBinder>(this, potentialCorrectionLayout());
  nameControlsInToolTips(this, potentialCorrectionLayout());

  connect(List1, &QListWidget::currentRowChanged, this, &Form10::List1_Click);
  connect(save, &QPushButton::clicked, this, &Form10::save_Click);
  connect(open, &QPushButton::clicked, this, &Form10::open_Click);
  Form_Load();
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

void Form10::List1_Click() { showunit(); }

void Form10::showunit() { showListedRecord(this, List1, gamePaths().ExePath, *binder_); }

void Form10::save_Click() { saveListedRecord(this, List1, gamePaths().ExePath, *binder_); }

void Form10::open_Click() { returnToMainWindow(this); }

} // namespace korvane
