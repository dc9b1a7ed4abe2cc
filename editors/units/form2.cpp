#include "editors/units/form2.h"

#include "editors/shared/choice_lists.h"
#include "editors/shared/editor_window.h"
#include "editors/shared/field_codec.h"
#include "editors/shared/game_paths.h"
#include "editors/shared/messages.h"
#include "editors/shared/record_actions.h"
#include "editors/shared/record_coherence.h"
#include "editors/units/unit_lists.h"
#include "editors/units/unit_record.h"
#include "editors/units/weapon_record.h"
#include "io/change_history.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace korvane {

namespace {

constexpr int kWeaponTraits = 4; // the check boxes Check1(0..3)

QString nameOf(const char *name) { return QString::fromLatin1(name); }

QLabel *makeLabel(const QString &caption, QWidget *parent) { return new QLabel(caption, parent); }

QLineEdit *makeBox(const char *name, QWidget *parent, int width = 72) {
  QLineEdit *box = makeTextBox(nameOf(name), parent);
  box->setMinimumWidth(width);
  return box;
}

QComboBox *makeCombo(const QString &name, QWidget *parent, const QStringList &rows = {}) {
  QComboBox *combo = makePickList(name, parent, rows);
  combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  combo->setMinimumContentsLength(6);
  return combo;
}

// A list whose rows can each be ticked, one row per bit.
QListWidget *makeFlagList(const char *name, const QStringList &rows, QWidget *parent) {
  auto *list = new QListWidget(parent);
  list->setObjectName(nameOf(name));
  for (const QString &row : rows) {
    auto *item = new QListWidgetItem(row, list);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
  // Every row visible without scrolling.
  list->setFixedHeight(list->sizeHintForRow(0) * int(rows.size()) + 2 * list->frameWidth() + 4);
  list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth() + 8);
  return list;
}

// The four terrain ranks under their one caption, each drop-down under its word.
QLayout *terrainRow(const RecordLayout &table, const QStringList &names, QWidget *page) {
  const QString heading = rowHeading(table, names);
  QLabel *caption = makeLabel(heading, page);
  const int wordWidth = caption->fontMetrics().horizontalAdvance(heading.left(5));
  auto *combos = new QHBoxLayout;
  combos->setSpacing(4);
  for (const QString &name : names) {
    QComboBox *combo = makeCombo(name, page, TerrainRanks());
    combo->setMinimumContentsLength(1);
    combo->setFixedWidth(std::max(wordWidth - 4, combo->minimumSizeHint().width()));
    combos->addWidget(combo);
  }
  combos->addStretch();
  auto *layout = new QVBoxLayout;
  layout->setSpacing(2);
  layout->addWidget(caption);
  layout->addLayout(combos);
  return layout;
}

// Adds a caption and its control to a grid of caption/control column pairs.
void addPair(QGridLayout *grid, int row, int pair, const QString &caption, QWidget *control,
             QWidget *page) {
  grid->addWidget(makeLabel(caption, page), row, 2 * pair);
  grid->addWidget(control, row, 2 * pair + 1);
}

// A control that shows a part of `layout`, beside the part's caption.
void addPair(QGridLayout *grid, int row, int pair, const RecordLayout &layout, QWidget *control,
             QWidget *page) {
  addPair(grid, row, pair, controlCaption(layout, control->objectName()), control, page);
}

QLayout *twoBoxes(QWidget *first, QWidget *between, QWidget *second) {
  auto *layout = new QHBoxLayout;
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(first);
  if (between)
    layout->addWidget(between);
  layout->addWidget(second);
  return layout;
}

// What the range check reads: the number the text starts with, blanks before it
// skipped; a text that starts with no number counts as 0.
double leadingNumber(const QString &text) {
  static const QRegularExpression number(QStringLiteral("^\\s*([+-]?(\\d+\\.?\\d*|\\.\\d+))"));
  const QRegularExpressionMatch match = number.match(text);
  return match.hasMatch() ? match.captured(1).toDouble() : 0.0;
}

QStringList weaponRows() {
  QStringList rows;
  for (int row = 0; row < kWeaponsPerUnit; ++row)
    rows.append(QStringLiteral("武器") + QString::number(row + 1));
  return rows;
}

} // namespace

Form2::Form2(QWidget *parent)
    : ListedRecordWindow("Form2", QStringLiteral("Korvane机体修改器"), unitHeadLayout(), parent),
      clipboard_(
          unitHeadLayout(),
          {QStringLiteral("将要复制选定机体的数据,是否进行操作"),
           QStringLiteral("将要把复制的数据粘贴到选定机体的上,并且直接写入文件,是否进行操作")}) {
  List1->setMinimumWidth(160);
  SSTab1 = new QTabWidget(this);
  SSTab1->setObjectName(QStringLiteral("SSTab1"));
  SSTab1->addTab(buildUnitPage(), QStringLiteral("机体修改"));
  SSTab1->addTab(buildWeaponPage(), QStringLiteral("武器修改"));
  auto *right = new QVBoxLayout;
  right->addWidget(SSTab1, 1);
  right->addWidget(makeReturnButton("Command3", this, [this] { Command3_Click(); }), 0,
                   Qt::AlignRight);
  auto *layout = new QHBoxLayout(this);
  layout->addLayout(withFilterBox(List1));
  layout->addLayout(right, 1);

  // The weapon binder finds the controls by name, so every control exists by now.
  weaponBinder_ = std::make_unique<RecordBinder>(this, weaponLayout());
  keepShownRecordCurrent(this, *weaponBinder_);
  connectHandlers();
  finishSetUp();
  binder_->setAfterShow([this] { replaceStoredRanges(); });
}

Form2::~Form2() = default;

QWidget *Form2::buildUnitPage() {
  auto *page = new QWidget(SSTab1);
  auto *middle = new QVBoxLayout;
  middle->addWidget(buildUpgradeRangeFrame(page));
  middle->addLayout(buildUnitChoices(page));
  middle->addStretch();

  auto *fields = new QHBoxLayout;
  fields->addLayout(buildUnitStatistics(page));
  fields->addSpacing(12);
  fields->addLayout(middle);
  fields->addSpacing(12);
  fields->addLayout(buildUnitFlagLists(page));

  QPushButton *Command1 = makeSaveButton("Command1", page, [this] { Command1_Click(); });
  Command5 = makeButton("Command5", QStringLiteral("复制该机体数据"), page);
  Command6 = makeButton("Command6", QStringLiteral("粘贴机体数据"), page);
  Command4 = makeButton("Command4", QStringLiteral("全机体可装备4个强化部件"), page);
  auto *buttons = new QHBoxLayout;
  for (QPushButton *button : {Command1, Command5, Command6, Command4})
    buttons->addWidget(button);
  buttons->addStretch();

  auto *layout = new QVBoxLayout(page);
  layout->addLayout(fields);
  layout->addStretch();
  layout->addLayout(buttons);
  return page;
}

QLayout *Form2::buildUnitStatistics(QWidget *page) {
  auto *grid = new QGridLayout;
  grid->addWidget(makeLabel(controlCaption(unitHeadLayout(), QStringLiteral("Combo22")), page), 0,
                  0);
  QComboBox *unitCode = makeCombo("Combo22", page);
  unitCode->setMinimumContentsLength(12);
  grid->addWidget(unitCode, 0, 1, 1, 3);

  Text18 = makeBox("Text18", page);
  makeShownOnly(Text18); // the record's file offset, for information
  addPair(grid, 1, 0, QStringLiteral("名称指针"), makeBox("Text34", page), page);
  addPair(grid, 1, 1, QStringLiteral("首地址"), Text18, page);
  addPair(grid, 2, 0, QStringLiteral("HP"), makeBox("Text1", page), page);
  addPair(grid, 2, 1, QStringLiteral("EN"), makeBox("Text2", page), page);
  addPair(grid, 3, 0, QStringLiteral("移动力"), makeBox("Text3", page), page);
  addPair(grid, 3, 1, QStringLiteral("运动性"), makeBox("Text4", page), page);
  addPair(grid, 4, 0, QStringLiteral("装甲"), makeBox("Text5", page), page);
  addPair(grid, 4, 1, QStringLiteral("大小"), makeCombo("Combo1", page), page);
  grid->addWidget(makeLabel(QStringLiteral("編成占位"), page), 5, 0);
  grid->addLayout(twoBoxes(makeBox("Text6", page, 40), nullptr, makeBox("Text7", page, 40)), 5, 1);
  addPair(grid, 5, 1, QStringLiteral("强化芯片"), makeBox("Text16", page), page);
  addPair(grid, 6, 0, QStringLiteral("修理费"), makeBox("Text8", page), page);
  addPair(grid, 6, 1, QStringLiteral("击坠资金"), makeBox("Text9", page), page);
  addPair(grid, 7, 0, QStringLiteral("击坠经验"), makeBox("Text10", page), page);
  addPair(grid, 7, 1, QStringLiteral("击坠PP"), makeBox("Text11", page), page);
  addPair(grid, 8, 0, QStringLiteral("移动类型"), makeCombo("Combo2", page), page);
  grid->addLayout(terrainRow(unitHeadLayout(), {"Combo3", "Combo4", "Combo5", "Combo6"}, page), 9,
                  0, 1, 4);
  grid->setRowStretch(10, 1);
  return grid;
}

QWidget *Form2::buildUpgradeRangeFrame(QWidget *page) {
  auto *frame = new QGroupBox(QStringLiteral("改造幅度"), page);
  frame->setObjectName(QStringLiteral("Frame3"));
  auto *word = makeBox("Text12", frame, 90);
  makeShownOnly(word); // composed from the four ranges on every save
  Text33 = makeBox("Text33", frame, 50);
  Text15 = makeBox("Text15", frame, 50);
  Text14 = makeBox("Text14", frame, 50);
  Text13 = makeBox("Text13", frame, 50);

  auto *grid = new QGridLayout(frame);
  grid->addWidget(word, 0, 0, 1, 4);
  addPair(grid, 1, 0, unitHeadLayout(), Text33, frame);
  addPair(grid, 1, 1, unitHeadLayout(), Text15, frame);
  addPair(grid, 2, 0, unitHeadLayout(), Text14, frame);
  addPair(grid, 2, 1, unitHeadLayout(), Text13, frame);
  return frame;
}

QLayout *Form2::buildUnitChoices(QWidget *page) {
  auto *grid = new QGridLayout;
  addPair(grid, 0, 0, QStringLiteral("防御力场1"), makeCombo("Combo7", page), page);
  addPair(grid, 1, 0, QStringLiteral("防御力场2"), makeCombo("Combo8", page), page);
  addPair(grid, 2, 0, QStringLiteral("状态防御"), makeCombo("Combo9", page), page);
  addPair(grid, 3, 0, QStringLiteral("特技"), makeCombo("Combo10", page), page);
  addPair(grid, 4, 0, QStringLiteral("乘换类型"), makeCombo("Combo11", page), page);
  addPair(grid, 5, 0, QStringLiteral("敌我判定"), makeBox("Text17", page, 40), page);
  grid->addWidget(makeLabel(QStringLiteral("00敌单位02敌母舰08我单位0c我母舰"), page), 6, 0, 1, 2);
  return grid;
}

QLayout *Form2::buildUnitFlagLists(QWidget *page) {
  auto *layout = new QVBoxLayout;
  layout->addWidget(makeLabel(QStringLiteral("机体装备"), page));
  layout->addWidget(makeFlagList("List2", EquipmentFlags(), page));
  layout->addWidget(makeFlagList("List3", AbilityFlags(), page));
  layout->addStretch();
  return layout;
}

QWidget *Form2::buildWeaponPage() {
  auto *page = new QWidget(SSTab1);
  List4 = makeRecordList("List4", page);
  List4->setFixedWidth(List4->fontMetrics().horizontalAdvance(QStringLiteral("武器188")) + 40);

  auto *right = new QVBoxLayout;
  right->addLayout(buildWeaponSkillFrames(page));
  right->addStretch();
  Command2 = makeButton("Command2", QStringLiteral("保存"), page);
  right->addWidget(Command2);

  auto *layout = new QHBoxLayout(page);
  layout->addWidget(List4);
  layout->addLayout(buildWeaponStatistics(page), 1);
  layout->addSpacing(12);
  layout->addLayout(right);
  return page;
}

QLayout *Form2::buildWeaponStatistics(QWidget *page) {
  auto *grid = new QGridLayout;
  addPair(grid, 0, 0, QStringLiteral("攻击力"), makeBox("Text19", page), page);
  auto *dash = makeLabel(QStringLiteral("——"), page);
  dash->setObjectName(QStringLiteral("Label26"));
  grid->addWidget(makeLabel(QStringLiteral("射程"), page), 0, 2);
  grid->addLayout(twoBoxes(makeBox("Text20", page, 40), dash, makeBox("Text21", page, 40)), 0, 3);
  addPair(grid, 1, 0, QStringLiteral("命中"), makeBox("Text22", page), page);
  addPair(grid, 1, 1, QStringLiteral("必杀"), makeBox("Text23", page), page);
  addPair(grid, 2, 0, QStringLiteral("弹数"), makeBox("Text24", page), page);
  addPair(grid, 2, 1, QStringLiteral("EN"), makeBox("Text25", page), page);
  addPair(grid, 3, 0, QStringLiteral("气力"), makeBox("Text26", page), page);
  addPair(grid, 3, 1, QStringLiteral("敌我识别"), makeCombo("Combo19", page), page);
  grid->addLayout(terrainRow(weaponLayout(), {"Combo13", "Combo14", "Combo15", "Combo16"}, page), 4,
                  0, 1, 4);
  addPair(grid, 5, 0, QStringLiteral("种类"), makeCombo("Combo17", page), page);
  addPair(grid, 5, 1, QStringLiteral("MAP形状"), makeCombo("Combo18", page), page);
  addPair(grid, 6, 0, QStringLiteral("中心.方向范围"), makeBox("Text27", page, 40), page);
  addPair(grid, 6, 1, QStringLiteral("着弹指定范围"), makeBox("Text28", page, 40), page);
  // The long lists get the whole width.
  int row = 7;
  for (const char *name : {"Combo12", "Combo23", "Combo20"}) {
    grid->addWidget(makeLabel(controlCaption(weaponLayout(), nameOf(name)), page), row, 0);
    grid->addWidget(makeCombo(name, page), row++, 1, 1, 3);
  }
  grid->setRowStretch(row, 1);
  return grid;
}

QLayout *Form2::buildWeaponSkillFrames(QWidget *page) {
  auto *skill = new QGroupBox(QStringLiteral("必要技能"), page);
  skill->setObjectName(QStringLiteral("Frame2"));
  auto *skillByte = makeBox("Text30", skill, 40);
  makeShownOnly(skillByte); // the byte as it was read, for information
  auto *skillGrid = new QGridLayout(skill);
  addPair(skillGrid, 0, 0, QStringLiteral("必要技能"), skillByte, skill);
  skillGrid->addWidget(makeCombo("Combo21", skill), 1, 0, 1, 2);
  skillGrid->addWidget(makeLabel(QStringLiteral("技能等级"), skill), 2, 0);
  skillGrid->addLayout(
      twoBoxes(makeBox("Text31", skill, 40), nullptr, makeBox("Text32", skill, 40)), 2, 1);

  auto *traits = new QGroupBox(QStringLiteral("武器特性"), page);
  traits->setObjectName(QStringLiteral("Frame1"));
  auto *traitList = new QVBoxLayout(traits);
  for (int k = 0; k < kWeaponTraits; ++k) {
    const QString name = arrayElementName("Check1", k);
    auto *box = new QCheckBox(controlCaption(weaponLayout(), name), traits);
    box->setObjectName(name);
    traitList->addWidget(box);
  }

  auto *layout = new QVBoxLayout;
  layout->addWidget(skill);
  layout->addWidget(traits);
  return layout;
}

void Form2::Form_Load() {
  NameListLoader names;
  unitname2(names);
  fillFixedLists();
  names.reportProblems(this);
}

void Form2::unitname2(NameListLoader &names) {
  const QStringList units = names.load(kUnitNames);
  List1->addItems(units);
  fillChoices(findChild<QComboBox *>(QStringLiteral("Combo22")), units);
  fillChoices(findChild<QComboBox *>(QStringLiteral("Combo20")), names.load(kEffectNames));
}

void Form2::fillFixedLists() {
  const std::pair<const char *, const QStringList &> lists[] = {
      {"Combo1", UnitSizes()},      {"Combo2", MoveTypes()},         {"Combo7", FieldChoices()},
      {"Combo8", FieldChoices()},   {"Combo9", StatusDefenses()},    {"Combo10", UnitSkills()},
      {"Combo11", TransferTypes()}, {"Combo12", UpgradeCostTypes()}, {"Combo17", WeaponKinds()},
      {"Combo18", MapShapes()},     {"Combo19", FriendFoeChoices()}, {"Combo21", RequiredSkills()},
      {"Combo23", Animations()}};
  for (const auto &[name, rows] : lists)
    fillChoices(findChild<QComboBox *>(nameOf(name)), rows);
}

void Form2::connectHandlers() {
  connect(List4, &QListWidget::currentRowChanged, this, &Form2::List4_Click);
  connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
  connect(Command4, &QPushButton::clicked, this, &Form2::Command4_Click);
  connect(Command5, &QPushButton::clicked, this, &Form2::Command5_Click);
  connect(Command6, &QPushButton::clicked, this, &Form2::Command6_Click);
  for (QLineEdit *box : {Text13, Text14, Text15, Text33}) {
    const ControlPart range = findControlPart(unitHeadLayout(), box->objectName());
    connect(box, &QLineEdit::textChanged, this,
            [this, box, range] { checkUpgradeRange(box, range); });
  }
}

bool Form2::showunit2() {
  return showPickedRecord(this, List4, gamePaths().ExePath, *weaponBinder_,
                          weaponOffset(List1->currentRow(), List4->currentRow()));
}

void Form2::List1_Click() {
  const int row = List1->currentRow();
  if (row < 0)
    return;
  if (!showunit()) {
    // The pages still show the unit picked before, which no save may now write.
    List4->clear();
    Text18->clear();
    return;
  }
  List4->clear();
  List4->addItems(weaponRows());
  Text18->setText(QString::number(unitHeadLayout().recordOffset(row), 16).toUpper());
}

void Form2::List4_Click() {
  if (List4->currentRow() < 0 || List1->currentRow() < 0)
    return;
  if (showunit())
    showunit2();
  else
    List4->clear();
}

void Form2::Command1_Click() {
  if (confirmReplacedRanges() && saveShownRecord())
    replacedRanges_.clear(); // the file now holds what the boxes show
}

void Form2::Command3_Click() { returnToMain(); }

void Form2::Command2_Click() {
  const int unit = List1->currentRow();
  const int weapon = List4->currentRow();
  if (!requireSelection(this, unit, pickRecordMessage()) ||
      !requireSelection(this, weapon, QStringLiteral("请先在武器列表中选择一项武器。")))
    return;
  saveRecord(this, gamePaths().ExePath, *weaponBinder_, weaponOffset(unit, weapon));
}

// Every unit gets four enhancement-part slots, in one operation over the whole
// table: a file too short for it is refused before anything is written.
void Form2::Command4_Click() {
  const RecordLayout &table = unitHeadLayout();
  Edit edit;
  edit.file = gamePaths().ExePath;
  edit.label = {windowTitle(), Command4->text()};
  edit.reachStart = table.tableOffset;
  edit.reachLength = table.tableEnd() - table.tableOffset;
  edit.what = table.what;
  for (int row = 0; row < table.recordCount; ++row)
    edit.spans.push_back({table.recordOffset(row) + kPartSlotsOffset, QByteArray(1, 4), {}});
  runEdit(this, edit);
}

void Form2::Command5_Click() { clipboard_.copy(this, gamePaths().ExePath, *List1); }

void Form2::Command6_Click() { clipboard_.paste(this, gamePaths().ExePath, *List1); }

// An entry outside the range is announced and replaced by the maximum.
void Form2::checkUpgradeRange(QLineEdit *box, const ControlPart &range) {
  if (binder_ && binder_->showing())
    return; // the show says what it replaced once the page is filled
  // A number the save takes ("１２", "12.0") is in range, whatever it starts with.
  if (parsePartText(*range.part, *range.field, box->text()).value)
    return;
  const int maximum = int(partMaximum(*range.part, *range.field));
  const double number = leadingNumber(box->text());
  if (number >= 1 && number <= maximum)
    return;
  showMessage(this, QStringLiteral("请填入1-%1范围的整数").arg(maximum));
  box->setText(QString::number(maximum));
  box->setFocus();
}

// A stored range of 0 is no range the game uses: the box shows the maximum, and
// the save asks before it writes that in place of what the file holds.
void Form2::replaceStoredRanges() {
  replacedRanges_.clear();
  const ControlPart word = findControlPart(unitHeadLayout(), Text33->objectName());
  QStringList lines;
  for (const FieldPart &part : word.field->parts) {
    auto *box = findChild<QLineEdit *>(part.control);
    if (parsePartText(part, *word.field, box->text()).value)
      continue;
    const QString maximum = QString::number(partMaximum(part, *word.field));
    replacedRanges_.push_back({box, part.caption, box->text(), maximum});
    lines << QStringLiteral("“%1”：文件中是 %2，不在 %3 到 %4 之间，窗口中换成了 %4。")
                 .arg(part.caption, box->text())
                 .arg(partMinimum(part, *word.field))
                 .arg(maximum);
    const QSignalBlocker quiet(box);
    box->setText(maximum);
  }
  if (lines.isEmpty())
    return;
  showMessage(this, lines.join(u'\n') + QStringLiteral("\n保存时会先询问是否写入换成的值。"));
  replacedRanges_.front().box->setFocus();
}

bool Form2::confirmReplacedRanges() {
  QStringList lines;
  for (const ReplacedRange &replaced : replacedRanges_)
    if (replaced.box->text().trimmed() == replaced.replacement)
      lines << QStringLiteral("“%1”：文件中是 %2，将写入 %3")
                   .arg(replaced.caption, replaced.stored, replaced.replacement);
  return lines.isEmpty() ||
         askOkCancel(this, QStringLiteral("以下栏位的值不是输入的，而是本窗口显示时换上的：\n%1\n\n"
                                          "确定：保存，写入这些值。\n取消：不写入任何内容。")
                               .arg(lines.join(u'\n')));
}

} // namespace korvane
