#pragma once

// Whole-record copy and paste: the copy holds one record's bytes in the window's
// memory as hex text, two digits per byte; a paste writes them over another record
// of the same table. Both ask with OK and Cancel first and report what was done.

#include "editors/shared/record_layout.h"
#include "io/game_files.h"

#include <QString>

class QListWidget;
class QWidget;

namespace korvane {

struct ClipboardQuestions {
  QString copy;  // asked before a copy
  QString paste; // asked before a paste
};

class RecordClipboard {
public:
  RecordClipboard(const RecordLayout &table, ClipboardQuestions questions);

  bool hasCopy() const { return !copiedData_.isEmpty(); }
  const QByteArray &copiedData() const { return copiedData_; }
  const QString &copiedName() const { return copiedName_; }

  // Both act on the record selected in `records`, named by its row text, and ask
  // the user to pick one when none is selected.
  void copy(QWidget *window, const GameFileRef &file, const QListWidget &records);
  void paste(QWidget *window, const GameFileRef &file, const QListWidget &records);

private:
  const RecordLayout &table_;
  ClipboardQuestions questions_;
  QByteArray copiedData_;
  QString copiedName_;
};

// The message that asks for a record to be picked first.
QString pickRecordMessage();

} // namespace korvane
