#pragma once

// Every table the editor knows, in the order of the main window's sections: where
// its records lie, how each is named in its window's record list, and the one
// description its window walks. The change history and the command-line tools
// name and compare stored values through it. Widget-free.

#include "editors/shared/field_codec.h"
#include "editors/shared/record_layout.h"
#include "io/change_history.h"
#include "io/game_files.h"

#include <QByteArrayView>
#include <functional>
#include <vector>

namespace korvane {

// Where a record of a table that the stage lists split stands: the stage's row in
// its list (from 0) and the record's number within the stage (from 1, "机体1").
struct StageRecord {
  int stage;
  int record;
  friend bool operator==(const StageRecord &, const StageRecord &) = default;
};

// Those places for every record, in record-list order, and the stage lines that
// could not be used (empty when every line could; a missing list is reported by
// ListRows).
struct StagePlacement {
  std::vector<StageRecord> records;
  QString problem;
};

struct CatalogTable {
  QString key;     // the tools' name for it ("units")
  QString section; // the main window's section row ("机体&武器")
  GameFile file;
  const RecordLayout *layout;
  // The 0-based file offset of each record, in record-list order.
  std::function<std::vector<qint64>(ListRows &)> recordOffsets;
  // The record's name as its window lists it.
  std::function<QString(int index, ListRows &)> recordName;
  // For the tables the stage lists split, where each record stands; empty otherwise.
  // A stage whose line cannot be used is left out, so the tools name records by
  // stage and number, never by their running index alone.
  std::function<StagePlacement(ListRows &)> stagePlacement;
};

// As registration.cpp registers them, section by section.
const std::vector<CatalogTable> &tableCatalog();
const CatalogTable *findTable(const QString &key);

// One shown value that two versions of a file hold differently, or one byte of a
// field whose change no part shows (bits beside the parts, or a code whose row
// text stays the same): then `part` is null, `fieldOffset` is that byte's and the
// values are the whole byte in hex ("0x83").
struct FieldChange {
  const CatalogTable *table;
  int record;
  QString recordName;
  const Field *field;
  const FieldPart *part;
  qint64 fieldOffset; // 0-based, in the file
  QString before;
  QString after;
  qint64 recordStart = -1; // 0-based, in the file
};

// The part's caption, or "未显示的位（偏移 +54）" for a byte no part shows.
QString changeCaption(const FieldChange &change);

struct ByteRange {
  qint64 start; // 0-based, in the file
  qint64 end;   // exclusive
};

struct ChangeList {
  std::vector<FieldChange> fields; // by table, record and field order
  std::vector<ByteRange> unnamed;  // changed bytes that no described field holds
  bool isEmpty() const { return fields.empty() && unnamed.empty(); }
};

// Every record of one game file's tables by where it lies, laid out once from the
// lists: changed bytes find their records by binary search, so describing a change
// costs in proportion to the records it touches, not to the tables.
class RecordIndex {
public:
  RecordIndex(GameFile file, ListRows &rows);

  struct Record {
    const CatalogTable *table;
    int index;    // in the table's record list
    qint64 start; // 0-based, in the file
  };
  // The records that hold a byte of `changed` (sorted, disjoint), in catalog
  // order: by table, then record.
  std::vector<Record> touched(const std::vector<ByteRange> &changed) const;

private:
  struct Slot {
    qint64 start;
    int index;
  };
  struct TableSlots {
    const CatalogTable *table;
    qint64 extentStart;        // of its first record
    qint64 extentEnd;          // of its last record
    std::vector<Slot> byStart; // by start
    bool startsInListOrder;    // and apart, as consecutive records are
  };
  std::vector<TableSlots> tables_; // in catalog order
};

// Compares the `before` and `after` of each span (sorted, apart) of the file
// `index` covers and calls `onField` for each shown value that differs, in catalog
// order. A field is compared only when it lies between the first span's start and
// the last one's end; bytes between spans are the same in both and read as 0.
// Returns the changed bytes that no described field holds.
std::vector<ByteRange> describeChanges(const RecordIndex &index,
                                       const std::vector<ChangeSpan> &spans, ListRows &rows,
                                       const std::function<void(FieldChange &&)> &onField);

// Calls `onRecord` for each record whose shown values differ, in catalog order;
// values are turned into text only where their numbers cannot tell.
void changedRecords(const RecordIndex &index, const std::vector<ChangeSpan> &spans, ListRows &rows,
                    const std::function<void(const CatalogTable &, int index)> &onRecord);

// Compares two versions of the span of `file` that starts at the 0-based `base`.
// A field is compared only when the span holds all of it.
ChangeList describeChanges(GameFile file, qint64 base, QByteArrayView before, QByteArrayView after,
                           ListRows &rows);

// The ranges where two equally long spans differ, merged, offsets from `base`.
std::vector<ByteRange> changedRanges(qint64 base, QByteArrayView before, QByteArrayView after);

} // namespace korvane
