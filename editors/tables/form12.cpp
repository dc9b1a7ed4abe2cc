#include "editors/tables/form12.h"

#include "editors/shared/editor_window.h"
#include "editors/shared/record_coherence.h"
#include "editors/tables/area_actions.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

namespace {

// The hex text that gives a multiplier of 4 to 256, for the two multiplier boxes.
QString multiplierLegend() {
  const QStringList lines{
      QStringLiteral("  4倍:808811"), QStringLiteral("  8倍:008911"),
      QStringLiteral(" 16倍:008A11"), QStringLiteral(" 32倍:008C11"),
      QStringLiteral(" 64倍:009011"), QStringLiteral("128倍:009811"),
      QStringLiteral("256倍:00A811"),
  };
  return lines.join(u'\n');
}

int boxWidth(const QWidget *window, const Field &field) {
  const QString sample = field.hexAccess() ? QStringLiteral("00000000") : QStringLiteral("-00000");
  return window->fontMetrics().horizontalAdvance(sample) + 16;
}

} // namespace

Form12::Form12(QWidget *parent) : QWidget(parent) {
  setUpEditorWindow(this, "Form12", QStringLiteral("Korvane系统相关"));

  QVBoxLayout *left = makeSingles(0, kMultiplierSettings + kLimitSettings);
  auto *legend = new QLabel(multiplierLegend(), this);
  legend->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  left->addSpacing(8);
  left->addWidget(legend);
  left->addStretch();
  QVBoxLayout *middle = makeSingles(kMultiplierSettings + kLimitSettings,
                                    kSingleSettings - kMultiplierSettings - kLimitSettings);
  middle->addStretch();

  auto *columns = new QHBoxLayout;
  columns->addLayout(left);
  columns->addSpacing(24);
  columns->addLayout(middle);
  columns->addSpacing(24);
  columns->addLayout(makeRuns());
  columns->addStretch();

  open = makeButton("open", QStringLiteral("返回"), this);
  save = makeButton("save", QStringLiteral("保存"), this);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(open);
  buttons->addWidget(save);

  auto *layout = new QVBoxLayout(this);
  layout->addLayout(columns);
  layout->addSpacing(8);
  layout->addLayout(buttons);

  // The binder finds the boxes by name, so it comes after them.
  binder_ = std::make_unique<RecordBinder>(this, systemSettingsLayout());
  keepShownRecordCurrent(this, *binder_);
  reshowOnGameFileSwitch(this, GameFile::Exe, [this] { showunit(); });

  connect(save, &QPushButton::clicked, this, &Form12::save_Click);
  connect(open, &QPushButton::clicked, this, &Form12::open_Click);
  Form_Load();
}

QLineEdit *Form12::makeSettingBox(int field) {
  const Field &described = systemSettingsLayout().fields[field];
  const FieldPart &part = described.parts.front();
  QLineEdit *box = makeTextBox(part.control, this);
  box->setFixedWidth(boxWidth(this, described));
  box->setToolTip(part.caption);
  return box;
}

// Single settings one under another, each box under its caption.
QVBoxLayout *Form12::makeSingles(int first, int count) {
  auto *column = new QVBoxLayout;
  for (int field = first; field < first + count; ++field) {
    column->addWidget(new QLabel(systemSettingsLayout().fields[field].parts.front().caption, this));
    column->addWidget(makeSettingBox(field));
    column->addSpacing(4);
  }
  return column;
}

// The heading, the column labels over the boxes, and a label before each row.
QGridLayout *Form12::makeRun(const SettingsRun &run) {
  auto *grid = new QGridLayout;
  grid->setHorizontalSpacing(4);
  grid->addWidget(new QLabel(run.heading, this), 0, 0, 1, 1 + int(run.columns.size()));
  for (qsizetype column = 0; column < run.columns.size(); ++column)
    grid->addWidget(new QLabel(run.columns[column], this), 1, 1 + int(column), Qt::AlignHCenter);
  const int rows = qMax(1, int(run.rows.size()));
  for (int row = 0; row < rows; ++row) {
    if (!run.rows.isEmpty())
      grid->addWidget(new QLabel(run.rows[row], this), 2 + row, 0);
    for (qsizetype column = 0; column < run.columns.size(); ++column)
      grid->addWidget(makeSettingBox(run.firstField + row * int(run.columns.size()) + int(column)),
                      2 + row, 1 + int(column));
  }
  // Every run leaves room for the widest row label, so that their boxes line up.
  int labelWidth = 0;
  for (const SettingsRun &each : systemSettingsRuns())
    for (const QString &label : each.rows)
      labelWidth = qMax(labelWidth, fontMetrics().horizontalAdvance(label));
  grid->setColumnMinimumWidth(0, labelWidth);
  grid->setColumnStretch(1 + int(run.columns.size()), 1);
  return grid;
}

// Weapon terrain, then unit terrain, then the all-weapon correction at the bottom.
QLayout *Form12::makeRuns() {
  auto *block = new QVBoxLayout;
  const std::vector<SettingsRun> &runs = systemSettingsRuns();
  for (int run : {kWeaponTerrainRun, kUnitTerrainRun, kAllWeaponRun}) {
    block->addLayout(makeRun(runs[run]));
    block->addSpacing(10);
  }
  block->addStretch();
  return block;
}

void Form12::Form_Load() { showunit(); }

void Form12::showunit() { shown_ = showArea(this, *binder_); }

void Form12::save_Click() { saveArea(this, *binder_, shown_); }

void Form12::open_Click() { returnToMainWindow(this); }

} // namespace korvane
