#include "editors/shared/record_actions.h"

#include "editors/shared/messages.h"
#include "editors/shared/record_clipboard.h"
#include "editors/shared/record_coherence.h"
#include "editors/shared/record_io.h"
#include "io/change_history.h"

#include <QListWidget>
#include <QSignalBlocker>
#include <QWidget>

namespace korvane {

bool requireSelection(QWidget *window, int row, const QString &pickMessage) {
  if (row >= 0)
    return true;
  showMessage(window, pickMessage);
  return false;
}

bool finishOperation(QWidget *window, Module1::Operation &op) {
  if (op.close())
    return true;
  showMessage(window, op.error());
  return false;
}

bool showRecord(QWidget *window, const GameFileRef &file, RecordBinder &binder,
                qint64 recordStart) {
  RecordValues values;
  {
    Module1::Operation op(file);
    if (op.requireSpan(recordStart, binder.layout().recordSize, binder.layout().what))
      values = readRecord(op, binder.layout(), recordStart);
    if (!finishOperation(window, op))
      return false;
  }
  binder.showFrom(file, recordStart, values);
  return true;
}

bool showPickedRecord(QWidget *window, QListWidget *list, const GameFileRef &file,
                      RecordBinder &binder, qint64 recordStart) {
  if (showRecord(window, file, binder, recordStart))
    return true;
  const QSignalBlocker quiet(list);
  list->setCurrentRow(-1, QItemSelectionModel::Clear);
  return false;
}

bool showListedRecord(QWidget *window, QListWidget *list, const GameFileRef &file,
                      RecordBinder &binder) {
  const int row = list->currentRow();
  return row >= 0 &&
         showPickedRecord(window, list, file, binder, binder.layout().recordOffset(row));
}

bool saveListedRecord(QWidget *window, const QListWidget *list, const GameFileRef &file,
                      RecordBinder &binder) {
  const int row = list->currentRow();
  return requireSelection(window, row, pickRecordMessage()) &&
         saveRecord(window, file, binder, binder.layout().recordOffset(row));
}

bool saveRecord(QWidget *window, const GameFileRef &file, RecordBinder &binder, qint64 recordStart,
                const QString &action) {
  RecordValues values;
  if (!collectEntries(window, binder, values))
    return false;
  const RecordLayout &layout = binder.layout();
  const ChangeLabel label(window->windowTitle(), action);
  const OwnSave own(binder);
  QStringList changes;
  bool asked = false;
  {
    Module1::Operation op(file);
    if (op.requireSpan(recordStart, layout.recordSize, layout.what)) {
      changes = fieldsChangedSinceShown(binder, recordStart, readRecord(op, layout, recordStart));
      asked = !changes.isEmpty() || showsAnotherFile(binder, file);
      if (!asked)
        writeRecord(op, layout, recordStart, values);
    }
    if (!finishOperation(window, op))
      return false;
  }
  if (asked && !(confirmOverwrite(window, binder, file, changes, action) &&
                 writeRecordAt(window, file, layout, recordStart, values)))
    return false;
  binder.showWritten(values);
  return true;
}

bool writeRecordAt(QWidget *window, const GameFileRef &file, const RecordLayout &layout,
                   qint64 recordStart, const RecordValues &values) {
  Module1::Operation op(file);
  if (op.requireSpan(recordStart, layout.recordSize, layout.what))
    writeRecord(op, layout, recordStart, values);
  return finishOperation(window, op);
}

bool collectEntries(QWidget *window, const RecordBinder &binder, RecordValues &values) {
  RecordBinder::Collected entries = binder.collect();
  if (!entries.ok()) {
    showMessage(window, entries.error);
    if (entries.culprit)
      entries.culprit->setFocus();
    return false;
  }
  values = std::move(entries.values);
  return true;
}

QStringList NameListLoader::load(const NameListFile &list) {
  NameListResult result = readNameList(list);
  if (!result.sound())
    problems_.append(result.problem());
  return result.items;
}

void NameListLoader::reportProblems(QWidget *window) const {
  if (!problems_.isEmpty())
    showMessage(window, problems_.join(QStringLiteral("\n\n")));
}

} // namespace korvane
