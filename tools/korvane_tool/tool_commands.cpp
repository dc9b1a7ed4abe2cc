#include "tools/korvane_tool/tool_commands.h"

#include "editors/shared/record_io.h"
#include "io/module1.h"
#include "tools/korvane_tool/ips.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSet>

namespace korvane::tool {

namespace {

const QString kIndexColumn = QStringLiteral("序号");
const QString kNameColumn = QStringLiteral("名称");
// Bad cells listed before the import gives up listing them.
constexpr int kMostErrorsListed = 20;
// Bytes of an unnamed change shown in full.
constexpr qint64 kMostBytesShown = 16;
// Far above the executable and the stage file, so that a wrong path (a disc image,
// a device) is refused instead of read into memory.
constexpr qint64 kMaxGameFileSize = 64 * 1024 * 1024;

struct Column {
  const Field *field;
  const FieldPart *part;
  QString name;
};

std::vector<Column> columnsOf(const CatalogTable &table) {
  std::vector<Column> columns;
  QSet<QString> taken{kIndexColumn, kNameColumn};
  for (const Field &field : table.layout->fields)
    for (const FieldPart &part : field.parts) {
      QString name = part.caption.isEmpty() ? part.control : part.caption;
      if (taken.contains(name))
        name += QStringLiteral("（%1）").arg(part.control);
      taken.insert(name);
      columns.push_back({&field, &part, name});
    }
  return columns;
}

QString jsonString(const QString &text) {
  QString quoted = QStringLiteral("\"");
  for (QChar c : text) {
    switch (c.unicode()) {
    case u'"':
      quoted += QStringLiteral("\\\"");
      break;
    case u'\\':
      quoted += QStringLiteral("\\\\");
      break;
    case u'\n':
      quoted += QStringLiteral("\\n");
      break;
    case u'\r':
      quoted += QStringLiteral("\\r");
      break;
    case u'\t':
      quoted += QStringLiteral("\\t");
      break;
    default:
      if (c.unicode() < 0x20)
        quoted += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
      else
        quoted += c;
    }
  }
  return quoted + u'"';
}

// One JSON object per line, keys in column order; numbers stay numbers.
QString jsonObject(const QStringList &keys, const QStringList &values, const QSet<int> &numbers) {
  QStringList members;
  for (qsizetype i = 0; i < keys.size(); ++i)
    members << jsonString(keys[i]) + QStringLiteral(": ") +
                   (numbers.contains(int(i)) ? values[i] : jsonString(values[i]));
  return u'{' + members.join(QStringLiteral(", ")) + u'}';
}

QString jsonArray(const QStringList &objects) {
  if (objects.isEmpty())
    return QStringLiteral("[]\n");
  return QStringLiteral("[\n  ") + objects.join(QStringLiteral(",\n  ")) + QStringLiteral("\n]\n");
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

bool samePath(const QString &a, const QString &b) {
  const QFileInfo first(a);
  const QFileInfo second(b);
  const QString canonical = first.canonicalFilePath();
  if (!canonical.isEmpty())
    return canonical == second.canonicalFilePath();
  return first.absoluteFilePath() == second.absoluteFilePath();
}

// The lines of a change list, grouped as the catalog orders them: by table,
// record and field.
struct ChangeLines {
  QStringList header;
  std::vector<QStringList> rows;
};

ChangeLines changeRows(const ChangeList &changes, QByteArrayView before, QByteArrayView after) {
  ChangeLines lines{{QStringLiteral("表格"), QStringLiteral("表名"), kIndexColumn,
                     QStringLiteral("记录"), QStringLiteral("栏位"), QStringLiteral("原值"),
                     QStringLiteral("新值")},
                    {}};
  for (const FieldChange &change : changes.fields)
    lines.rows.push_back({change.table->section, change.table->key, QString::number(change.record),
                          change.recordName, change.part->caption, change.before, change.after});
  for (const ByteRange &range : changes.unnamed) {
    const qint64 length = range.end - range.start;
    lines.rows.push_back(
        {QStringLiteral("表格之外"), QString(), QString(),
         QStringLiteral("%1 起 %2 字节").arg(hexOffset(range.start)).arg(length), QString(),
         range.start + length <= before.size() ? hexBytes(before.sliced(range.start, length))
                                               : QString(),
         range.start + length <= after.size() ? hexBytes(after.sliced(range.start, length))
                                              : QString()});
  }
  return lines;
}

QString formatChanges(const ChangeLines &lines, Format format) {
  QString text;
  if (format == Format::Csv) {
    text = csvRow(lines.header);
    for (const QStringList &row : lines.rows)
      text += csvRow(row);
    return text;
  }
  if (format == Format::Json) {
    QStringList objects;
    for (const QStringList &row : lines.rows)
      objects << jsonObject(lines.header, row, row[2].isEmpty() ? QSet<int>{} : QSet<int>{2});
    return jsonArray(objects);
  }
  for (const QStringList &row : lines.rows) {
    if (row[1].isEmpty()) // outside every table
      text += QStringLiteral("%1 / %2: %3 → %4\n").arg(row[0], row[3], row[5], row[6]);
    else
      text += QStringLiteral("%1 / %2 / %3: %4 → %5\n").arg(row[0], row[3], row[4], row[5], row[6]);
  }
  return text;
}

// A spreadsheet may read the hex text 0012 as the number 12, which the hex
// writers would store as 12 00. A hex cell of a word or double word must
// therefore hold all its digits; one byte has no such doubt.
QString shortenedHex(const FieldPart &part, const Field &field, const QString &cell) {
  const qsizetype digits = 2 * field.width;
  if (part.encoding != Encoding::Hex || field.width == 1 || cell.trimmed().size() == digits)
    return {};
  return QStringLiteral("“%1”应填入正好 %2 位十六进制数，字节按文件中的顺序排列。"
                        "表格程序可能去掉了开头的 0：请把这一列设为文本后再保存。")
      .arg(part.caption)
      .arg(digits);
}

// A dump's text as the bytes of its file.
QByteArray encoded(const QString &text, const DumpRequest &request) {
  QByteArray bytes = text.toUtf8();
  if (request.bom && request.format == Format::Csv)
    bytes.prepend("\xEF\xBB\xBF");
  return bytes;
}

} // namespace

GameFile guessFileKind(const QString &path) {
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

QStringList dumpColumns(const CatalogTable &table) {
  QStringList names{kIndexColumn, kNameColumn};
  for (const Column &column : columnsOf(table))
    names << column.name;
  return names;
}

Tool::Tool(QTextStream &out, QTextStream &err, const QString &namesDir)
    : out_(out), err_(err), rows_(namesDir) {}

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
    out_ << table.key << '\t' << table.section << '\t' << gameFileName(table.file) << '\t'
         << table.recordOffsets(rows_).size() << '\n';
  out_.flush();
  warnAboutLists();
  return kSuccess;
}

QString Tool::dumpText(const CatalogTable &table, const QByteArray &bytes, Format format) {
  const std::vector<Column> columns = columnsOf(table);
  const QStringList names = dumpColumns(table);
  const std::vector<qint64> offsets = table.recordOffsets(rows_);
  QString text = format == Format::Csv ? csvRow(names) : QString();
  QStringList objects;
  QStringList values;
  for (size_t index = 0; index < offsets.size(); ++index) {
    const QByteArrayView record = QByteArrayView(bytes).sliced(offsets[index]);
    values = {QString::number(index), table.recordName(int(index), rows_)};
    for (const Column &column : columns)
      values << partValueText(*column.part, *column.field, fieldValueAt(record, *column.field),
                              rows_);
    if (format == Format::Csv)
      text += csvRow(values);
    else
      objects << jsonObject(names, values, {0});
  }
  return format == Format::Csv ? text : jsonArray(objects);
}

bool Tool::writeOutput(const QString &path, const QByteArray &bytes, const QStringList &gameFiles) {
  for (const QString &gameFile : gameFiles)
    if (samePath(path, gameFile)) {
      fail(QStringLiteral("输出文件“%1”就是游戏文件，没有写入任何内容。").arg(fileLabel(path)));
      return false;
    }
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    fail(QStringLiteral("无法写入输出文件：\n%1\n原因：%2")
             .arg(fileLabel(path), file.errorString()));
    return false;
  }
  return true;
}

int Tool::dump(const DumpRequest &request) {
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
    const QString text = dumpText(*single, *bytes, request.format);
    if (!request.output.isEmpty()) {
      if (!writeOutput(request.output, encoded(text, request), {request.file}))
        return kFailed;
    } else {
      if (request.bom && request.format == Format::Csv)
        out_ << QChar(0xFEFF);
      out_ << text;
      out_.flush();
    }
    warnAboutLists();
    return kSuccess;
  }
  if (!QDir().mkpath(request.output))
    return fail(QStringLiteral("无法创建文件夹：\n%1").arg(fileLabel(request.output)));
  const QString suffix =
      request.format == Format::Csv ? QStringLiteral(".csv") : QStringLiteral(".json");
  for (const CatalogTable *table : chosen) {
    const QString path = QDir(request.output).filePath(table->key + suffix);
    if (!writeOutput(path, encoded(dumpText(*table, *bytes, request.format), request),
                     {request.file}))
      return kFailed;
    out_ << QDir::toNativeSeparators(path) << '\n';
  }
  out_.flush();
  warnAboutLists();
  return kSuccess;
}

int Tool::diff(const DiffRequest &request) {
  const std::optional<QByteArray> before = readGameFile(request.original);
  if (!before)
    return kFailed;
  const std::optional<QByteArray> after = readGameFile(request.modified);
  if (!after)
    return kFailed;
  const GameFile kind = request.kind.value_or(guessFileKind(request.original));
  for (const CatalogTable &table : tableCatalog())
    if (table.file == kind && (!tableFits(table, request.original, before->size()) ||
                               !tableFits(table, request.modified, after->size())))
      return kFailed;

  const ChangeList changes = describeChanges(kind, 0, *before, *after, rows_);
  out_ << formatChanges(changeRows(changes, *before, *after), request.format);
  const bool sizesDiffer = before->size() != after->size();
  if (sizesDiffer && request.format == Format::Text)
    out_ << QStringLiteral("文件长度不同：%1 字节 → %2 字节\n")
                .arg(before->size())
                .arg(after->size());
  out_.flush();
  warnAboutLists();
  if (sizesDiffer && request.format != Format::Text)
    err_ << QStringLiteral("文件长度不同：%1 字节 → %2 字节").arg(before->size()).arg(after->size())
         << Qt::endl;
  return changes.isEmpty() && !sizesDiffer ? kSuccess : kDiffers;
}

namespace {

const QString kNothingWritten = QStringLiteral("\n没有写入任何内容。");

// Where each column of the dump stands in the CSV header: every column once, in
// any order. Empty, with `error` set, for any other header.
QHash<QString, int> headerPositions(const CatalogTable &table, const QStringList &header,
                                    QString &error) {
  const QStringList expected = dumpColumns(table);
  QHash<QString, int> position;
  for (qsizetype i = 0; i < header.size(); ++i) {
    const QString name = header[i].trimmed();
    if (!expected.contains(name)) {
      error = QStringLiteral("CSV 表头的第 %1 列“%2”不是表格 %3 的列。\n表头应为：%4")
                  .arg(i + 1)
                  .arg(name, table.key, expected.join(u','));
      return {};
    }
    if (position.contains(name)) {
      error = QStringLiteral("CSV 表头中“%1”列出现了两次。").arg(name);
      return {};
    }
    position.insert(name, int(i));
  }
  for (const QString &name : expected)
    if (!position.contains(name)) {
      error = QStringLiteral("CSV 表头缺少“%1”列。\n表头应为：%2").arg(name, expected.join(u','));
      return {};
    }
  return position;
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

QString cellRefusal(qint64 index, const QString &column, const QString &cell,
                    const QString &reason) {
  return QStringLiteral("（序号 %1）“%2”列的“%3”不能接受：%4").arg(index).arg(column, cell, reason);
}

} // namespace

// Every row is checked against the record the file holds now; the stored and the
// wanted values of each record are kept for the writes.
bool Tool::readImportRows(const CatalogTable &table, const CsvTable &csv,
                          const QHash<QString, int> &position, Module1::Operation &op,
                          ImportValues &values, QString &error) {
  const std::vector<Column> columns = columnsOf(table);
  const std::vector<qint64> &offsets = values.offsets;
  const qsizetype width = csv.rows.front().fields.size();
  const int indexAt = position.value(kIndexColumn);
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
    bool isNumber = false;
    const qint64 index = row.fields[indexAt].trimmed().toLongLong(&isNumber);
    if (!isNumber || index < 0 || index >= qint64(offsets.size())) {
      errors.add(row, QStringLiteral("“%1”应为 0 到 %2 之间的记录序号，而不是“%3”。")
                          .arg(kIndexColumn)
                          .arg(offsets.size() - 1)
                          .arg(row.fields[indexAt]));
      continue;
    }
    if (seen[size_t(index)]) {
      errors.add(row, QStringLiteral("序号 %1 的记录出现了两次。").arg(index));
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
      QString problem = shortenedHex(*column.part, *column.field, cell);
      if (problem.isEmpty()) {
        const ParsedValue parsed =
            parsePartValueText(*column.part, *column.field, record[fieldIndex], cell, rows_);
        if (parsed.raw)
          record[fieldIndex] = *parsed.raw;
        else
          problem = parsed.error;
      }
      if (!problem.isEmpty())
        errors.add(row, cellRefusal(index, column.name, cell, problem));
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
  if (const QString misplaced = misplacedTable(*table, request.file, request.kind);
      !misplaced.isEmpty())
    return fail(misplaced + kNothingWritten);

  QFile csvFile(request.csv);
  if (!csvFile.open(QIODevice::ReadOnly))
    return fail(QStringLiteral("无法打开 CSV 文件：\n%1\n原因：%2")
                    .arg(fileLabel(request.csv), csvFile.errorString()));
  const CsvTable csv = parseCsv(csvFile.readAll());
  csvFile.close();
  if (!csv.error.isEmpty())
    return fail(csv.error + kNothingWritten);
  if (csv.rows.empty())
    return fail(QStringLiteral("CSV 文件是空的，没有表头。") + kNothingWritten);
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
  const QString changeLines = formatChanges(changeRows(changes, {}, {}), Format::Text);
  if (request.dryRun) {
    out_ << changeLines
         << QStringLiteral("试运行：上面 %1 个栏位会被写入；没有写入任何内容。\n")
                .arg(fieldsWritten);
  } else {
    if (!op.close())
      return fail(op.error());
    out_ << changeLines
         << (fieldsWritten == 0 ? QStringLiteral("文件中的值与 CSV 相同，没有写入任何内容。\n")
                                : QStringLiteral("已写入 %1 个栏位。\n").arg(fieldsWritten));
  }
  out_.flush();
  warnAboutLists();
  return kSuccess;
}

int Tool::patch(const QString &original, const QString &modified, const QString &output) {
  if (output.isEmpty())
    return fail(QStringLiteral("请用 -o 指定补丁文件。"));
  const std::optional<QByteArray> before = readGameFile(original);
  if (!before)
    return kFailed;
  const std::optional<QByteArray> after = readGameFile(modified);
  if (!after)
    return kFailed;
  if (before->size() != after->size())
    return fail(QStringLiteral("两个文件长度不同（%1 字节和 %2 字节）。补丁只记录同样长度的"
                               "两个版本之间的字节变化，没有生成补丁。")
                    .arg(before->size())
                    .arg(after->size()));
  const IpsPatch ips = diffToIps(*before, *after);
  if (!ips.error.isEmpty())
    return fail(ips.error);
  if (!writeOutput(output, encodeIps(ips.records), {original, modified}))
    return kFailed;
  qint64 changed = 0;
  for (const IpsRecord &record : ips.records)
    changed += record.bytes.size();
  out_ << QStringLiteral("补丁已写入 %1：%2 条记录，共 %3 字节。\n")
              .arg(fileLabel(output))
              .arg(ips.records.size())
              .arg(changed);
  out_.flush();
  return kSuccess;
}

int Tool::apply(const QString &file, const QString &patchPath) {
  QFile patchFile(patchPath);
  if (!patchFile.open(QIODevice::ReadOnly))
    return fail(QStringLiteral("无法打开补丁文件：\n%1\n原因：%2")
                    .arg(fileLabel(patchPath), patchFile.errorString()));
  const IpsPatch ips = decodeIps(patchFile.readAll());
  patchFile.close();
  const QString refused = QStringLiteral("\n没有写入任何内容。");
  if (!ips.error.isEmpty())
    return fail(ips.error + refused);

  Module1::Operation op(file);
  if (!op.ok())
    return fail(op.error());
  for (const IpsRecord &record : ips.records)
    if (record.offset + record.bytes.size() > op.size())
      return fail(QStringLiteral("补丁要写入偏移 %1 起的 %2 字节，超出了文件“%3”的范围"
                                 "（文件长 %4 字节）。这个补丁不是给这个文件的。")
                      .arg(hexOffset(record.offset))
                      .arg(record.bytes.size())
                      .arg(fileLabel(file))
                      .arg(op.size()) +
                  refused);
  qint64 written = 0;
  for (const IpsRecord &record : ips.records) {
    op.writeBytes(record.offset, record.bytes);
    written += record.bytes.size();
  }
  if (!op.close())
    return fail(op.error());
  out_ << QStringLiteral("已应用补丁：%1 条记录，共写入 %2 字节。\n")
              .arg(ips.records.size())
              .arg(written);
  out_.flush();
  return kSuccess;
}

} // namespace korvane::tool
