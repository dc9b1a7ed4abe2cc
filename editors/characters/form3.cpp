#include "editors/characters/form3.h"

#include "editors/characters/character_record.h"
#include "editors/shared/choice_lists.h"
#include "editors/shared/editor_window.h"
#include "editors/shared/game_paths.h"
#include "editors/shared/record_actions.h"

#include <QComboBox>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <QtMath>

namespace korvane {

namespace {

// Between the level boxes of a skill row; their heading is spaced to match.
constexpr int kLevelBoxSpacing = 4;

QLabel *makeLabel(const QString &text, QWidget *parent) { return new QLabel(text, parent); }

} // namespace

Form3::Form3(QWidget *parent)
    : ListedRecordWindow("Form3", QStringLiteral("Korvane人物修改"), characterLayout(), parent),
      clipboard_(
          characterLayout(),
          {QStringLiteral("将要复制选定人物的数据,是否进行操作"),
           QStringLiteral("将要把复制的数据粘贴到选定的人物上,并且直接写入文件,是否进行操作")}) {
  // Room for a long pilot name and the scroll bar; the record takes the rest.
  List1->setFixedWidth(List1->fontMetrics().horizontalAdvance(QStringLiteral("机师代码机师代码")) +
                       List1->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8);

  auto *upper = new QHBoxLayout;
  upper->addLayout(makeStatistics());
  upper->addSpacing(16);
  upper->addLayout(makeTerrainRanks());
  upper->addSpacing(16);
  upper->addLayout(makeSideCode());
  upper->addStretch();

  auto *grids = new QHBoxLayout;
  grids->addLayout(makeSpiritGrid());
  grids->addSpacing(24);
  grids->addLayout(makeSkillGrid());
  grids->addStretch();

  auto *record = new QVBoxLayout;
  record->addLayout(upper);
  record->addSpacing(12);
  record->addLayout(grids);
  record->addStretch();
  record->addLayout(makeButtons());

  auto *layout = new QHBoxLayout(this);
  layout->addLayout(withFilterBox(List1));
  layout->addLayout(record, 1);

  nameControlsInToolTips(this, characterLayout());

  connect(Command2, &QPushButton::clicked, this, &Form3::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &Form3::Command3_Click);
  finishSetUp();
  // Sized once the lists are filled, so that the longest skill name fits.
  resize(sizeHint().width(), 520);
}

// The pilot code and the seven statistics: "SP" alone, then the pairs
// 格斗/射击, 防御/技量, 回避/命中 one over the other.
QLayout *Form3::makeStatistics() {
  auto *grid = new QGridLayout;
  grid->addWidget(makeLabel(controlCaption(characterLayout(), QStringLiteral("Combo7")), this), 0,
                  0);
  Combo7 = makePickList(QStringLiteral("Combo7"), this);
  grid->addWidget(Combo7, 0, 1, 1, 5);

  const auto addStatistic = [this, grid](int number, int row, int column) {
    const QString box = QStringLiteral("Text%1").arg(number);
    grid->addWidget(makeLabel(controlCaption(characterLayout(), box), this), row, column);
    grid->addWidget(makeByteBox(box, this), row, column + 1);
  };
  addStatistic(1, 1, 0);
  for (int i = 0; i < 6; ++i)
    addStatistic(i + 2, 2 + i % 2, 2 * (i / 2));
  grid->setColumnStretch(6, 1);
  return grid;
}

// Four drop-downs under one heading, each as wide as its word and the blanks after
// it, so that every word stands over its list.
QLayout *Form3::makeTerrainRanks() {
  auto *block = new QVBoxLayout;
  QStringList controls;
  for (size_t i = 0; i < terrainCombos_.size(); ++i)
    controls.append(QStringLiteral("Combo%1").arg(i + 2));
  auto *heading = makeLabel(rowHeading(characterLayout(), controls), this);
  block->addWidget(heading);
  auto *row = new QHBoxLayout;
  row->setSpacing(0);
  const QString firstWord = controlCaption(characterLayout(), controls[0]) + QStringLiteral("  ");
  const qreal pitch = QFontMetricsF(heading->font()).horizontalAdvance(firstWord);
  for (size_t i = 0; i < terrainCombos_.size(); ++i) {
    terrainCombos_[i] = makePickList(controls[int(i)], this);
    terrainCombos_[i]->setFixedWidth(qCeil(pitch));
    row->addWidget(terrainCombos_[i]);
  }
  row->addStretch();
  block->addLayout(row);
  block->addStretch();
  return block;
}

QLayout *Form3::makeSideCode() {
  auto *block = new QVBoxLayout;
  block->addWidget(makeLabel(controlCaption(characterLayout(), QStringLiteral("Text20")), this));
  block->addWidget(makeByteBox(QStringLiteral("Text20"), this));
  for (const QString &legend :
       {QStringLiteral("0C-我方"), QStringLiteral("08-敌方"), QStringLiteral("00-过场人物")})
    block->addWidget(makeLabel(legend, this));
  block->addStretch();
  return block;
}

QGridLayout *Form3::makeSpiritGrid() {
  auto *grid = new QGridLayout;
  grid->addWidget(makeLabel(QStringLiteral("精神名称"), this), 0, 0);
  grid->addWidget(makeLabel(QStringLiteral("修得LV"), this), 0, 1);
  // One heading over both cost bytes.
  grid->addWidget(makeLabel(QStringLiteral("消耗SP"), this), 0, 2, 1, 2, Qt::AlignHCenter);
  for (int k = 0; k < kSpiritSlots; ++k) {
    Combo1[k] = makePickList(arrayElementName("Combo1", k), this);
    grid->addWidget(Combo1[k], k + 1, 0);
    grid->addWidget(makeByteBox(arrayElementName("Text8", k), this), k + 1, 1);
    grid->addWidget(makeByteBox(arrayElementName("Text9", k), this), k + 1, 2);
    grid->addWidget(makeByteBox(arrayElementName("Text10", k), this), k + 1, 3);
  }
  grid->setRowStretch(kSpiritSlots + 1, 1);
  return grid;
}

QGridLayout *Form3::makeSkillGrid() {
  auto *grid = new QGridLayout;
  grid->setHorizontalSpacing(kLevelBoxSpacing);
  auto *headings = new QHBoxLayout;
  headings->addWidget(makeLabel(QStringLiteral("技能名称"), this));
  headings->addSpacing(12);
  headings->addStretch();
  headings->addWidget(makeLevelHeading());
  grid->addLayout(headings, 0, 0, 1, 1 + kSkillLevels);
  for (int k = 0; k < kSkillSlots; ++k) {
    Combo6[k] = makePickList(arrayElementName("Combo6", k), this);
    grid->addWidget(Combo6[k], k + 1, 0);
    for (int level = 1; level <= kSkillLevels; ++level) {
      const QByteArray box = "Text" + QByteArray::number(10 + level); // Text11 is L1
      grid->addWidget(makeByteBox(arrayElementName(box.constData(), k), this), k + 1, level);
    }
  }
  grid->setRowStretch(kSkillSlots + 1, 1);
  return grid;
}

// The level heading is one line of text; its letters are spaced so that "L1" to
// "L9" stand one box apart, and it ends over the last box, with "L9" centred on it.
QLabel *Form3::makeLevelHeading() {
  auto *heading = makeLabel(QStringLiteral("修得等级 L1  L2  L3  L4  L5  L6  L7  L8  L9"), this);
  const QString column = QStringLiteral("L1  ");
  const qreal pitch = byteBoxWidth(this) + kLevelBoxSpacing;
  QFont font = heading->font();
  const qreal natural = QFontMetricsF(font).horizontalAdvance(column);
  const qreal spacing = qMax(0.0, (pitch - natural) / column.size());
  font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
  heading->setFont(font);
  const qreal lastWord = QFontMetricsF(font).horizontalAdvance(QStringLiteral("L9"));
  heading->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  // The measured word ends with the spacing after its last letter.
  heading->setIndent(qMax(0, qRound((byteBoxWidth(this) - lastWord - spacing) / 2)));
  return heading;
}

QLayout *Form3::makeButtons() {
  Command2 = makeButton("Command2", QStringLiteral("复制"), this);
  Command3 = makeButton("Command3", QStringLiteral("粘贴"), this);
  makeSaveButton();
  makeReturnButton("Command1", this, [this] { Command1_Click(); });
  auto *row = new QHBoxLayout;
  row->addStretch();
  for (QPushButton *button : {Command2, Command3, save, open})
    row->addWidget(button);
  return row;
}

void Form3::Form_Load() {
  unitname2();
  for (QComboBox *combo : terrainCombos_)
    fillChoices(combo, TerrainRanks());
  for (QComboBox *combo : Combo1)
    fillChoices(combo, SpiritNames());
  for (QComboBox *combo : Combo6)
    fillChoices(combo, SkillNames());
}

void Form3::unitname2() {
  NameListLoader names;
  const QStringList pilots = names.load(kPilotNames);
  List1->addItems(pilots);
  fillChoices(Combo7, pilots);
  names.reportProblems(this);
}

void Form3::Command1_Click() { returnToMain(); }

void Form3::Command2_Click() { clipboard_.copy(this, gamePaths().ExePath, *List1); }

// The paste writes straight into the file, and the pilot it was pasted on is shown
// again.
void Form3::Command3_Click() { clipboard_.paste(this, gamePaths().ExePath, *List1); }

} // namespace korvane
