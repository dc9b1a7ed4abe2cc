#pragma once

// Keeps what a window shows true to the file. A write this program makes outside
// a window's own save (a paste, a bulk command, an undo) shows the record again in
// every window that shows it, unsaved edits replaced as a new pick would; and a
// save that finds a field changed underneath since it was shown (by another
// program) asks before it writes over it. When the user chooses another game file,
// every window of that file shows its record again from the new one.

#include "editors/shared/record_binder.h"
#include "io/game_files.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace korvane {

// Tells the windows that the user chose another file for a game file.
class GameFileSwitches : public QObject {
  Q_OBJECT
signals:
  void switched(korvane::GameFile file);
};
GameFileSwitches &gameFileSwitches();

// The main window calls this after it changed the chosen path of `file` to
// another file.
void announceGameFileSwitch(GameFile file);
// Runs `reshow` while `window` lives, whenever another file is chosen for `file`:
// the window shows what it showed again, from the new file, as a new pick would.
void reshowOnGameFileSwitch(QWidget *window, GameFile file, std::function<void()> reshow);

// Shows the binder's record again, in `window`, after every committed write that
// changed one of its fields, except the binder's own save (an edit whose origin
// is the binder): its controls keep what was typed.
void keepShownRecordCurrent(QWidget *window, RecordBinder &binder);

// One line per field that the file (`now`, read from the record at `recordStart`)
// holds otherwise than the binder last showed it: "caption: shown → now", in the
// text form of the dumps. Empty when nothing changed or the binder shows another
// record.
QStringList fieldsChangedSinceShown(const RecordBinder &binder, qint64 recordStart,
                                    const RecordValues &now);

// Whether the binder shows a record read from another file than `file`, which a
// save is about to write.
bool showsAnotherFile(const RecordBinder &binder, const GameFileRef &file);

// True when nothing changed underneath, or the user chose to write over the
// changes (`action` names the save: "保存", "写入"); asked with the file closed.
// A save into another file than the one the record was read from is always asked
// about, naming both files.
bool confirmOverwrite(QWidget *window, const RecordBinder &binder, const GameFileRef &file,
                      const QStringList &changes, const QString &action);

} // namespace korvane
