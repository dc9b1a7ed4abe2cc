#include "tools/korvane_tool/tool_shared.h"

#include "editors/shared/record_io.h"
#include "io/disc_image.h"
#include "io/system_errors.h"

#include <QDir>
#include <QFile>
#include <filesystem>

namespace korvane::tool {

void Tool::writeDump(QTextStream &out, const CatalogTable &table, const QByteArray &bytes,
                     Format format) {
  const std::vector<TableColumn> columns = partColumns(table);
  const std::vector<qint64> offsets = table.recordOffsets(rows_);
  const StagePlacement *placement = placementOf(table);
  const bool csv = format == Format::Csv;
  RowWriter writer(out, csv ? Format::Csv : Format::Json,
                   csv ? dumpColumns(table) : dumpKeys(table), numberColumns(table));
  QStringList values;
  for (size_t index = 0; index < offsets.size(); ++index) {
    const QByteArrayView record = QByteArrayView(bytes).sliced(offsets[index]);
    if (placement)
      values = {QString::number(placement->records[index].stage),
                QString::number(placement->records[index].record)};
    else
      values = {QString::number(index)};
    values << table.recordName(int(index), rows_);
    for (const TableColumn &column : columns)
      values << partCellText(*column.part, *column.field, fieldValueAt(record, *column.field),
                             rows_);
    writer.write(values);
  }
  writer.finish();
}

// Streams one table's dump into `device`, a byte-order mark first when asked.
void Tool::dumpTo(QIODevice &device, const CatalogTable &table, const QByteArray &bytes,
                  const DumpRequest &request) {
  QTextStream stream(&device);
  if (request.bom && request.format == Format::Csv)
    stream << QChar(0xFEFF);
  writeDump(stream, table, bytes, request.format);
  stream.flush();
}

// The table decides which entry of an image is dumped; "all" dumps the tables of
// the entry --file-kind names, or else of both.
int Tool::dumpImage(const DumpRequest &request) {
  std::vector<GameFile> files{GameFile::Exe, GameFile::Stage};
  if (const CatalogTable *single = tableOrNull(request.table))
    files = {single->file};
  else if (request.kind)
    files = {*request.kind};
  // Every entry is found before the first table is written: all or nothing.
  for (GameFile file : files)
    if (const ImageEntryResult found = findImageEntry(request.file.path, gameFileName(file));
        !found.ok())
      return fail(found.error + kNothingWritten);
  for (GameFile file : files) {
    DumpRequest entryRequest = request;
    entryRequest.file = GameFileRef::imageEntry(request.file.path, file);
    entryRequest.kind = file;
    if (const int status = dump(entryRequest); status != kSuccess)
      return status;
  }
  return kSuccess;
}

int Tool::dump(const DumpRequest &request) {
  if (namesImage(request.file))
    return dumpImage(request);
  const bool all = request.table == QLatin1String("all");
  const CatalogTable *single = all ? nullptr : tableOrNull(request.table);
  if (!all && !single)
    return fail(QStringLiteral("没有名为“%1”的表格。可用的表格：%2，或 all。")
                    .arg(request.table, knownKeys()));
  if (all && request.output.isEmpty())
    return fail(QStringLiteral("导出全部表格（all）时要用 -o 指定一个文件夹。"));
  const QString misplaced =
      single ? misplacedTable(*single, request.file, request.kind) : QString();
  if (!misplaced.isEmpty())
    return fail(misplaced);
  const std::optional<QByteArray> bytes = readGameFile(request.file);
  if (!bytes)
    return kFailed;

  std::vector<const CatalogTable *> chosen;
  if (single) {
    chosen.push_back(single);
  } else {
    const GameFile kind = request.kind.value_or(guessFileKind(request.file));
    for (const CatalogTable &table : tableCatalog())
      if (table.file == kind)
        chosen.push_back(&table);
    if (chosen.empty())
      return fail(QStringLiteral("%1 中没有已知的表格（“%2”按 %1 处理；可用 --file-kind 指定）。")
                      .arg(gameFileName(kind), fileLabel(request.file)));
  }
  for (const CatalogTable *table : chosen)
    if (!tableFits(*table, request.file, bytes->size()))
      return kFailed;

  if (!all) {
    if (!request.output.isEmpty()) {
      if (!streamOutput(request.output, request.file,
                        [&](QIODevice &device) { dumpTo(device, *single, *bytes, request); }))
        return kFailed;
    } else {
      if (request.bom && request.format == Format::Csv)
        out_ << QChar(0xFEFF);
      writeDump(out_, *single, *bytes, request.format);
    }
    return finish(kSuccess);
  }
  std::error_code created;
  std::filesystem::create_directories(QFile::encodeName(request.output).toStdString(), created);
  if (created)
    return fail(QStringLiteral("无法创建文件夹：\n%1\n原因：%2。")
                    .arg(fileLabel(request.output), systemReason(created.value())));
  const QString suffix =
      request.format == Format::Csv ? QStringLiteral(".csv") : QStringLiteral(".json");
  for (const CatalogTable *table : chosen) {
    const QString path = QDir(request.output).filePath(table->key + suffix);
    if (!streamOutput(path, request.file,
                      [&](QIODevice &device) { dumpTo(device, *table, *bytes, request); }))
      return kFailed;
    out_ << QDir::toNativeSeparators(path) << '\n';
  }
  return finish(kSuccess, QStringLiteral("\n导出的文件已经全部写好，只是它们的清单没能输出。"));
}

} // namespace korvane::tool
