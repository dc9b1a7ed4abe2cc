#pragma once

// Keeps what a window shows true to the file. A write this program makes outside
// a window's own save (a paste, a bulk command, an undo) shows the record again in
// every window that shows it, unsaved edits replaced as a new pick would; and a
// save that finds a field changed underneath since it was shown (by another
// program) asks before it writes over it.

#include "editors/shared/record_binder.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace korvane {

// Shows the binder's record again, in `window`, after every committed write that
// changed one of its fields, except the binder's own save.
void keepShownRecordCurrent(QWidget *window, RecordBinder &binder);

// Marks the writes made while it lives as `binder`'s own save: its controls keep
// what was typed.
class OwnSave {
public:
  explicit OwnSave(const RecordBinder &binder);
  ~OwnSave();
  OwnSave(const OwnSave &) = delete;
  OwnSave &operator=(const OwnSave &) = delete;

private:
  const RecordBinder *outer_;
};

// One line per field that the file (`now`, read from the record at `recordStart`)
// holds otherwise than the binder last showed it: "caption: shown → now", in the
// text form of the dumps. Empty when nothing changed or the binder shows another
// record.
QStringList fieldsChangedSinceShown(const RecordBinder &binder, qint64 recordStart,
                                    const RecordValues &now);

// True when nothing changed underneath, or the user chose to write over the
// changes (`action` names the save: "保存", "写入"); asked with the file closed.
bool confirmOverwrite(QWidget *window, const RecordLayout &layout, const QStringList &changes,
                      const QString &action);

} // namespace korvane
