#include "tools/korvane_tool/tool_shared.h"

#include "editors/shared/record_io.h"
#include "io/disc_image.h"
#include "io/game_files.h"
#include "io/module1.h"
#include "io/system_errors.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace korvane::tool {

namespace {

// Bytes of an unnamed change shown in full.
constexpr qint64 kMostBytesShown = 16;

QString hexBytes(QByteArrayView bytes) {
  const bool cut = bytes.size() > kMostBytesShown;
  QString text = QString::fromLatin1(
      bytes.first(std::min(bytes.size(), kMostBytesShown)).toByteArray().toHex(' ').toUpper());
  return cut ? text + QStringLiteral(" …") : text;
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

} // namespace

// The record's place and the decimal parts; hex and list texts stay strings.
QList<int> numberColumns(const CatalogTable &table) {
  const int leading = int(placeColumns(table).size());
  QList<int> numbers;
  for (int i = 0; i < leading; ++i)
    numbers << i;
  const std::vector<TableColumn> columns = partColumns(table);
  for (size_t i = 0; i < columns.size(); ++i)
    if (isNumberPart(*columns[i].part))
      numbers << leading + 1 + int(i);
  return numbers;
}

QString hexOffset(qint64 offset) {
  return QStringLiteral("0x") + QString::number(offset, 16).toUpper();
}

const CatalogTable *tableOrNull(const QString &key) { return findTable(key.trimmed()); }

QString knownKeys() {
  QStringList keys;
  for (const CatalogTable &table : tableCatalog())
    keys << table.key;
  return keys.join(QStringLiteral("、"));
}

QString fileLabel(const QString &path) { return QDir::toNativeSeparators(path); }

QString fileLabel(const GameFileRef &file) { return file.givenName(); }

const QStringList &changeHeader() {
  static const QStringList header{
      QStringLiteral("表格"), QStringLiteral("表名"), kIndexColumn,          QStringLiteral("记录"),
      QStringLiteral("栏位"), QStringLiteral("原值"), QStringLiteral("新值")};
  return header;
}

QStringList changeRow(const FieldChange &change, const QString &key) {
  return {change.table->section, change.table->key, key,         change.recordName,
          changeCaption(change), change.before,     change.after};
}

QStringList unnamedRow(const ByteRange &range, QByteArrayView before, QByteArrayView after) {
  const qint64 length = range.end - range.start;
  return {QStringLiteral("表格之外"),
          QString(),
          QString(),
          QStringLiteral("%1 起 %2 字节").arg(hexOffset(range.start)).arg(length),
          QString(),
          hexBytes(before),
          hexBytes(after)};
}

RowWriter::RowWriter(QTextStream &out, Format format, const QStringList &header,
                     const QList<int> &numberColumns)
    : out_(out), format_(format) {
  if (format == Format::Csv)
    out << csvHeaderRow(header);
  else if (format == Format::Json)
    json_.emplace(out, header, numberColumns);
}

void RowWriter::write(const QStringList &row) {
  if (format_ == Format::Csv)
    out_ << csvRow(row);
  else if (json_)
    json_->write(row);
  else if (row[1].isEmpty()) // outside every table
    out_ << QStringLiteral("%1 / %2: %3 → %4\n").arg(row[0], row[3], row[5], row[6]);
  else
    out_ << QStringLiteral("%1 / %2 / %3: %4 → %5\n").arg(row[0], row[3], row[4], row[5], row[6]);
}

void RowWriter::finish() {
  if (json_)
    json_->finish();
}

GameFile guessFileKind(const GameFileRef &file) {
  if (file.inImage())
    return file.entry == kStageEntryName ? GameFile::Stage : GameFile::Exe;
  const QString name = QFileInfo(file.path).fileName().toLower();
  return name.endsWith(QLatin1String(".bin")) || name.contains(QLatin1String("stage"))
             ? GameFile::Stage
             : GameFile::Exe;
}

// The stage tables' offsets mean nothing in the executable, and the other way round.
QString misplacedTable(const CatalogTable &table, const GameFileRef &file,
                       std::optional<GameFile> kind) {
  const GameFile fileKind = kind.value_or(guessFileKind(file));
  if (table.file == fileKind)
    return {};
  return QStringLiteral("表格 %1 在 %2 中，而“%3”按 %4 处理（可用 --file-kind 指定）。")
      .arg(table.key, gameFileName(table.file), fileLabel(file), gameFileName(fileKind));
}

// A file named as one of the game files is that game file, whatever its first
// bytes look like (a stage.bin may well start as a gzip or raw image would).
bool namesImage(const GameFileRef &file) {
  if (file.inImage())
    return false;
  const QString name = QFileInfo(file.path).fileName();
  if (name.compare(kExeEntryName, Qt::CaseInsensitive) == 0 ||
      name.compare(kStageEntryName, Qt::CaseInsensitive) == 0)
    return false;
  return isDiscImagePath(file.path);
}

// A file that exists under the whole text is a plain file even when its name
// holds the separator; otherwise the text after the last separator must be one of
// the two entry names.
GameFileRef typedGameFile(const QString &text) {
  const qsizetype marker = text.lastIndexOf(kEntrySeparator);
  if (marker <= 0 || QFileInfo::exists(text))
    return GameFileRef::plain(text);
  const QString named = text.mid(marker + kEntrySeparator.size());
  for (const QString &entry : {kExeEntryName, kStageEntryName})
    if (named.compare(entry, Qt::CaseInsensitive) == 0)
      return {text.left(marker), entry};
  return GameFileRef::plain(text);
}

GameFileRef entryIn(const GameFileRef &file, GameFile kind) {
  return namesImage(file) ? GameFileRef::imageEntry(file.path, kind) : file;
}

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

std::optional<QByteArray> Tool::readGameFile(const GameFileRef &file) {
  Module1::FileContents contents = Module1::readWholeFile(file, kMaxGameFileSize);
  if (!contents.ok()) {
    fail(contents.error);
    return std::nullopt;
  }
  return std::move(contents.bytes);
}

bool Tool::tableFits(const CatalogTable &table, const GameFileRef &file, qint64 size) {
  qint64 end = 0;
  for (qint64 offset : table.recordOffsets(rows_))
    end = std::max(end, offset + table.layout->recordSize);
  if (end <= size)
    return true;
  fail(QStringLiteral("文件“%1”只有 %2 字节，容纳不下%3（需要到偏移 %4）。\n"
                      "请确认它是 %5。")
           .arg(fileLabel(file))
           .arg(size)
           .arg(table.layout->what, hexOffset(end), gameFileName(table.file)));
  return false;
}

bool Tool::streamOutput(const QString &path, const GameFileRef &gameFile,
                        const std::function<void(QIODevice &)> &write) {
  if (onSameDiskFile(GameFileRef::plain(path), gameFile)) {
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

// Rows are written as they are found; only the ranges no table names wait.
bool Tool::listChanges(GameFile kind, QByteArrayView was, QByteArrayView is, Format format) {
  return listChanges(kind, {{0, was, is}}, format);
}

bool Tool::listChanges(GameFile kind, const std::vector<ChangeSpan> &spans, Format format) {
  RowWriter writer(out_, format, changeHeader(), {kChangeIndexColumn});
  bool fieldsDiffer = false;
  const std::vector<ByteRange> unnamed =
      describeChanges(RecordIndex(kind, rows_), spans, rows_, [&](FieldChange &&change) {
        writer.write(changeRow(change, recordKey(*change.table, change.record)));
        fieldsDiffer = true;
      });
  for (const ByteRange &range : unnamed) {
    const auto span = std::partition_point(spans.begin(), spans.end(), [&](const ChangeSpan &s) {
      return s.start + s.before.size() <= range.start;
    });
    const qint64 from = range.start - span->start;
    const qint64 length = std::min(range.end, span->start + span->before.size()) - range.start;
    writer.write(unnamedRow({range.start, range.start + length}, span->before.sliced(from, length),
                            span->after.sliced(from, length)));
  }
  writer.finish();
  return fieldsDiffer || !unnamed.empty();
}

} // namespace korvane::tool
