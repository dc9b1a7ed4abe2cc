#pragma once

// Every table the editor knows, in the order of the main window's sections: where
// its records lie, how each is named in its window's record list, and the one
// description its window walks. The change history and the command-line tools
// name and compare stored values through it. Widget-free.

#include "editors/shared/field_codec.h"
#include "editors/shared/record_layout.h"

#include <QByteArrayView>
#include <functional>
#include <vector>

namespace korvane {

enum class GameFile { Exe, Stage };

// "SLPS_255.37" or "stage.bin".
QString gameFileName(GameFile file);

struct CatalogTable {
  QString key;     // the tools' name for it ("units")
  QString section; // the main window's section row ("机体&武器")
  GameFile file;
  const RecordLayout *layout;
  // The 0-based file offset of each record, in record-list order.
  std::function<std::vector<qint64>(ListRows &)> recordOffsets;
  // The record's name as its window lists it.
  std::function<QString(int index, ListRows &)> recordName;
};

const std::vector<CatalogTable> &tableCatalog();
const CatalogTable *findTable(const QString &key);

// One shown value that two versions of a file hold differently.
struct FieldChange {
  const CatalogTable *table;
  int record;
  QString recordName;
  const Field *field;
  const FieldPart *part;
  qint64 fieldOffset; // 0-based, in the file
  QString before;
  QString after;
};

struct ByteRange {
  qint64 start; // 0-based, in the file
  qint64 end;   // exclusive
};

struct ChangeList {
  std::vector<FieldChange> fields; // by table, record and field order
  std::vector<ByteRange> unnamed;  // changed bytes that no described field holds
  bool isEmpty() const { return fields.empty() && unnamed.empty(); }
};

// Compares two versions of the span of `file` that starts at the 0-based `base`.
// A field is compared only when the span holds all of it.
ChangeList describeChanges(GameFile file, qint64 base, QByteArrayView before, QByteArrayView after,
                           ListRows &rows);

// The ranges where two equally long spans differ, merged, offsets from `base`.
std::vector<ByteRange> changedRanges(qint64 base, QByteArrayView before, QByteArrayView after);

} // namespace korvane
