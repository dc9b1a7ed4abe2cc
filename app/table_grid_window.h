#pragma once

// 表格视图: every table of the catalog as one sortable, filterable sheet, the
// columns of its dump. Cells are typed, picked or pasted, checked as an import
// checks them, marked until "写入" writes all of them in one operation, and
// compared with an unmodified file. The sheet follows every change to the file,
// made by a window, an undo or another program.

#include "editors/catalog/table_grid_model.h"
#include "io/edit.h"
#include "io/module1.h"

#include <QSet>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace korvane {

class TableGridWindow : public QWidget {
  Q_OBJECT
public:
  explicit TableGridWindow(QWidget *parent = nullptr);

  TableGridModel &model() { return model_; }
  // A typed cell (or a pick from its editor) goes to every selected cell when the
  // cell is one of them; all of them are set, or none and the refusals are told.
  void applyTyped(const QModelIndex &index, const QString &text, std::optional<quint32> partValue);

protected:
  void changeEvent(QEvent *event) override;

private:
  void tableChoice_Changed(int row);
  void writeChanges_Click();
  void discardChanges_Click();
  void compareWith_Click();
  void copyCells();
  void pasteCells();
  // Reads the table again after `entry`, or after another program may have
  // written, and says which pending cells had to go.
  void followFile();
  // Shows the table afresh from the file the main window now names for it, when
  // the user chose another one there; pending cells of the old file are dropped,
  // and the user told. False when the file is the one shown.
  bool followChosenFile();
  void showSummary();
  void fitColumns();
  void reportListProblems();
  // The edit's spans for the pending records.
  std::vector<EditSpan>
  pendingSpans(const std::vector<TableGridModel::PendingRecord> &records) const;
  // One line per shown field of the pending records that the file no longer holds
  // as the grid shows it: "（序号 5）HP: 100 → 120".
  QStringList changedSinceShown(const Drift &drift,
                                const std::vector<TableGridModel::PendingRecord> &records);
  // Asks, as a save does, whether to write over fields another program changed.
  bool confirmOverwrite(const QStringList &changed);

  QComboBox *tableChoice;
  QLineEdit *gridFilter;
  QTableView *grid;
  QPushButton *writeChanges;
  QPushButton *discardChanges;
  QPushButton *compareWith;
  QCheckBox *onlyChanged;
  QLabel *summaryLabel;
  TableGridModel model_;
  int shownChoice_ = -1;
  // The unmodified file last compared with, kept for the other tables of its game file.
  struct Original {
    std::optional<GameFile> file;
    QByteArray bytes;
    QString name;
  } original_;
  QSet<QString> reportedProblems_;
};

} // namespace korvane
