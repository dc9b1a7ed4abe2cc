#include "editors/deployment/deployment_window.h"

#include "editors/shared/editor_window.h"
#include "editors/shared/game_paths.h"
#include "editors/shared/record_actions.h"
#include "editors/shared/record_coherence.h"
#include "editors/shared/record_io.h"
#include "io/change_history.h"
#include "io/module1.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace korvane {

namespace {

QLabel *makeCaption(const char *name, int index, const QString &text, QWidget *parent) {
  auto *label = new QLabel(text, parent);
  label->setObjectName(arrayElementName(name, index));
  return label;
}

} // namespace

DeploymentWindow::DeploymentWindow(const DeploymentKind &kind, const char *name,
                                   const QString &caption, QWidget *parent)
    : QWidget(parent), kind_(kind) {
  setUpEditorWindow(this, name, caption);
  List1 = makeRecordList("List1", this);
  List2 = makeRecordList("List2", this);
  Frame1 = new QGroupBox(this);
  Frame1->setObjectName(QStringLiteral("Frame1"));
  Combo1 = makeNamePick("Combo1");
  Combo2 = makeNamePick("Combo2");
  Text6 = makeAddressBox();
  Command1 = makeButton("Command1", QStringLiteral("返回"), Frame1);
  Command2 = makeButton("Command2", QStringLiteral("写入"), Frame1);
  noRecordsNote_ = new QLabel(QStringLiteral("这一关没有配置记录"), this);
  noRecordsNote_->setObjectName(QStringLiteral("NoRecordsNote"));
  noRecordsNote_->hide();
}

void DeploymentWindow::finishSetUp(QLayout *fields) {
  Frame1->setLayout(fields);
  auto *layout = new QVBoxLayout(this);
  layout->addLayout(makeLists(), 1);
  layout->addWidget(Frame1);

  // The binder finds the controls by name, so it comes after them.
  binder_ = std::make_unique<RecordBinder>(this, kind_.layout());
  keepShownRecordCurrent(this, *binder_);
  reshowOnGameFileSwitch(this, GameFile::Stage, [this] { pickAgain(); });

  connect(List1, &QListWidget::currentRowChanged, this, &DeploymentWindow::List1_Click);
  connect(List1, &QListWidget::currentRowChanged, this, &DeploymentWindow::noteEmptyStage);
  // Every committed write, this window's or an undo's, renames the rows it touched.
  connect(&changeHistory(), &ChangeHistory::entryAdded, this, &DeploymentWindow::renameWrittenRows);
  connect(List2, &QListWidget::currentRowChanged, this, &DeploymentWindow::List2_Click);
  connect(Command1, &QPushButton::clicked, this, &DeploymentWindow::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  Form_Load();
}

// The two lists side by side, each under its caption; the stage list has a filter box.
QLayout *DeploymentWindow::makeLists() {
  auto *stages = new QVBoxLayout;
  stages->addWidget(makeCaption("Label2", 0, QStringLiteral("选择关卡"), this));
  stages->addLayout(withFilterBox(List1));
  auto *records = new QVBoxLayout;
  records->addWidget(makeCaption("Label2", 1, QStringLiteral("选择单位"), this));
  records->addWidget(noRecordsNote_);
  records->addWidget(List2);
  auto *lists = new QHBoxLayout;
  lists->addLayout(stages);
  lists->addLayout(records);
  return lists;
}

void DeploymentWindow::addField(QGridLayout *grid, int row, int column, QWidget *control,
                                int span) {
  addCaptioned(grid, row, column, controlCaption(kind_.layout(), control->objectName()), control,
               span);
}

void DeploymentWindow::addAddressField(QGridLayout *grid, int row, int column) {
  addCaptioned(grid, row, column, QStringLiteral("起始地址"), Text6, 1);
}

void DeploymentWindow::addCaptioned(QGridLayout *grid, int row, int column, const QString &caption,
                                    QWidget *control, int span) {
  grid->addWidget(makeCaption("Label1", captions_++, caption, Frame1), row, column);
  grid->addWidget(control, row, column + 1, 1, span);
}

QLineEdit *DeploymentWindow::makeEntryBox(const QString &name) {
  QLineEdit *box = makeTextBox(name, Frame1);
  box->setMinimumWidth(80);
  return box;
}

QComboBox *DeploymentWindow::makeNamePick(const char *name) {
  QComboBox *combo = makePickList(QString::fromLatin1(name), Frame1);
  combo->setMaxVisibleItems(20);
  return combo;
}

QLineEdit *DeploymentWindow::makeAddressBox() {
  QLineEdit *box = makeEntryBox(QStringLiteral("Text6"));
  makeShownOnly(box);
  return box;
}

QLayout *DeploymentWindow::makeButtons() {
  auto *row = new QHBoxLayout;
  row->addWidget(Command1);
  row->addStretch();
  row->addWidget(Command2);
  return row;
}

void DeploymentWindow::Form_Load() {
  NameListLoader names;
  loadname(names);
  names.reportProblems(this);
}

// The unit and pilot lists, then the stage offsets and names. A bad offset line
// leaves its stage in the list without records, and is named in the load message.
void DeploymentWindow::loadname(NameListLoader &names) {
  unitNames_ = names.load(kUnitNames);
  if (!kind_.emptyUnitRow.isEmpty())
    unitNames_.append(kind_.emptyUnitRow);
  fillChoices(Combo1, unitNames_);
  QStringList pilots = names.load(kPilotNames);
  if (!kind_.noPilotRow.isEmpty())
    pilots.append(kind_.noPilotRow);
  fillChoices(Combo2, pilots);
  blocks_ = readStageBlocks(*kind_.lists);
  if (const QString problem = blocks_.problem(); !problem.isEmpty())
    names.addProblem(problem);
  List1->addItems(names.load(*kind_.lists->names));
}

QString DeploymentWindow::unitName(quint32 code) const {
  if (!kind_.emptyUnitRow.isEmpty() && code == kNoneCode)
    return kind_.emptyUnitRow;
  if (code < quint32(kUnitNames.count))
    return unitNames_[int(code)];
  return QStringLiteral("（代码 %1）").arg(code);
}

qint64 DeploymentWindow::recordOffset(int stage, int record) const {
  return deploymentRecordOffset(kind_.layout(), block(stage).offset, record);
}

const Field &DeploymentWindow::unitField() const {
  const RecordLayout &layout = kind_.layout();
  return layout.fields[size_t(deploymentFieldIndex(layout, QStringLiteral("UnitCode")))];
}

// A record's row: "机体" and its number, ":" and its unit.
QString DeploymentWindow::recordRow(int record, const QString &unit) {
  return QStringLiteral("机体%1:%2").arg(record + 1).arg(unit);
}

// One row per record of the picked stage.
void DeploymentWindow::List1_Click() {
  List2->clear();
  const int stage = List1->currentRow();
  if (stage < 0 || !block(stage).usable() || block(stage).count == 0)
    return;
  QStringList rows;
  rows.reserve(block(stage).count);
  {
    Module1::Operation op(gamePaths().StagePath);
    for (int record = 0; op.ok() && record < block(stage).count; ++record) {
      const qint64 start = recordOffset(stage, record);
      QString name = QStringLiteral("（超出文件范围）");
      if (start + kind_.layout().recordSize <= op.size())
        name = unitName(readRecordField(op, unitField(), start));
      rows.append(recordRow(record, name));
    }
    if (!finishOperation(this, op))
      return;
  }
  List2->addItems(rows);
}

// The stage's rows from the file now chosen, and its record again.
void DeploymentWindow::pickAgain() {
  const int record = List2->currentRow();
  List1_Click();
  if (record >= 0 && record < List2->count())
    List2->setCurrentRow(record);
}

// Said beside the list rather than as a row of it, which would look like a record.
void DeploymentWindow::noteEmptyStage() {
  const int stage = List1->currentRow();
  noRecordsNote_->setVisible(stage >= 0 && block(stage).usable() && block(stage).count == 0);
}

// The rows of the shown stage whose unit code the last committed write changed,
// read back from the file. Quiet: the write itself reported any failure.
void DeploymentWindow::renameWrittenRows() {
  const ChangeEntry &entry = changeHistory().entries().back();
  const int stage = List1->currentRow();
  if (entry.location != gamePaths().StagePath || stage < 0 || List2->count() != block(stage).count)
    return;
  const Field &unit = unitField();
  Module1::Operation op(entry.location);
  for (int record = 0; op.ok() && record < List2->count(); ++record) {
    const qint64 start = recordOffset(stage, record);
    const qint64 code = start + unit.offset;
    const bool touched =
        std::any_of(entry.spans.begin(), entry.spans.end(), [&](const ChangeSpan &span) {
          return span.start < code + unit.width && code < span.start + span.before.size();
        });
    if (touched && start + kind_.layout().recordSize <= op.size())
      List2->item(record)->setText(recordRow(record, unitName(readRecordField(op, unit, start))));
  }
}

void DeploymentWindow::List2_Click() {
  const int stage = List1->currentRow();
  const int record = List2->currentRow();
  if (stage < 0 || record < 0)
    return;
  if (showdata11())
    Text6->setText(QString::number(recordOffset(stage, record), 16).toUpper());
  else
    Text6->clear();
}

bool DeploymentWindow::showdata11() {
  return showPickedRecord(this, List2, gamePaths().StagePath, *binder_,
                          recordOffset(List1->currentRow(), List2->currentRow()));
}

bool DeploymentWindow::requirePickedRecord(int &stage, int &record) {
  stage = List1->currentRow();
  record = List2->currentRow();
  return requireSelection(this, stage, QStringLiteral("请先在“选择关卡”列表中选择一个关卡。")) &&
         requireSelection(this, record, QStringLiteral("请先在“选择单位”列表中选择一个单位。"));
}

void DeploymentWindow::Command1_Click() { returnToMainWindow(this); }

} // namespace korvane
