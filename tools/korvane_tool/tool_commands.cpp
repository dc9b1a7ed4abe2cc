#include "tools/korvane_tool/tool_commands.h"

#include "editors/shared/record_io.h"
#include "io/bps.h"
#include "io/disc_image.h"
#include "io/game_files.h"
#include "io/ips.h"
#include "io/module1.h"
#include "io/regular_file.h"
#include "io/system_errors.h"
#include "tools/korvane_tool/json_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSet>
#include <filesystem>
#include <iterator>

namespace korvane::tool {

namespace {

const QString kIndexColumn = QStringLiteral("序号");
// The tables the stage lists split name a record by its stage and number instead.
const QString kStageColumn = QStringLiteral("关卡");
const QString kRecordColumn = QStringLiteral("记录");
const QString kNameColumn = QStringLiteral("名称");
// Bad cells listed before the import gives up listing them.
constexpr int kMostErrorsListed = 50;
// Bytes of an unnamed change shown in full.
constexpr qint64 kMostBytesShown = 16;
// Far above the executable and the stage file, so that a wrong path (a disc image,
// a device) is refused instead of read into memory.
constexpr qint64 kMaxGameFileSize = 64 * 1024 * 1024;
// A dump of the largest table is a few MB; a spreadsheet may pad it, but not to this.
constexpr qint64 kMaxCsvSize = 64 * 1024 * 1024;
// A patch carries at most every byte of a game file, with its actions or record
// headers between them.
constexpr qint64 kMaxPatchSize = 2 * kMaxGameFileSize;

// A hex column's header says how its cells are written, so that whoever edits the
// sheet keeps the "0x" and the file's byte order. Only the CSV header carries it:
// JSON keys and messages use the bare name.
const QString kHexHeaderNote = QStringLiteral("（0x十六进制，按文件字节顺序）");

struct Column {
  const Field *field;
  const FieldPart *part;
  QString name;   // the JSON key, and the column's name in messages
  QString header; // the CSV header: the name, and for hex its note
};

QStringList indexColumns(const CatalogTable &table) {
  if (table.stagePlacement)
    return {kStageColumn, kRecordColumn};
  return {kIndexColumn};
}

std::vector<Column> columnsOf(const CatalogTable &table) {
  std::vector<Column> columns;
  QSet<QString> taken{kNameColumn};
  for (const QString &name : indexColumns(table))
    taken.insert(name);
  for (const Field &field : table.layout->fields)
    for (const FieldPart &part : field.parts) {
      QString name = part.caption.isEmpty() ? part.control : part.caption;
      if (taken.contains(name))
        name += QStringLiteral("（%1）").arg(part.control);
      taken.insert(name);
      const QString note = part.encoding == Encoding::Hex ? kHexHeaderNote : QString();
      columns.push_back({&field, &part, name, name + note});
    }
  return columns;
}

QString hexOffset(qint64 offset) {
  return QStringLiteral("0x") + QString::number(offset, 16).toUpper();
}

QString hexBytes(QByteArrayView bytes) {
  const bool cut = bytes.size() > kMostBytesShown;
  QString text = QString::fromLatin1(
      bytes.first(std::min(bytes.size(), kMostBytesShown)).toByteArray().toHex(' ').toUpper());
  return cut ? text + QStringLiteral(" …") : text;
}

const CatalogTable *tableOrNull(const QString &key) { return findTable(key.trimmed()); }

QString knownKeys() {
  QStringList keys;
  for (const CatalogTable &table : tableCatalog())
    keys << table.key;
  return keys.join(QStringLiteral("、"));
}

QString fileLabel(const QString &path) { return QDir::toNativeSeparators(path); }

const QStringList &changeHeader() {
  static const QStringList header{
      QStringLiteral("表格"), QStringLiteral("表名"), kIndexColumn,          QStringLiteral("记录"),
      QStringLiteral("栏位"), QStringLiteral("原值"), QStringLiteral("新值")};
  return header;
}
constexpr int kChangeIndexColumn = 2;

// `key` names the record as the table's dump does.
QStringList changeRow(const FieldChange &change, const QString &key) {
  return {change.table->section, change.table->key, key,         change.recordName,
          change.part->caption,  change.before,     change.after};
}

bool isNumberPart(const FieldPart &part) {
  switch (part.encoding) {
  case Encoding::Decimal:
  case Encoding::SignedDecimal:
  case Encoding::SignedRewrittenOnSave:
  case Encoding::Flag:
    return true;
  default:
    return false;
  }
}

// The columns of a dump that JSON writes as numbers: the record's place and the
// decimal parts; hex and list texts stay strings.
QList<int> numberColumns(const CatalogTable &table) {
  const int leading = int(indexColumns(table).size());
  QList<int> numbers;
  for (int i = 0; i < leading; ++i)
    numbers << i;
  const std::vector<Column> columns = columnsOf(table);
  for (size_t i = 0; i < columns.size(); ++i)
    if (isNumberPart(*columns[i].part))
      numbers << leading + 1 + int(i);
  return numbers;
}

QStringList unnamedRow(const ByteRange &range, QByteArrayView before, QByteArrayView after) {
  const qint64 length = range.end - range.start;
  return {QStringLiteral("表格之外"),
          QString(),
          QString(),
          QStringLiteral("%1 起 %2 字节").arg(hexOffset(range.start)).arg(length),
          QString(),
          hexBytes(before.sliced(range.start, length)),
          hexBytes(after.sliced(range.start, length))};
}

// Writes the rows of one listing as they are made: CSV rows under their header,
// a JSON array, or for a diff's text one line per change.
class RowWriter {
public:
  RowWriter(QTextStream &out, Format format, const QStringList &header,
            const QList<int> &numberColumns)
      : out_(out), format_(format) {
    if (format == Format::Csv)
      out << csvRow(header);
    else if (format == Format::Json)
      json_.emplace(out, header, numberColumns);
  }

  void write(const QStringList &row) {
    if (format_ == Format::Csv)
      out_ << csvRow(row);
    else if (json_)
      json_->write(row);
    else if (row[1].isEmpty()) // outside every table
      out_ << QStringLiteral("%1 / %2: %3 → %4\n").arg(row[0], row[3], row[5], row[6]);
    else
      out_ << QStringLiteral("%1 / %2 / %3: %4 → %5\n").arg(row[0], row[3], row[4], row[5], row[6]);
  }

  void finish() {
    if (json_)
      json_->finish();
  }

private:
  QTextStream &out_;
  Format format_;
  std::optional<JsonRowWriter> json_;
};

} // namespace

GameFile guessFileKind(const QString &path) {
  if (const GameFileRef ref = GameFileRef::fromPathText(path); ref.inImage())
    return ref.entry == kStageEntryName ? GameFile::Stage : GameFile::Exe;
  const QString name = QFileInfo(path).fileName().toLower();
  return name.endsWith(QLatin1String(".bin")) || name.contains(QLatin1String("stage"))
             ? GameFile::Stage
             : GameFile::Exe;
}

namespace {

// A table is read or written only in the game file that holds it: the stage tables'
// offsets mean nothing in the executable, and the other way round. Empty when
// `table` lies in `file`.
QString misplacedTable(const CatalogTable &table, const QString &file,
                       std::optional<GameFile> kind) {
  const GameFile fileKind = kind.value_or(guessFileKind(file));
  if (table.file == fileKind)
    return {};
  return QStringLiteral("表格 %1 在 %2 中，而“%3”按 %4 处理（可用 --file-kind 指定）。")
      .arg(table.key, gameFileName(table.file), fileLabel(file), gameFileName(fileKind));
}

} // namespace

bool namesImage(const QString &argument) {
  return !GameFileRef::fromPathText(argument).inImage() && isDiscImagePath(argument);
}

QString imageEntryPath(const QString &image, GameFile file) {
  return GameFileRef{image, gameFileName(file)}.pathText();
}

QString entryArgument(const QString &argument, GameFile file) {
  return namesImage(argument) ? imageEntryPath(argument, file) : argument;
}

namespace {

// The leading columns, then `label` of each shown part's column.
QStringList columnLabels(const CatalogTable &table, QString Column::*label) {
  QStringList names = indexColumns(table);
  names << kNameColumn;
  for (const Column &column : columnsOf(table))
    names << column.*label;
  return names;
}

} // namespace

QStringList dumpColumns(const CatalogTable &table) { return columnLabels(table, &Column::header); }

QStringList dumpKeys(const CatalogTable &table) { return columnLabels(table, &Column::name); }

Tool::Tool(QTextStream &out, QTextStream &err, const QString &namesDir)
    : out_(out), err_(err), rows_(namesDir) {}

const StagePlacement *Tool::placementOf(const CatalogTable &table) {
  if (!table.stagePlacement)
    return nullptr;
  auto found = placements_.find(&table);
  if (found == placements_.end()) {
    found = placements_.emplace(&table, table.stagePlacement(rows_)).first;
    // Reported as the deployment windows report it: those stages list no records.
    if (!found->second.problem.isEmpty())
      err_ << QStringLiteral("警告：") << found->second.problem << Qt::endl;
  }
  return &found->second;
}

QString Tool::recordKey(const CatalogTable &table, int index) {
  const StagePlacement *placement = placementOf(table);
  if (!placement)
    return QString::number(index);
  const StageRecord &place = placement->records[size_t(index)];
  return QStringLiteral("关卡%1 机体%2").arg(place.stage).arg(place.record);
}

QString Tool::recordLabel(const CatalogTable &table, int index) {
  const QString key = recordKey(table, index);
  return placementOf(table) ? key : QStringLiteral("%1 %2").arg(kIndexColumn, key);
}

int Tool::finish(int status, const QString &doneAnyway) {
  out_.flush();
  warnAboutLists();
  if (out_.status() == QTextStream::Ok)
    return status;
  const auto *device = qobject_cast<const QFileDevice *>(out_.device());
  const QString reason = device ? fileErrorReason(*device) : QStringLiteral("系统没有给出原因");
  return fail(
      QStringLiteral("无法写出到标准输出，输出不完整。原因：%1。%2").arg(reason, doneAnyway));
}

int Tool::fail(const QString &message) {
  warnAboutLists();
  err_ << message << Qt::endl;
  return kFailed;
}

// A missing or short name list is reported, and its rows stand as placeholders,
// as the windows do.
void Tool::warnAboutLists() {
  const QStringList &problems = rows_.problems();
  for (; warned_ < problems.size(); ++warned_)
    err_ << QStringLiteral("警告：") << problems[warned_] << Qt::endl;
}

std::optional<QByteArray> Tool::readGameFile(const QString &path) {
  Module1::FileContents contents = Module1::readWholeFile(path, kMaxGameFileSize);
  if (!contents.ok()) {
    fail(contents.error);
    return std::nullopt;
  }
  return std::move(contents.bytes);
}

bool Tool::tableFits(const CatalogTable &table, const QString &path, qint64 size) {
  qint64 end = 0;
  for (qint64 offset : table.recordOffsets(rows_))
    end = std::max(end, offset + table.layout->recordSize);
  if (end <= size)
    return true;
  fail(QStringLiteral("文件“%1”只有 %2 字节，容纳不下%3（需要到偏移 %4）。\n"
                      "请确认它是 %5。")
           .arg(fileLabel(path))
           .arg(size)
           .arg(table.layout->what, hexOffset(end), gameFileName(table.file)));
  return false;
}

int Tool::tables() {
  out_ << QStringLiteral("表名\t栏目\t文件\t记录数\n");
  for (const CatalogTable &table : tableCatalog())
    placementOf(table);
  for (const CatalogTable &table : tableCatalog())
    out_ << table.key << '\t' << table.section << '\t' << gameFileName(table.file) << '\t'
         << table.recordOffsets(rows_).size() << '\n';
  return finish(kSuccess);
}

void Tool::writeDump(QTextStream &out, const CatalogTable &table, const QByteArray &bytes,
                     Format format) {
  const std::vector<Column> columns = columnsOf(table);
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
    for (const Column &column : columns)
      values << partCellText(*column.part, *column.field, fieldValueAt(record, *column.field),
                             rows_);
    writer.write(values);
  }
  writer.finish();
}

bool Tool::writeOutput(const QString &path, const QByteArray &bytes, const QStringList &gameFiles) {
  return streamOutput(path, gameFiles, [&bytes](QIODevice &device) { device.write(bytes); });
}

bool Tool::streamOutput(const QString &path, const QStringList &gameFiles,
                        const std::function<void(QIODevice &)> &write) {
  for (const QString &gameFile : gameFiles)
    if (onSameDiskFile(path, gameFile)) {
      fail(QStringLiteral("输出文件“%1”就是游戏文件，没有写入任何内容。").arg(fileLabel(path)));
      return false;
    }
  QSaveFile file(path);
  if (file.open(QIODevice::WriteOnly))
    write(file);
  if (!file.commit()) {
    fail(QStringLiteral("无法写入输出文件：\n%1\n原因：%2。没有写入任何内容。")
             .arg(fileLabel(path), fileErrorReason(file)));
    return false;
  }
  return true;
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
  for (GameFile file : files) {
    DumpRequest entryRequest = request;
    entryRequest.file = imageEntryPath(request.file, file);
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
      if (!streamOutput(request.output, {request.file},
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
    if (!streamOutput(path, {request.file},
                      [&](QIODevice &device) { dumpTo(device, *table, *bytes, request); }))
      return kFailed;
    out_ << QDir::toNativeSeparators(path) << '\n';
  }
  return finish(kSuccess, QStringLiteral("\n导出的文件已经全部写好，只是它们的清单没能输出。"));
}

int Tool::diff(const DiffRequest &request) {
  if (namesImage(request.original) || namesImage(request.modified)) {
    // The entry compared is the one --file-kind names, or else the game file the
    // plain argument is, or else SLPS_255.37.
    const QString &plain = namesImage(request.original) ? request.modified : request.original;
    const GameFile kind =
        request.kind.value_or(namesImage(plain) ? GameFile::Exe : guessFileKind(plain));
    return diff({entryArgument(request.original, kind), entryArgument(request.modified, kind),
                 request.format, kind});
  }
  const std::optional<QByteArray> before = readGameFile(request.original);
  if (!before)
    return kFailed;
  const std::optional<QByteArray> after = readGameFile(request.modified);
  if (!after)
    return kFailed;
  const GameFile kind = request.kind.value_or(guessFileKind(request.original));
  for (const CatalogTable &table : tableCatalog())
    if (table.file == kind)
      placementOf(table);
  for (const CatalogTable &table : tableCatalog())
    if (table.file == kind && (!tableFits(table, request.original, before->size()) ||
                               !tableFits(table, request.modified, after->size())))
      return kFailed;

  const qsizetype length = std::min(before->size(), after->size());
  const bool bytesDiffer = listChanges(kind, QByteArrayView(*before).first(length),
                                       QByteArrayView(*after).first(length), request.format);
  const bool sizesDiffer = before->size() != after->size();
  if (sizesDiffer && request.format == Format::Text)
    out_ << QStringLiteral("文件长度不同：%1 字节 → %2 字节\n")
                .arg(before->size())
                .arg(after->size());
  if (finish(kSuccess) != kSuccess)
    return kFailed;
  if (sizesDiffer && request.format != Format::Text)
    err_ << QStringLiteral("文件长度不同：%1 字节 → %2 字节").arg(before->size()).arg(after->size())
         << Qt::endl;
  return !bytesDiffer && !sizesDiffer ? kSuccess : kDiffers;
}

// Rows are written as they are found; only the ranges no table names wait.
bool Tool::listChanges(GameFile kind, QByteArrayView was, QByteArrayView is, Format format) {
  RowWriter writer(out_, format, changeHeader(), {kChangeIndexColumn});
  bool fieldsDiffer = false;
  const std::vector<ByteRange> unnamed =
      describeChanges(RecordIndex(kind, rows_), {{0, was, is}}, rows_, [&](FieldChange &&change) {
        writer.write(changeRow(change, recordKey(*change.table, change.record)));
        fieldsDiffer = true;
      });
  for (const ByteRange &range : unnamed)
    writer.write(unnamedRow(range, was, is));
  writer.finish();
  return fieldsDiffer || !unnamed.empty();
}

namespace {

const QString kNothingWritten = QStringLiteral("\n没有写入任何内容。");

// The header names each dump column answers to, with the column's name: its CSV
// header, and for a hex column also the bare name that CSVs made before the note hold.
QHash<QString, QString> headerNames(const CatalogTable &table) {
  QHash<QString, QString> names;
  for (const QString &name : dumpKeys(table))
    names.insert(name, name);
  for (const Column &column : columnsOf(table))
    names.insert(column.header, column.name);
  return names;
}

// Where each column of the dump stands in the CSV header, by the column's name:
// every column once, in any order. Empty, with `error` set, for any other header.
QHash<QString, int> headerPositions(const CatalogTable &table, const QStringList &header,
                                    QString &error) {
  const QStringList expected = dumpColumns(table);
  const QHash<QString, QString> names = headerNames(table);
  QHash<QString, int> position;
  for (qsizetype i = 0; i < header.size(); ++i) {
    const QString cell = header[i].trimmed();
    const QString name = names.value(cell);
    if (name.isEmpty() && (cell.contains(u'?') || cell.contains(QChar(0xFFFD)))) {
      error = QStringLiteral("CSV 表头的“%1”中文字变成了“?”：文件保存时没有用 UTF-8 编码，"
                             "中文已经丢失。请从 dump 的文件重新开始，在表格程序中另存为"
                             "“CSV UTF-8”（LibreOffice：“字符集”选“Unicode (UTF-8)”）。")
                  .arg(cellQuote(cell));
      return {};
    }
    if (name.isEmpty()) {
      error = QStringLiteral("CSV 表头的第 %1 列“%2”不是表格 %3 的列。\n表头应为：%4")
                  .arg(i + 1)
                  .arg(cellQuote(cell), table.key, expected.join(u','));
      return {};
    }
    if (position.contains(name)) {
      error = QStringLiteral("CSV 表头中“%1”列出现了两次。").arg(cellQuote(name));
      return {};
    }
    position.insert(name, int(i));
  }
  const QStringList keys = dumpKeys(table);
  for (qsizetype i = 0; i < keys.size(); ++i)
    if (!position.contains(keys[i])) {
      error = QStringLiteral("CSV 表头缺少“%1”列。\n表头应为：%2")
                  .arg(expected[i], expected.join(u','));
      return {};
    }
  return position;
}

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

QString cellRefusal(const QString &key, const QString &column, const QString &cell,
                    const QString &reason) {
  return QStringLiteral("（%1）“%2”列的“%3”不能接受：%4").arg(key, column, cellQuote(cell), reason);
}

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

} // namespace

// Every row is checked against the record the file holds now; the stored and the
// wanted values of each record are kept for the writes.
bool Tool::readImportRows(const CatalogTable &table, const CsvTable &csv,
                          const QHash<QString, int> &position, Module1::Operation &op,
                          ImportValues &values, QString &error) {
  const std::vector<Column> columns = columnsOf(table);
  const std::vector<qint64> &offsets = values.offsets;
  const qsizetype width = csv.rows.front().fields.size();
  const RowKeys keys(placementOf(table), offsets.size(), position);
  values.stored.assign(offsets.size(), {});
  values.wanted.assign(offsets.size(), {});
  std::vector<bool> seen(offsets.size(), false);
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
    seen[size_t(index)] = true;
    RecordValues record = readRecord(op, *table.layout, offsets[size_t(index)]);
    values.stored[size_t(index)] = record;
    size_t fieldIndex = 0;
    for (const Column &column : columns) {
      while (&table.layout->fields[fieldIndex] != column.field)
        ++fieldIndex;
      const QString &cell = row.fields[position.value(column.name)];
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
    values.wanted[size_t(index)] = std::move(record);
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
    entryRequest.file = imageEntryPath(request.file, table->file);
    return importCsv(entryRequest);
  }
  if (const QString misplaced = misplacedTable(*table, request.file, request.kind);
      !misplaced.isEmpty())
    return fail(misplaced + kNothingWritten);

  const FileContents csvBytes =
      readRegularFile(request.csv, kMaxCsvSize, QStringLiteral("CSV 文件"));
  if (!csvBytes.ok())
    return fail(csvBytes.error + kNothingWritten);
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

  ImportValues values{table->recordOffsets(rows_), {}, {}};
  if (csv.rows.size() - 1 != values.offsets.size())
    return fail(QStringLiteral("CSV 文件有 %1 行记录，表格 %2 有 %3 条记录，行数必须相同。")
                    .arg(csv.rows.size() - 1)
                    .arg(table->key)
                    .arg(values.offsets.size()) +
                kNothingWritten);

  // Held from the read of the stored values to the commit.
  const FileLock lock(GameFileRef::fromPathText(request.file).path);
  if (!lock.ok())
    return fail(lock.error());
  Module1::Operation op(request.file);
  for (qint64 offset : values.offsets)
    if (!op.requireSpan(offset, table->layout->recordSize, table->layout->what))
      break;
  if (!op.ok())
    return fail(op.error());
  if (!readImportRows(*table, csv, position, op, values, error))
    return fail(error + kNothingWritten);
  if (!op.ok())
    return fail(op.error());

  // Only the fields that change are written; the changes are listed as diff lists them.
  ChangeList changes;
  int fieldsWritten = 0;
  for (size_t index = 0; index < values.offsets.size(); ++index) {
    const qint64 recordStart = values.offsets[index];
    QString recordName;
    for (size_t f = 0; f < table->layout->fields.size(); ++f) {
      const quint32 old = values.stored[index][f];
      const quint32 now = values.wanted[index][f];
      if (old == now)
        continue;
      const Field &field = table->layout->fields[f];
      writeRecordField(op, field, recordStart, now);
      ++fieldsWritten;
      if (recordName.isNull())
        recordName = table->recordName(int(index), rows_);
      for (const FieldPart &part : field.parts) {
        QString oldText = partValueText(part, field, old, rows_);
        QString newText = partValueText(part, field, now, rows_);
        if (oldText != newText)
          changes.fields.push_back({table, int(index), recordName, &field, &part,
                                    recordStart + field.offset, std::move(oldText),
                                    std::move(newText)});
      }
    }
  }
  const auto writeChangeLines = [&] {
    RowWriter writer(out_, Format::Text, changeHeader(), {kChangeIndexColumn});
    for (const FieldChange &change : changes.fields)
      writer.write(changeRow(change, recordKey(*change.table, change.record)));
  };
  if (request.dryRun) {
    writeChangeLines();
    out_ << QStringLiteral("试运行：上面 %1 个栏位会被写入；没有写入任何内容。\n")
                .arg(fieldsWritten);
  } else {
    if (!op.close())
      return fail(op.error());
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

int Tool::patch(const QString &original, const QString &modified, const QString &output,
                std::optional<PatchFormat> format, std::optional<GameFile> entry) {
  if (output.isEmpty())
    return fail(QStringLiteral("请用 -o 指定补丁文件。"));
  if (entry && (namesImage(original) || namesImage(modified)))
    return patch(entryArgument(original, *entry), entryArgument(modified, *entry), output, format);
  const PatchFormat chosen = format.value_or(patchFormatFor(output));
  const PatchOutcome outcome = writePatchFile(original, modified, output, chosen);
  if (!outcome.error.isEmpty())
    return fail(outcome.error);
  out_ << QStringLiteral("%1 补丁已写入 %2：两个文件有 %3 字节不同。\n")
              .arg(patchFormatName(chosen), fileLabel(output))
              .arg(outcome.differingBytes);
  return finish(kSuccess, QStringLiteral("\n补丁文件已经写好，只是这条结果没能输出。"));
}

namespace {

// What a patch makes of a file's bytes, or why it does not fit them.
struct PatchedFile {
  QByteArray target;
  QString error;
  QString format;
};

PatchedFile ipsPatched(QByteArrayView patch, const QByteArray &source, const QString &file) {
  const IpsPatch ips = decodeIps(patch);
  if (!ips.error.isEmpty())
    return {{}, ips.error, QStringLiteral("IPS")};
  // Later records overwrite earlier ones, in the patch's order.
  QByteArray target = source;
  for (const IpsRecord &record : ips.records) {
    if (record.offset + record.bytes.size() > source.size())
      return {{},
              QStringLiteral("补丁要写入偏移 %1 起的 %2 字节，超出了文件“%3”的范围"
                             "（文件长 %4 字节）。这个补丁不是给这个文件的。")
                  .arg(hexOffset(record.offset))
                  .arg(record.bytes.size())
                  .arg(fileLabel(file))
                  .arg(source.size()),
              QStringLiteral("IPS")};
    std::copy(record.bytes.begin(), record.bytes.end(), target.begin() + record.offset);
  }
  return {target, {}, QStringLiteral("IPS")};
}

PatchedFile patched(QByteArrayView patch, const QByteArray &source, const QString &file) {
  if (patch.startsWith(QByteArrayView(kBpsMagic))) {
    BpsApplied bps = applyBps(patch, source);
    return {std::move(bps.target), bps.error, QStringLiteral("BPS")};
  }
  if (patch.startsWith("PATCH"))
    return ipsPatched(patch, source, file);
  return {{},
          QStringLiteral("补丁文件无效：开头既不是“BPS1”也不是“PATCH”，不是 BPS 或 IPS 补丁。"),
          {}};
}

QString crcText(quint32 crc) {
  return QStringLiteral("%1").arg(crc, 8, 16, QLatin1Char('0')).toUpper();
}

} // namespace

// Every changed stretch, read back after the commit, must hold the patched bytes
// (the target's CRC32 was checked before writing, and the rest of the file is the
// source it was checked against); when one does not, the old bytes of every
// changed stretch are put back. Stretches close together are read back in one
// read, so that a thousand scattered changes cost a few reads and not a thousand.
bool Tool::writtenAsPatched(const QString &file, const QByteArray &source, const QByteArray &target,
                            const std::vector<ByteRange> &spans) {
  constexpr qint64 kReadTogether = 64 * 1024;
  Module1::Operation check(file);
  bool same = check.ok() && check.size() == target.size();
  for (auto first = spans.begin(); same && first != spans.end();) {
    auto end = std::next(first);
    while (end != spans.end() && end->start - std::prev(end)->end <= kReadTogether)
      ++end;
    const qint64 start = first->start;
    const QByteArray read = check.readBytes(start, std::prev(end)->end - start);
    same = check.ok();
    for (; same && first != end; ++first) {
      const qint64 length = first->end - first->start;
      same = QByteArrayView(read).sliced(first->start - start, length) ==
             QByteArrayView(target).sliced(first->start, length);
    }
  }
  if (same && check.ok())
    return true;
  const QString found =
      check.ok() ? crcText(crc32Of(check.readBytes(0, check.size()))) : check.error();
  for (const ByteRange &span : spans)
    check.writeBytes(span.start, QByteArrayView(source).sliced(span.start, span.end - span.start));
  const bool restored = check.close();
  fail(QStringLiteral("写入后文件的 CRC32 是 %1，补丁要求 %2。\n%3")
           .arg(found, crcText(crc32Of(target)),
                restored ? QStringLiteral("已经把原来的内容写回，文件没有改动。")
                         : QStringLiteral("写回原来的内容也失败了（%1），文件可能只改了一部分。")
                               .arg(check.error())));
  return false;
}

int Tool::apply(const QString &file, const QString &patchPath, bool dryRun,
                std::optional<GameFile> kind) {
  if (kind && namesImage(file))
    return apply(imageEntryPath(file, *kind), patchPath, dryRun, kind);
  const FileContents patchFile =
      readRegularFile(patchPath, kMaxPatchSize, QStringLiteral("补丁文件"));
  if (!patchFile.ok())
    return fail(patchFile.error + kNothingWritten);
  const QByteArray &patchBytes = patchFile.bytes;

  // Held from the read of the source to the check of what was written.
  const FileLock lock(GameFileRef::fromPathText(file).path);
  if (!lock.ok())
    return fail(lock.error());
  Module1::Operation op(file);
  const QByteArray source = op.readBytes(0, op.size());
  if (!op.ok())
    return fail(op.error());
  const PatchedFile result = patched(patchBytes, source, file);
  if (!result.error.isEmpty())
    return fail(result.error + kNothingWritten);
  const std::vector<ByteRange> spans = changedRanges(0, source, result.target);
  qint64 changed = 0;
  for (const ByteRange &span : spans)
    changed += span.end - span.start;

  if (dryRun) {
    out_ << QStringLiteral("%1 补丁适用于“%2”。\n").arg(result.format, fileLabel(file));
    // A whole image's bytes are no game file's: only their count is told.
    if (!namesImage(file))
      listChanges(kind.value_or(guessFileKind(file)), source, result.target, Format::Text);
    out_ << QStringLiteral("试运行：上面的变化共 %1 字节；没有写入任何内容。\n").arg(changed);
    return finish(kSuccess);
  }
  for (const ByteRange &span : spans)
    op.writeBytes(span.start,
                  QByteArrayView(result.target).sliced(span.start, span.end - span.start));

  if (!op.close())
    return fail(op.error());

  if (!writtenAsPatched(file, source, result.target, spans))
    return kFailed;

  out_ << QStringLiteral("已应用 %1 补丁：文件中 %2 字节有了变化。\n")
              .arg(result.format)
              .arg(changed);
  return finish(kSuccess,
                QStringLiteral("\n注意：补丁已经写入了游戏文件（%1 字节有了变化），只是这条结果"
                               "没能输出。")
                    .arg(changed));
}

} // namespace korvane::tool

namespace korvane::tool {

// Both game files are found before either is written, so that a refused image
// leaves nothing behind; a file already in the folder is never replaced.
int Tool::extract(const QString &image, const QString &folder) {
  const QDir target(folder);
  for (const QString &name : {kExeEntryName, kStageEntryName}) {
    if (const ImageEntryResult found = findImageEntry(image, name); !found.ok())
      return fail(found.error + kNothingWritten);
    if (QFileInfo::exists(target.filePath(name)))
      return fail(QStringLiteral("“%1”已经存在，没有覆盖它。没有写入任何内容。")
                      .arg(fileLabel(target.filePath(name))));
  }
  if (!target.exists() && !QDir().mkpath(folder))
    return fail(QStringLiteral("无法建立文件夹“%1”。").arg(fileLabel(folder)));
  for (const QString &name : {kExeEntryName, kStageEntryName}) {
    QString error;
    if (!extractImageEntry(image, name, target.filePath(name), &error))
      return fail(error);
    out_ << QStringLiteral("已写出 %1\n").arg(fileLabel(target.filePath(name)));
  }
  out_.flush();
  return kSuccess;
}

} // namespace korvane::tool
