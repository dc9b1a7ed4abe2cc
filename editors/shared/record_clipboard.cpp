#include "editors/shared/record_clipboard.h"

#include "editors/shared/messages.h"
#include "editors/shared/record_actions.h"
#include "io/change_history.h"
#include "io/module1.h"

#include <QListWidget>

namespace korvane {

QString pickRecordMessage() { return QStringLiteral("请先在左边的列表中选择一项。"); }

RecordClipboard::RecordClipboard(const RecordLayout &table, ClipboardQuestions questions)
    : table_(table), questions_(std::move(questions)) {}

void RecordClipboard::copy(QWidget *window, const GameFileRef &file, const QListWidget &records) {
  const int row = records.currentRow();
  if (!requireSelection(window, row, pickRecordMessage()))
    return;
  const QString name = records.item(row)->text();
  if (!askOkCancel(window, questions_.copy)) {
    showMessage(window, QStringLiteral("没有进行复制操作"));
    return;
  }
  QByteArray data;
  {
    Module1::Operation op(file);
    if (op.requireSpan(table_.tableOffset, table_.tableEnd() - table_.tableOffset, table_.what))
      data = op.readBytes(table_.recordOffset(row), table_.recordSize);
    if (!finishOperation(window, op))
      return; // the earlier copy, if any, stays
  }
  copiedData_ = data;
  copiedName_ = name;
  showMessage(window, QStringLiteral("已经复制") + name + QStringLiteral("的数据"));
}

void RecordClipboard::paste(QWidget *window, const GameFileRef &file, const QListWidget &records) {
  const int row = records.currentRow();
  if (!requireSelection(window, row, pickRecordMessage()))
    return;
  const QString name = records.item(row)->text();
  if (!hasCopy()) {
    showMessage(window,
                QStringLiteral("还没有复制任何数据，请先复制一项再粘贴。没有写入任何内容。"));
    return;
  }
  if (!askOkCancel(window, questions_.paste)) {
    showMessage(window, QStringLiteral("没有进行粘贴操作"));
    return;
  }
  Edit edit;
  edit.file = file;
  edit.label = {window->windowTitle(), QStringLiteral("粘贴")};
  edit.reachStart = table_.tableOffset;
  edit.reachLength = table_.tableEnd() - table_.tableOffset;
  edit.what = table_.what;
  edit.spans = {{table_.recordOffset(row), copiedData_, {}}};
  if (runEdit(window, edit).written())
    showMessage(window, QStringLiteral("已经把") + copiedName_ + QStringLiteral("的数据粘贴到") +
                            name + QStringLiteral("上"));
}

} // namespace korvane
