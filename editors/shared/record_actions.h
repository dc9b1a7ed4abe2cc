#pragma once

// The show and save protocol that every record window follows:
// a show reads every field, closes the file and only then fills the controls;
// a save checks every entry first, then opens the file, checks that the record
// lies inside it and still holds what was shown, writes the fields in offset order
// and closes it. Any refusal or
// failure is reported with a message; silence means success.

#include "editors/shared/record_binder.h"
#include "io/edit.h"
#include "io/module1.h"
#include "io/name_list.h"

#include <QString>
#include <QStringList>

class QListWidget;
class QWidget;

namespace korvane {

// False, after asking the user to pick one, when no row is selected.
bool requireSelection(QWidget *window, int row, const QString &pickMessage);

// A record that does not lie inside the file is refused rather than shown as zeros.
bool showRecord(QWidget *window, const GameFileRef &file, RecordBinder &binder, qint64 recordStart);
// Shows the record picked in `list`; when it cannot be shown the pick is undone,
// quietly, so that no save, copy or paste acts on a record the window does not show.
bool showPickedRecord(QWidget *window, QListWidget *list, const GameFileRef &file,
                      RecordBinder &binder, qint64 recordStart);
// The record of the binder's table that `list`'s current row stands for (row i is
// record i): shown when the user picks it; saved, or the user asked to pick one.
bool showListedRecord(QWidget *window, QListWidget *list, const GameFileRef &file,
                      RecordBinder &binder);
bool saveListedRecord(QWidget *window, const QListWidget *list, const GameFileRef &file,
                      RecordBinder &binder);

// `action` names the save in the change history by its button ("保存", "写入").
// The save reads the record first: a field changed in the file since it was shown
// is asked about with the file closed, and Cancel writes nothing.
bool saveRecord(QWidget *window, const GameFileRef &file, RecordBinder &binder, qint64 recordStart,
                const QString &action = QStringLiteral("保存"));
// Commits `edit` (io/edit.h), asking `confirm` about a drift; a refusal or failure
// is reported, a declined question is not.
EditResult runEdit(QWidget *window, const Edit &edit, const ConfirmDrift &confirm = {});

// The first step of a save that writes more than the record: every entry checked
// and converted; a refusal is reported and its control gets the focus.
bool collectEntries(QWidget *window, const RecordBinder &binder, RecordValues &values);

// Closes an operation of a window's command and reports a refusal or failure.
bool finishOperation(QWidget *window, Module1::Operation &op);

// Reads the name lists a window fills when it loads and reports, in one message,
// those that are missing or short.
class NameListLoader {
public:
  QStringList load(const NameListFile &list);
  // A problem with a list that the window reads in its own way, in the same message.
  void addProblem(const QString &problem) { problems_.append(problem); }
  void reportProblems(QWidget *window) const;

private:
  QStringList problems_;
};

} // namespace korvane
