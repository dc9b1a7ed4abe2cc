#include "editors/tables/form9.h"

#include "editors/shared/editor_window.h"
#include "editors/shared/game_paths.h"
#include "editors/shared/record_actions.h"
#include "editors/shared/record_coherence.h"
#include "editors/tables/area_actions.h"
#include "editors/tables/growth_levels.h"
#include "editors/tables/skill_correction_record.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

namespace {

// Three blocks stand in the upper half, the other two in the lower.
constexpr int kUpperBlocks = 3;
constexpr int kBlockSpacing = 20;

} // namespace

Form9::Form9(QWidget *parent) : QWidget(parent) {
  setUpEditorWindow(this, "Form9", QStringLiteral("Korvane机师特技补正"));

  const std::vector<CorrectionBlock> &blocks = correctionBlocks();
  auto *upper = new QHBoxLayout;
  auto *lower = new QHBoxLayout;
  open = makeButton("open", QStringLiteral("返回"), this);
  save = makeButton("save", QStringLiteral("保存"), this);
  auto *buttons = new QVBoxLayout;
  buttons->addWidget(open);
  buttons->addWidget(save);
  buttons->addStretch();
  lower->addLayout(buttons);
  for (size_t i = 0; i < blocks.size(); ++i) {
    QHBoxLayout *half = int(i) < kUpperBlocks ? upper : lower;
    half->addSpacing(half == lower && int(i) == kUpperBlocks ? kBlockSpacing : 0);
    half->addLayout(makeBlock(blocks[i]));
    half->addSpacing(kBlockSpacing);
  }
  upper->addStretch();
  lower->addStretch();

  auto *layout = new QVBoxLayout(this);
  layout->addLayout(upper);
  layout->addSpacing(kBlockSpacing);
  layout->addLayout(lower);
  layout->addStretch();

  // The binder finds the controls by name, so it comes after them.
  binder_ = std::make_unique<RecordBinder>(this, skillCorrectionLayout());
  keepShownRecordCurrent(this, *binder_);
  reshowOnGameFileSwitch(this, GameFile::Exe, [this] { showunit(); });
  nameControlsInToolTips(this, skillCorrectionLayout());

  connect(save, &QPushButton::clicked, this, &Form9::save_Click);
  connect(open, &QPushButton::clicked, this, &Form9::open_Click);
  Form_Load();
}

// The skill's name over the block, each column's word over its column, a level
// label before each row, and one box per entry byte: the fields of the area that
// lie inside the block.
QGridLayout *Form9::makeBlock(const CorrectionBlock &block) {
  auto *grid = new QGridLayout;
  grid->setHorizontalSpacing(4);
  grid->setVerticalSpacing(2);
  grid->addWidget(new QLabel(block.name, this), 0, 1, 1, block.entrySize);
  for (int byte = 0; byte < block.entrySize; ++byte)
    grid->addWidget(makeColumnHeading(block, byte), 1, 1 + byte, Qt::AlignHCenter);
  for (int level = 0; level < kGrowthLevels; ++level)
    grid->addWidget(new QLabel(growthLevelName(level), this), 2 + level, 0);
  const int blockEnd = block.areaOffset + kGrowthLevels * block.entrySize;
  for (const Field &field : skillCorrectionLayout().fields) {
    if (field.offset < block.areaOffset || field.offset >= blockEnd)
      continue;
    const int place = field.offset - block.areaOffset;
    grid->addWidget(makeByteBox(field.parts.front().control, this), 2 + place / block.entrySize,
                    1 + place % block.entrySize);
  }
  return grid;
}

// A column without a word of its own still has a heading cell: hovering it names
// the column as a refusal of its boxes does.
QLabel *Form9::makeColumnHeading(const CorrectionBlock &block, int byte) {
  auto *heading = new QLabel(block.columns[byte], this);
  if (block.columns[byte].isEmpty()) {
    heading->setMinimumWidth(byteBoxWidth(this));
    heading->setToolTip(QStringLiteral("%1 第%2格：这一列没有标题").arg(block.name).arg(byte + 1));
  }
  return heading;
}

void Form9::Form_Load() { showunit(); }

void Form9::showunit() { areaShown_ = showArea(this, *binder_); }

void Form9::save_Click() { saveArea(this, *binder_, areaShown_); }

void Form9::open_Click() { returnToMainWindow(this); }

} // namespace korvane
