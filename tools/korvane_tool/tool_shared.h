#pragma once

// What the commands of korvane-tool share besides the catalog's columns: how
// offsets, bytes and files are named in messages, and the writer of change
// listings. Internal to the commands' library.

#include "editors/catalog/table_catalog.h"
#include "editors/catalog/table_columns.h"
#include "tools/korvane_tool/json_writer.h"
#include "tools/korvane_tool/tool_commands.h"

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>
#include <vector>

namespace korvane::tool {

inline const QString kNothingWritten = QStringLiteral("\n没有写入任何内容。");

// Far above the executable and the stage file, so that a wrong path (a disc image,
// a device) is refused instead of read into memory.
constexpr qint64 kMaxGameFileSize = 64 * 1024 * 1024;

// The columns of a dump that JSON writes as numbers.
QList<int> numberColumns(const CatalogTable &table);

QString hexOffset(qint64 offset);
QString fileLabel(const QString &path);
QString fileLabel(const GameFileRef &file);
const CatalogTable *tableOrNull(const QString &key);
// Every table's key, for the message that names an unknown one.
QString knownKeys();

// A table is read or written only in the game file that holds it. Empty when
// `table` lies in `file`, else why not.
QString misplacedTable(const CatalogTable &table, const GameFileRef &file,
                       std::optional<GameFile> kind);

// The columns of a change listing, and where its record key stands.
const QStringList &changeHeader();
constexpr int kChangeIndexColumn = 2;
// `key` names the record as the table's dump does.
QStringList changeRow(const FieldChange &change, const QString &key);
// A changed stretch that no table names, by offset, with both versions' bytes.
// `before` and `after` are the range's own bytes.
QStringList unnamedRow(const ByteRange &range, QByteArrayView before, QByteArrayView after);

// Writes the rows of one listing as they are made: CSV rows under their header,
// a JSON array, or for a diff's text one line per change.
class RowWriter {
public:
  RowWriter(QTextStream &out, Format format, const QStringList &header,
            const QList<int> &numberColumns);
  void write(const QStringList &row);
  void finish();

private:
  QTextStream &out_;
  Format format_;
  std::optional<JsonRowWriter> json_;
};

} // namespace korvane::tool
