#include "editors/tables/form8.h"

#include "editors/shared/editor_window.h"
#include "editors/tables/growth_levels.h"
#include "editors/tables/skill_training_record.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

namespace korvane {

namespace {

constexpr int kGroupGap = 8;

} // namespace

Form8::Form8(QWidget *parent)
    : ListedRecordWindow("Form8", QStringLiteral("Korvane机师特级养成"), skillTrainingLayout(),
                         parent) {
  // Room for the longest skill name and the scroll bar.
  int widest = 0;
  for (const QString &skill : trainedSkillNames())
    widest = qMax(widest, List1->fontMetrics().horizontalAdvance(skill));
  List1->setFixedWidth(widest + List1->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 16);

  auto *note = new QLabel(QStringLiteral("不能升级的技能改上面的字节的数值\n两组要相同"), this);
  note->setObjectName(QStringLiteral("Label1"));

  makeReturnButton();
  makeSaveButton();
  auto *buttons = new QHBoxLayout;
  buttons->addWidget(open);
  buttons->addStretch();
  buttons->addWidget(save);

  auto *record = new QVBoxLayout;
  record->addLayout(makeCostGrid());
  record->addSpacing(12);
  record->addWidget(makeTypeFrame());
  record->addWidget(note);
  record->addStretch();
  record->addLayout(buttons);

  auto *layout = new QHBoxLayout(this);
  layout->addWidget(List1);
  layout->addLayout(record, 1);

  nameControlsInToolTips(this, skillTrainingLayout());

  finishSetUp();
  resize(sizeHint().width(), 400);
}

// One column per level; each column holds the level's entry of the first group
// over, after a gap, its entry of the second.
QGridLayout *Form8::makeCostGrid() {
  auto *grid = new QGridLayout;
  auto *heading = new QLabel(QStringLiteral("消耗PP"), this);
  heading->setObjectName(QStringLiteral("Label12"));
  // The grid's rows carry no labels: the headings name them when hovered.
  heading->setToolTip(QStringLiteral("每列是一个等级，自上而下四行：\n"
                                     "第1行、第2行：第1组的第1格、第2格\n"
                                     "空一行后，第3行、第4行：第2组的第1格、第2格"));
  grid->addWidget(heading, 0, 0, 1, kGrowthLevels, Qt::AlignLeft);
  for (int level = 0; level < kGrowthLevels; ++level) {
    auto *column = new QLabel(growthLevelName(level), this);
    column->setToolTip(QStringLiteral("%1 的消耗PP：上面两格是第1组，下面两格是第2组")
                           .arg(growthLevelName(level)));
    grid->addWidget(column, 1, level, Qt::AlignHCenter);
  }
  constexpr int groupBoxes = kGrowthLevels * kPpCostEntrySize;
  constexpr int gapRow = 2 + kPpCostEntrySize;
  for (const Field &field : skillTrainingLayout().fields) {
    const FieldPart &part = field.parts.front();
    if (part.encoding != Encoding::Decimal)
      continue;
    const int box = field.offset - kPpCostOffset;
    const int group = box / groupBoxes;
    const int level = box % groupBoxes / kPpCostEntrySize;
    const int byte = box % kPpCostEntrySize;
    const int row = 2 + (kPpCostEntrySize + 1) * group + byte;
    grid->addWidget(makeByteBox(part.control, this), row, level);
  }
  grid->setRowMinimumHeight(gapRow, kGroupGap);
  grid->setColumnStretch(kGrowthLevels, 1);
  return grid;
}

// The four training types, two by two, made in row order so that the binder
// finds them in that order.
QGroupBox *Form8::makeTypeFrame() {
  auto *frame = new QGroupBox(QStringLiteral("养成类型"), this);
  frame->setObjectName(QStringLiteral("Frame1"));
  auto *grid = new QGridLayout(frame);
  const QStringList &types = TrainingTypes();
  for (int row = 0; row < int(types.size()); ++row) {
    auto *option = new QRadioButton(types[row], frame);
    option->setObjectName(QStringLiteral("Option%1").arg(row + 1));
    grid->addWidget(option, row / 2, row % 2);
  }
  return frame;
}

void Form8::Form_Load() { List1->addItems(trainedSkillNames()); }

} // namespace korvane
