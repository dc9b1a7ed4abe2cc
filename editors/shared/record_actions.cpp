#include "editors/shared/record_actions.h"

#include "editors/shared/messages.h"
#include "editors/shared/record_clipboard.h"
#include "editors/shared/record_coherence.h"
#include "editors/shared/record_io.h"
#include "io/edit.h"

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
  // What the window showed of this record, from whichever file, is what the
  // file must still hold; the record of another file is always asked about.
  const std::optional<RecordBinder::Shown> &shown = binder.shown();
  const bool showsRecord = shown && shown->start == recordStart;
  Edit edit;
  edit.file = file;
  edit.label = {window->windowTitle(), action};
  edit.origin = &binder;
  edit.reachStart = recordStart;
  edit.reachLength = layout.recordSize;
  edit.what = layout.what;
  edit.alwaysConfirm = showsAnotherFile(binder, file);
  edit.spans = recordSpans(layout, recordStart, values, showsRecord ? &shown->values : nullptr);
  const EditResult result = runEdit(window, edit, [&](const Drift &drift) {
    const RecordValues now = valuesAfterDrift(layout, shown->values, drift);
    return confirmOverwrite(window, binder, file, fieldsChangedSinceShown(binder, recordStart, now),
                            action);
  });
  if (!result.written())
    return false;
  binder.showWritten(values);
  return true;
}

EditResult runEdit(QWidget *window, const Edit &edit, const ConfirmDrift &confirm) {
  const EditResult result = commitEdit(edit, confirm);
  if (!result.error.isEmpty())
    showMessage(window, result.error);
  return result;
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
