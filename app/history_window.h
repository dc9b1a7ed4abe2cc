#pragma once

// The change history of this run, newest first: what each entry changed, field by
// field, and the command that reverts the selected entries.

#include "editors/catalog/change_text.h"

#include <QWidget>
#include <map>
#include <memory>

class QLabel;
class QListWidget;
class QPushButton;

namespace korvane {

class HistoryWindow : public QWidget {
  Q_OBJECT
public:
  explicit HistoryWindow(QWidget *parent = nullptr);
  ~HistoryWindow() override;

private:
  // Brings the list up to the history: new entries on top, dropped ones gone.
  void refresh();
  void historyList_Click();
  void undoButton_Click();
  // Writes back the bytes `entry` replaced, asking first when the file no longer
  // holds what it wrote. False when the file access refused, which ends the undo.
  bool revert(const ChangeEntry &entry);
  const SpanText &textOf(const ChangeEntry &entry);
  ListRows &rows();

  QLabel *droppedLabel;
  QListWidget *historyList;
  QLabel *fieldLabel;
  QListWidget *fieldList;
  QPushButton *undoButton;
  std::unique_ptr<ListRows> rows_; // read when an entry is first described
  std::map<quint64, SpanText> texts_;
  int subscription_ = 0;
};

} // namespace korvane
