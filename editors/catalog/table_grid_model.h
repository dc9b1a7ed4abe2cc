#pragma once

// One whole table as a sheet: a row per record, the columns of its dump, each cell
// the text a dump prints for it. The table's bytes are read once and a cell is
// decoded only when it is asked for, so that the fifteen thousand weapon entries
// open as fast as they read. Cells typed or pasted are checked as an import checks
// them and held as pending until the window writes them; a comparison with an
// unmodified file marks the cells that differ from it. Widget-free: the window
// turns its roles into colours and writes through the file access.

#include "editors/catalog/table_catalog.h"
#include "editors/catalog/table_columns.h"
#include "editors/shared/list_rows.h"

#include <QAbstractTableModel>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace korvane {

class TableGridModel : public QAbstractTableModel {
  Q_OBJECT
public:
  // Roles beyond Qt's: whether the cell is typed but not written, whether it
  // differs from the compared file, and its text there.
  enum Role { PendingRole = Qt::UserRole + 1, DiffersRole, OriginalRole, PartValueRole };

  // Name lists are read from `namesDir` (DataDir when empty).
  explicit TableGridModel(const QString &namesDir = {}, QObject *parent = nullptr);

  // Shows `table` of the game file `file`, read in one operation; the error
  // message when the file cannot be read or does not hold the table (the model
  // is then empty). Pending cells and a comparison are dropped.
  QString load(const CatalogTable &table, const GameFileRef &file);
  const CatalogTable *table() const { return table_; }
  const GameFileRef &file() const { return file_; }
  ListRows &rows() { return rows_; }
  // The record that a shown row stands for.
  int recordAt(int row) const { return shown_[size_t(row)]; }
  int rowOfRecord(int record) const { return rowOf_[size_t(record)]; }
  int recordCount() const { return int(offsets_.size()); }
  // The columns that place and name a record; never edited.
  int leadingColumns() const { return leading_; }
  // The part a column shows; null for the leading columns.
  const TableColumn *partColumn(int column) const;
  // "序号 5" or "关卡3 机体2", as import names a record.
  QString recordLabel(int record) const;

  int rowCount(const QModelIndex &parent = {}) const override;
  int columnCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex &index) const override;
  // One cell: a text as a dump prints it (EditRole) or a part value (PartValueRole).
  bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
  // Numbers as numbers, hex by the value its digits spell, lists in list order.
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

  // Keeps the rows whose name or place contains `text` (case and full-width
  // forms aside); with `onlyChanged`, only the rows that differ from the compared file.
  void setFilter(const QString &text);
  void setOnlyChanged(bool only);

  // A typed, pasted or picked cell, by shown row and column.
  struct CellEdit {
    int row;
    int column;
    QString text;                     // as a dump prints it
    std::optional<quint32> partValue; // or the part's value, picked from a list
  };
  // Sets every cell, each checked as import checks it, or none: the refusals,
  // one per refused cell in import's words, empty when all were taken.
  QStringList setCells(const std::vector<CellEdit> &edits);
  // A tab-separated block as spreadsheets put it on the clipboard, from the shown
  // cell at `row`, `column` on; a first line that repeats the headers is passed
  // over, cells landing on the leading columns are not edited.
  QStringList pasteBlock(int row, int column, const QString &block);
  // The shown cells of `rows` × `columns`, tab-separated, a line per row; with
  // `header` the columns' headers first. `selected` says which cells hold text.
  QString copyBlock(const std::vector<int> &rows, const std::vector<int> &columns, bool header,
                    const std::function<bool(int row, int column)> &selected) const;

  // The pending cells by record: what each field held when it was typed over and
  // what it is to hold.
  struct PendingField {
    int fieldIndex;
    quint32 base;
    quint32 wanted;
  };
  struct PendingRecord {
    int record;
    qint64 start;       // 0-based, in the file
    RecordValues shown; // every field as the grid last read it
    std::vector<PendingField> fields;
  };
  std::vector<PendingRecord> pendingRecords() const;
  int pendingCells() const;
  bool hasPending() const { return !pending_.empty(); }
  void discardPending();

  // Reads the table again after the file changed (another window, an undo, another
  // program): changed rows show the new values. A pending cell is kept only when
  // the file still holds what it was typed over; the dropped ones are described,
  // one line each. `written` says the pending cells were just written by the
  // window: they are the file's values now and simply go.
  struct Reloaded {
    QString error;
    QStringList dropped;
    bool changed = false;
  };
  Reloaded reload(bool written = false);

  // Marks the cells whose shown value differs from the same record of `original`
  // (the whole game file), as diff lists them; the error when it is too short.
  QString compareWith(const QByteArray &original, const QString &name);
  void clearComparison();
  bool comparing() const { return !original_.isEmpty(); }
  int differingCells() const { return differingCells_; }
  int differingRecords() const { return differingRecords_; }

  // Refusals as one message: the first 50 and how many more.
  static QString refusalMessage(const QString &lead, const QStringList &refusals);

signals:
  // After pending cells, the comparison or the shown rows changed.
  void summaryChanged();

private:
  struct Key {
    int record;
    int field;
    friend auto operator<=>(const Key &, const Key &) = default;
  };
  struct Pending {
    quint32 base;
    quint32 wanted;
  };

  QByteArrayView recordBytes(int record) const;
  quint32 storedRaw(int record, int field) const;
  quint32 shownRaw(int record, int field) const;
  QString cellText(int record, int column) const;
  QString recordName(int record) const;
  QString placeText(int record, int column) const;
  bool cellDiffers(int record, int column) const;
  void rebuildRows();
  void recompare();
  void refreshAll();
  void recompareRecord(int record);
  // Reorders or refilters the shown rows, keeping selections on their records.
  void rearrange(const std::function<void()> &change);
  bool rowWanted(int record) const;
  void ensureNames() const;
  std::vector<qint64> numericKeys(int column) const;

  mutable ListRows rows_; // reads each name list once, when a cell first needs it
  const CatalogTable *table_ = nullptr;
  GameFileRef file_;
  std::vector<TableColumn> columns_;
  QStringList headers_;
  int leading_ = 1;
  std::vector<qint64> offsets_;
  std::vector<StageRecord> places_;
  qint64 spanStart_ = 0;
  QByteArray bytes_;                   // the table's span of the file, from spanStart_
  mutable std::vector<QString> names_; // made when the filter first needs them
  std::map<Key, Pending> pending_;

  std::vector<int> order_; // records by the sorted column
  std::vector<int> shown_; // the records shown, in order
  std::vector<int> rowOf_; // the shown row of each record, -1 when filtered out
  QString filter_;
  bool onlyChanged_ = false;

  QByteArray original_; // the compared file's same span
  QString originalName_;
  std::vector<bool> differs_; // per record × part column
  std::vector<bool> recordDiffers_;
  int differingCells_ = 0;
  int differingRecords_ = 0;
};

} // namespace korvane
