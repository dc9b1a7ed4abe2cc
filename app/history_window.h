#pragma once

// The change history of this run, newest first: what each entry changed, field by
// field, and the command that reverts the selected entries.

#include "editors/catalog/change_text.h"

#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

namespace korvane {

class HistoryWindow : public QWidget {
  Q_OBJECT
public:
  explicit HistoryWindow(QWidget *parent = nullptr);

private:
  // Brings the list up to the history: new entries on top, dropped ones gone.
  void refresh();
  void historyList_Click();
  void undoButton_Click();
  // Writes back the bytes `entry` replaced, asking first when the file no longer
  // holds what it wrote. False when the file access refused, which ends the undo.
  bool revert(const ChangeEntry &entry);

  QLabel *droppedLabel;
  QListWidget *historyList;
  QLabel *fieldLabel;
  QListWidget *fieldList;
  QPushButton *undoButton;
  // Reads its lists when an entry is first described; headlines are made once,
  // field lines only for the entry the user picks.
  ChangeDescriber describer_;
};

} // namespace korvane
