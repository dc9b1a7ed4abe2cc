#include "tools/korvane_tool/tool_shared.h"

#include "io/edit.h"
#include "io/module1.h"
#include "io/regular_file.h"

#include <QHash>

namespace korvane::tool {

namespace {

// Bad cells listed before the import gives up listing them.
constexpr int kMostErrorsListed = 50;
// A dump of the largest table is a few MB; a spreadsheet may pad it, but not to this.
constexpr qint64 kMaxCsvSize = 64 * 1024 * 1024;

// Spreadsheets may save empty columns to the right of a table; they hold nothing.
void dropEmptyTrailingColumns(CsvTable &csv) {
  QStringList &header = csv.rows.front().fields;
  while (!header.isEmpty() && header.back().trimmed().isEmpty())
    header.removeLast();
  for (CsvRow &row : csv.rows)
    while (row.fields.size() > header.size() && row.fields.back().trimmed().isEmpty())
      row.fields.removeLast();
}

// The bad cells of an import, the first ones listed.
class CellErrors {
public:
  void add(const CsvRow &row, const QString &reason) {
    if (++count_ <= kMostErrorsListed)
      lines_ << QStringLiteral("第 %1 行：%2").arg(row.line).arg(reason);
  }
  bool any() const { return count_ > 0; }
  QString message() const {
    QStringList lines = lines_;
    if (count_ > kMostErrorsListed)
      lines << QStringLiteral("……另有 %1 处错误。").arg(count_ - kMostErrorsListed);
    return QStringLiteral("CSV 文件有 %1 处错误，整个导入被拒绝：\n%2")
        .arg(count_)
        .arg(lines.join(u'\n'));
  }

private:
  int count_ = 0;
  QStringList lines_;
};

// Which record a CSV row stands for: by "序号", or for the tables the stage lists
// split by "关卡" and "记录", so that a dropped stage never makes a row mean another
// record.
class RowKeys {
public:
  RowKeys(const StagePlacement *placement, size_t count, const QHash<QString, int> &position)
      : count_(count) {
    if (!placement) {
      indexAt_ = position.value(kIndexColumn);
      return;
    }
    stageAt_ = position.value(kStageColumn);
    recordAt_ = position.value(kRecordColumn);
    for (size_t i = 0; i < placement->records.size(); ++i)
      byPlace_.insert(placeKey(placement->records[i].stage, placement->records[i].record), i);
  }

  std::optional<size_t> recordOf(const CsvRow &row, QString &problem) const {
    if (indexAt_ >= 0) {
      const std::optional<qint64> index = cellInteger(row.fields[indexAt_]).value;
      if (index && *index >= 0 && *index < qint64(count_))
        return size_t(*index);
      problem = QStringLiteral("“%1”应为 0 到 %2 之间的记录序号，而不是“%3”。")
                    .arg(kIndexColumn)
                    .arg(qint64(count_) - 1)
                    .arg(cellQuote(row.fields[indexAt_]));
      return std::nullopt;
    }
    const std::optional<qint64> stage = cellInteger(row.fields[stageAt_]).value;
    const std::optional<qint64> record = cellInteger(row.fields[recordAt_]).value;
    const auto found =
        stage && record && std::abs(*stage) < (1 << 20) && std::abs(*record) < (1 << 20)
            ? byPlace_.find(placeKey(int(*stage), int(*record)))
            : byPlace_.end();
    if (found != byPlace_.end())
      return *found;
    problem = QStringLiteral("没有“%1”为“%2”、“%3”为“%4”的记录："
                             "关卡从 0 数起（关卡列表的行），记录从 1 数起。")
                  .arg(kStageColumn, cellQuote(row.fields[stageAt_]), kRecordColumn,
                       cellQuote(row.fields[recordAt_]));
    return std::nullopt;
  }

private:
  static qint64 placeKey(int stage, int record) { return (qint64(stage) << 32) | quint32(record); }

  size_t count_;
  int indexAt_ = -1;
  int stageAt_ = -1;
  int recordAt_ = -1;
  QHash<qint64, size_t> byPlace_;
};

// The stretch of the file from the table's first record to the end of its last:
// an import reads it in one go.
ByteRange tableExtent(const CatalogTable &table, const std::vector<qint64> &offsets) {
  ByteRange extent{offsets.front(), offsets.front()};
  for (qint64 offset : offsets) {
    extent.start = std::min(extent.start, offset);
    extent.end = std::max(extent.end, offset + table.layout->recordSize);
  }
  return extent;
}

// A file whose first character (after a byte-order mark and blanks) opens a JSON
// object or array: no CSV header of a table starts so.
bool looksLikeJson(QByteArrayView bytes) {
  if (bytes.startsWith("\xEF\xBB\xBF"))
    bytes = bytes.sliced(3);
  const QByteArrayView text = bytes.trimmed();
  return text.startsWith('{') || text.startsWith('[');
}

// Marks the `width` bytes at `at` as written by the row on `line`; 0 when none of
// them was written before, else the line of the row that wrote one.
int claimBytes(QHash<qint64, int> &writtenBy, qint64 at, int width, int line) {
  for (int i = 0; i < width; ++i)
    if (const int other = writtenBy.value(at + i); other != 0 && other != line)
      return other;
  for (int i = 0; i < width; ++i)
    writtenBy.insert(at + i, line);
  return 0;
}

} // namespace

// Every row is checked against the record the file holds now, read from `stored`,
// the table's stretch from the file offset `base`; the values the CSV wants are put
// into `wanted`, a copy of that stretch. Counts the fields that change.
bool Tool::readImportRows(const CatalogTable &table, const CsvTable &csv,
                          const QHash<QString, int> &position, const std::vector<qint64> &offsets,
                          qint64 base, QByteArrayView stored, QByteArray &wanted,
                          int &fieldsChanged, QString &error) {
  const std::vector<TableColumn> columns = partColumns(table);
  const RecordLayout &layout = *table.layout;
  const qsizetype width = csv.rows.front().fields.size();
  const RowKeys keys(placementOf(table), offsets.size(), position);
  std::vector<bool> seen(offsets.size(), false);
  QHash<qint64, int> writtenBy; // a byte of `wanted` -> the line of the row that wrote it
  CellErrors errors;
  for (size_t r = 1; r < csv.rows.size(); ++r) {
    const CsvRow &row = csv.rows[r];
    if (row.fields.size() != width) {
      errors.add(row, QStringLiteral("有 %1 列，表头有 %2 列。").arg(row.fields.size()).arg(width));
      continue;
    }
    QString problem;
    const std::optional<size_t> found = keys.recordOf(row, problem);
    if (!found) {
      errors.add(row, problem);
      continue;
    }
    const size_t index = *found;
    if (seen[index]) {
      errors.add(row, QStringLiteral("%1 的记录出现了两次。").arg(recordLabel(table, int(index))));
      continue;
    }
    seen[index] = true;
    const qint64 at = offsets[index] - base;
    const RecordValues was = recordValuesAt(stored.sliced(at, layout.recordSize), layout);
    RecordValues record = was;
    size_t fieldIndex = 0;
    for (const TableColumn &column : columns) {
      while (&layout.fields[fieldIndex] != column.field)
        ++fieldIndex;
      const QString &cell = row.fields[position.value(column.key)];
      // A cell that still reads as the file's value is no change, whatever range applies.
      if (cell == partCellText(*column.part, *column.field, record[fieldIndex], rows_))
        continue;
      const ParsedValue parsed =
          parsePartValueText(*column.part, *column.field, record[fieldIndex], cell, rows_);
      if (parsed.raw)
        record[fieldIndex] = *parsed.raw;
      else
        errors.add(row,
                   cellRefusal(recordLabel(table, int(index)), column.name, cell, parsed.error));
    }
    for (size_t f = 0; f < layout.fields.size(); ++f) {
      if (record[f] == was[f])
        continue;
      const Field &field = layout.fields[f];
      // Two rows may name one place of the file (two stage entries pointing at
      // one block): each of its bytes is written by one row at most.
      if (const int other = claimBytes(writtenBy, at + field.offset, field.width, row.line);
          other != 0) {
        errors.add(row, QStringLiteral("%1的“%2”和第 %3 行写入的是文件中同一处（偏移 %4），"
                                       "同一处只能写一次。")
                            .arg(recordLabel(table, int(index)),
                                 field.parts.empty() ? field.name : field.parts.front().caption)
                            .arg(other)
                            .arg(hexOffset(base + at + field.offset)));
        continue;
      }
      const QByteArray bytes = littleEndianBytes(record[f], field.width);
      std::copy(bytes.begin(), bytes.end(), wanted.begin() + at + field.offset);
      ++fieldsChanged;
    }
  }
  if (errors.any())
    error = errors.message();
  return !errors.any();
}

int Tool::importCsv(const ImportRequest &request) {
  const CatalogTable *table = tableOrNull(request.table);
  if (!table)
    return fail(
        QStringLiteral("没有名为“%1”的表格。可用的表格：%2。").arg(request.table, knownKeys()));
  if (namesImage(request.file)) {
    ImportRequest entryRequest = request;
    entryRequest.file = GameFileRef::imageEntry(request.file.path, table->file);
    return importCsv(entryRequest);
  }
  if (const QString misplaced = misplacedTable(*table, request.file, request.kind);
      !misplaced.isEmpty())
    return fail(misplaced + kNothingWritten);

  const FileContents csvBytes =
      readRegularFile(request.csv, kMaxCsvSize, QStringLiteral("CSV 文件"));
  if (!csvBytes.ok())
    return fail(csvBytes.error + kNothingWritten);
  if (looksLikeJson(csvBytes.bytes))
    return fail(
        QStringLiteral("“%1”是 JSON 文件（dump -f json 的输出），import 只读 CSV。请用 dump 的"
                       "默认格式 CSV 导出、修改后再导入。")
            .arg(fileLabel(request.csv)) +
        kNothingWritten);
  CsvTable csv = parseCsv(csvBytes.bytes);
  if (!csv.error.isEmpty())
    return fail(csv.error + kNothingWritten);
  if (csv.rows.empty())
    return fail(QStringLiteral("CSV 文件是空的，没有表头。") + kNothingWritten);
  dropEmptyTrailingColumns(csv);
  QString error;
  const QHash<QString, int> position = headerPositions(*table, csv.rows.front().fields, error);
  if (!error.isEmpty())
    return fail(error + kNothingWritten);

  const std::vector<qint64> offsets = table->recordOffsets(rows_);
  if (csv.rows.size() - 1 != offsets.size())
    return fail(QStringLiteral("CSV 文件有 %1 行记录，表格 %2 有 %3 条记录，行数必须相同。")
                    .arg(csv.rows.size() - 1)
                    .arg(table->key)
                    .arg(offsets.size()) +
                kNothingWritten);

  const ByteRange extent = tableExtent(*table, offsets);
  // Held from the read of the stored values to the commit.
  const FileLock lock(request.file.path);
  if (!lock.ok())
    return fail(lock.error());
  Module1::Operation op(request.file);
  op.requireSpan(extent.start, extent.end - extent.start, table->layout->what);
  const QByteArray stored = op.readBytes(extent.start, extent.end - extent.start);
  if (!op.close())
    return fail(op.error());
  QByteArray wanted = stored;
  int fieldsWritten = 0;
  if (!readImportRows(*table, csv, position, offsets, extent.start, stored, wanted, fieldsWritten,
                      error))
    return fail(error + kNothingWritten);

  // Only the bytes that change are written; the changes are listed as diff lists them.
  std::vector<FieldChange> changes;
  describeChanges(RecordIndex(table->file, rows_), {{extent.start, stored, wanted}}, rows_,
                  [&](FieldChange &&change) {
                    if (change.table == table)
                      changes.push_back(std::move(change));
                  });
  // Only the bytes that change are written, where the file still holds what was read.
  Edit edit;
  edit.file = request.file;
  edit.label = {{}, QStringLiteral("导入")};
  edit.what = table->layout->what;
  for (const ByteRange &range : changedRanges(extent.start, stored, wanted)) {
    const qint64 from = range.start - extent.start;
    const qint64 length = range.end - range.start;
    edit.spans.push_back({range.start, wanted.sliced(from, length), stored.sliced(from, length)});
  }
  const auto writeChangeLines = [&] {
    RowWriter writer(out_, Format::Text, changeHeader(), {kChangeIndexColumn});
    for (const FieldChange &change : changes)
      writer.write(changeRow(change, recordKey(*change.table, change.record)));
  };
  if (request.dryRun) {
    writeChangeLines();
    out_ << QStringLiteral("试运行：上面 %1 个栏位会被写入；没有写入任何内容。\n")
                .arg(fieldsWritten);
  } else {
    if (const EditResult result = commitEdit(edit); !result.written())
      return fail(result.error);
    writeChangeLines();
    out_ << (fieldsWritten == 0 ? QStringLiteral("文件中的值与 CSV 相同，没有写入任何内容。\n")
                                : QStringLiteral("已写入 %1 个栏位。\n").arg(fieldsWritten));
    if (fieldsWritten > 0)
      return finish(kSuccess,
                    QStringLiteral("\n注意：导入已经写入了游戏文件（%1 个栏位），只是改动清单没能"
                                   "完整输出。可用 diff 对照原来的文件查看改动。")
                        .arg(fieldsWritten));
  }
  return finish(kSuccess);
}

} // namespace korvane::tool
