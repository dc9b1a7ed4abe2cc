#include "editors/deployment/form14.h"

#include "editors/shared/editor_window.h"
#include "editors/shared/field_codec.h"
#include "editors/shared/game_paths.h"
#include "editors/shared/messages.h"
#include "editors/shared/record_actions.h"
#include "editors/shared/record_coherence.h"
#include "editors/shared/record_io.h"
#include "io/change_history.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

namespace {

QLabel *makeNote(const char *name, const QString &text, QWidget *parent) {
  auto *note = new QLabel(text, parent);
  note->setObjectName(QString::fromLatin1(name));
  return note;
}

} // namespace

Form14::Form14(QWidget *parent)
    : DeploymentWindow(allyDeployment(), "Form14", QStringLiteral("我方配置"), parent) {
  auto *grid = new QGridLayout;
  addField(grid, 0, 0, Combo1, 3);
  addField(grid, 1, 0, Combo2, 3);
  addField(grid, 2, 0, makeEntryBox(QStringLiteral("Text1")));
  addField(grid, 3, 0, makeEntryBox(QStringLiteral("Text3")));
  addField(grid, 3, 2, makeEntryBox(QStringLiteral("Text4")));
  addField(grid, 4, 0, makeEntryBox(arrayElementName("Text5", 0)));
  addField(grid, 4, 2, makeEntryBox(arrayElementName("Text5", 1)));
  addField(grid, 5, 0, makeEntryBox(arrayElementName("Text5", 2)));
  addAddressField(grid, 5, 2);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);

  QLabel *wide =
      makeNote("Label5",
               QStringLiteral("说明3：原来为空位的单位把机体改成非空位过关后可以添加其加入。但建议"
                              "原来不是空位的机体不要改成空位，否则写入时会出问题"),
               Frame1);
  wide->setWordWrap(true);
  auto *fields = new QVBoxLayout;
  fields->addLayout(grid);
  fields->addWidget(makeNote("Label3", QStringLiteral("说明1：过关加入改01为加入"), Frame1));
  fields->addWidget(
      makeNote("Label4", QStringLiteral("说明2：改造段数为100时说明该单位为副机师"), Frame1));
  fields->addWidget(wide);
  fields->addLayout(makeButtons());
  finishSetUp(fields);
  resize(520, 660);
}

// Writes the record and, when it was an empty slot saved with a pilot, marks the
// next record of the stage as an empty slot: both in one operation, all or nothing.
// A record changed in the file since it was shown, and a mark over a unit, are
// asked about with the file closed; the write then finds the file as it was when
// the user answered about the mark, or writes nothing.
void Form14::Command2_Click() {
  int stage = 0;
  int record = 0;
  RecordValues values;
  if (!requirePickedRecord(stage, record) || !collectEntries(this, *binder_, values))
    return;
  const RecordLayout &layout = allyRecordLayout();
  const quint32 pilot = values[size_t(deploymentFieldIndex(layout, QStringLiteral("PilotCode")))];
  const qint64 start = recordOffset(stage, record);
  std::optional<MarkCheck> asked;
  RecordValues inFile;
  QStringList changes;
  {
    Module1::Operation op(gamePaths().StagePath);
    asked = checkMark(op, stage, record, pilot);
    if (asked) {
      inFile = readRecord(op, layout, start);
      changes = fieldsChangedSinceShown(*binder_, start, inFile);
    }
    if (!finishOperation(this, op))
      return;
  }
  if (!confirmOverwrite(this, *binder_, gamePaths().StagePath, changes, Command2->text()))
    return;
  const bool mark =
      asked->mark && (asked->nextUnit == kNoneCode || confirmMark(record, asked->nextUnit));
  const Field &unit =
      layout.fields[size_t(deploymentFieldIndex(layout, QStringLiteral("UnitCode")))];
  // The record as the questions showed it and, when a mark was considered, the
  // next record's unit code: checked by the write, which otherwise writes nothing.
  Edit edit;
  edit.file = gamePaths().StagePath;
  edit.label = {windowTitle(), Command2->text()};
  edit.origin = binder_.get();
  edit.spans = recordSpans(layout, start, values, &inFile);
  if (asked->mark)
    edit.spans.push_back({recordOffset(stage, record + 1) + unit.offset,
                          mark ? littleEndianBytes(kNoneCode, unit.width) : QByteArray(),
                          littleEndianBytes(asked->nextUnit, unit.width)});
  const EditResult result = commitEdit(edit);
  if (result.status == EditResult::Status::Drifted) {
    showMessage(
        this, QStringLiteral("stage.bin 在询问期间被改动过，没有写入。请重新选择该单位后再写入。"));
    return;
  }
  if (!result.written()) {
    showMessage(this, result.error);
    return;
  }
  binder_->showWritten(values);
}

// Reads what the save of `record` depends on; nothing when the record, or the unit
// code of a record it would mark, lies outside the file (the operation then fails).
std::optional<Form14::MarkCheck> Form14::checkMark(Module1::Operation &op, int stage, int record,
                                                   quint32 savedPilot) {
  const RecordLayout &layout = allyRecordLayout();
  const Field &unit =
      layout.fields[size_t(deploymentFieldIndex(layout, QStringLiteral("UnitCode")))];
  const qint64 start = recordOffset(stage, record);
  if (!op.requireSpan(start, layout.recordSize, layout.what))
    return std::nullopt;
  // The old unit code is the file's, not the one last shown.
  MarkCheck check;
  check.mark =
      marksNextSlotEmpty(readRecordField(op, unit, start), savedPilot, record, block(stage).count);
  if (!check.mark)
    return check;
  const qint64 next = recordOffset(stage, record + 1);
  if (!op.requireSpan(next + unit.offset, unit.width,
                      QStringLiteral("下一条我方配置记录的机体代码")))
    return std::nullopt;
  check.nextUnit = readRecordField(op, unit, next);
  return check;
}

// Asked before an empty slot's save overwrites the unit of the record after it.
bool Form14::confirmMark(int record, quint32 nextUnitCode) {
  const QString saved = QStringLiteral("机体%1").arg(record + 1);
  const QString following = QStringLiteral("机体%1").arg(record + 2);
  return askOkCancel(this, QStringLiteral("“%1”原为空位，写入时要把下一条记录“%2”标记为空位，"
                                          "但“%2”现在配置着“%3”。\n\n"
                                          "确定：写入“%1”，并把“%2”标记为空位。\n"
                                          "取消：只写入“%1”，不改动“%2”。")
                               .arg(saved, following, unitName(nextUnitCode)));
}

} // namespace korvane
