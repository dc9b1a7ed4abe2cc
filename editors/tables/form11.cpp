#include "editors/tables/form11.h"

#include "editors/shared/editor_window.h"
#include "editors/shared/record_coherence.h"
#include "editors/tables/area_actions.h"
#include "editors/tables/upgrade_record.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

namespace {

constexpr int kBlockGap = 16;

// Wide enough for the widest number a column usually holds; longer entries scroll.
int boxWidth(const QWidget *window, const Field &field) {
  const QString sample = field.width == 4 ? QStringLiteral("-0000000") : QStringLiteral("00000");
  return window->fontMetrics().horizontalAdvance(sample) + 12;
}

// The grid column of upgrade column `column`; a narrow empty column parts the blocks.
int gridColumn(int column) { return 1 + column + (column < kUpgradeCostColumns ? 0 : 1); }

} // namespace

Form11::Form11(QWidget *parent) : QWidget(parent) {
  setUpEditorWindow(this, "Form11", QStringLiteral("Korvane机体武器改造相关"));

  open = makeButton("open", QStringLiteral("返回"), this);
  save = makeButton("save", QStringLiteral("保存"), this);
  auto *buttons = new QHBoxLayout;
  buttons->addWidget(open);
  buttons->addWidget(save);
  buttons->addStretch();

  auto *layout = new QVBoxLayout(this);
  layout->addLayout(makeGrid());
  layout->addSpacing(8);
  layout->addLayout(buttons);

  // The binder finds the boxes by name, so it comes after them.
  binder_ = std::make_unique<RecordBinder>(this, upgradeSettingsLayout());
  keepShownRecordCurrent(this, *binder_);
  reshowOnGameFileSwitch(this, GameFile::Exe, [this] { showunit(); });

  connect(save, &QPushButton::clicked, this, &Form11::save_Click);
  connect(open, &QPushButton::clicked, this, &Form11::open_Click);
  Form_Load();
}

// Row labels down the left edge, headings over the columns, the boxes column by
// column in file order, and each block's caption under it.
QGridLayout *Form11::makeGrid() {
  auto *grid = new QGridLayout;
  grid->setHorizontalSpacing(4);
  grid->setVerticalSpacing(3);
  for (int step = 0; step < kUpgradeSteps; ++step)
    grid->addWidget(new QLabel(upgradeStepLabel(step), this), 1 + step, 0);
  for (int column = 0; column < kUpgradeColumns; ++column)
    grid->addWidget(new QLabel(upgradeColumnHeading(column), this), 0, gridColumn(column),
                    Qt::AlignHCenter);

  const std::vector<Field> &fields = upgradeSettingsLayout().fields;
  for (size_t j = 0; j < fields.size(); ++j) {
    const FieldPart &part = fields[j].parts.front();
    QLineEdit *box = makeTextBox(part.control, this);
    box->setFixedWidth(boxWidth(this, fields[j]));
    box->setToolTip(part.caption);
    grid->addWidget(box, 1 + int(j) % kUpgradeSteps, gridColumn(int(j) / kUpgradeSteps));
  }
  grid->setColumnMinimumWidth(gridColumn(kUpgradeCostColumns) - 1, kBlockGap);

  const int captionRow = 1 + kUpgradeSteps;
  grid->addWidget(new QLabel(upgradeBlockCaption(0), this), captionRow, gridColumn(0), 1,
                  kUpgradeCostColumns, Qt::AlignHCenter);
  grid->addWidget(new QLabel(upgradeBlockCaption(kUpgradeCostColumns), this), captionRow,
                  gridColumn(kUpgradeCostColumns), 1, kAttackGainColumns, Qt::AlignHCenter);
  return grid;
}

void Form11::Form_Load() { showunit(); }

void Form11::showunit() { shown_ = showArea(this, *binder_); }

void Form11::save_Click() { saveArea(this, *binder_, shown_); }

void Form11::open_Click() { returnToMainWindow(this); }

} // namespace korvane
