#include "editors/catalog/change_text.h"

#include "io/disc_image.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace korvane {

namespace {

constexpr int kShownBytes = 16;  // of a long unnamed range
constexpr int kShownRecords = 3; // in a headline

QString hexBytes(QByteArrayView bytes) {
  QString text = QString::fromLatin1(
      bytes.first(std::min<qsizetype>(bytes.size(), kShownBytes)).toByteArray().toHex().toUpper());
  if (bytes.size() > kShownBytes)
    text += QStringLiteral("…");
  return text;
}

QString offsetText(qint64 offset) {
  return QStringLiteral("0x") + QString::number(offset, 16).toUpper();
}

std::vector<ChangeSpan> spanList(const ChangeSpans &spans) {
  std::vector<ChangeSpan> list;
  list.reserve(spans.size());
  for (const ChangeSpan &span : spans)
    list.push_back(span);
  return list;
}

// A changed range lies within one span: the bytes between spans never change.
QString unnamedLine(const ByteRange &range, const std::vector<ChangeSpan> &spans) {
  const ChangeSpan &span = *std::prev(std::upper_bound(
      spans.begin(), spans.end(), range.start,
      [](qint64 at, const ChangeSpan &candidate) { return at < candidate.start; }));
  const qint64 length = range.end - range.start;
  const QByteArrayView was = span.before.sliced(range.start - span.start, length);
  const QByteArrayView now = span.after.sliced(range.start - span.start, length);
  const QString where =
      length == 1
          ? QStringLiteral("偏移 %1").arg(offsetText(range.start))
          : QStringLiteral("偏移 %1–%2").arg(offsetText(range.start), offsetText(range.end - 1));
  return QStringLiteral("%1: %2 → %3").arg(where, hexBytes(was), hexBytes(now));
}

QString recordNameOf(const CatalogTable &table, int index, ListRows &rows) {
  const QString name = table.recordName(index, rows);
  return name.isEmpty() ? QStringLiteral("%1 第%2项").arg(table.layout->what).arg(index) : name;
}

SpanText describeWith(const RecordIndex *index, const ChangeSpans &spans, ListRows &rows) {
  SpanText text;
  const std::vector<ChangeSpan> list = spanList(spans);
  std::vector<ByteRange> unnamed;
  if (index) {
    QSet<QString> named;
    unnamed = describeChanges(*index, list, rows, [&](FieldChange &&change) {
      const QString record = change.recordName.isEmpty()
                                 ? recordNameOf(*change.table, change.record, rows)
                                 : change.recordName;
      if (!named.contains(record)) {
        named.insert(record);
        text.records.append(record);
      }
      text.lines.append(QStringLiteral("%1 / %2: %3 → %4")
                            .arg(record, changeCaption(change), change.before, change.after));
    });
  } else {
    for (const ChangeSpan &span : list)
      for (const ByteRange &range : changedRanges(span.start, span.before, span.after))
        unnamed.push_back(range);
  }
  for (const ByteRange &range : unnamed)
    text.lines.append(unnamedLine(range, list));
  return text;
}

QString headlineText(const ChangeEntry &entry, const QStringList &firstRecords,
                     qsizetype recordCount) {
  QStringList parts{
      QStringLiteral("#%1").arg(entry.id),
      QDateTime::fromMSecsSinceEpoch(entry.msecs).toString(QStringLiteral("HH:mm:ss"))};
  if (!entry.window.isEmpty())
    parts.append(entry.window);
  QString action = entry.action.isEmpty() ? QStringLiteral("写入") : entry.action;
  if (entry.reverts)
    action += QStringLiteral(" #%1").arg(entry.reverts);
  parts.append(action);
  parts.append(entry.location.folderAndName());
  if (recordCount > 0) {
    QString records = firstRecords.mid(0, kShownRecords).join(QStringLiteral("、"));
    if (recordCount > kShownRecords)
      records += QStringLiteral(" 等 %1 项").arg(recordCount);
    parts.append(records);
  }
  return parts.join(QStringLiteral("  "));
}

} // namespace

ChangeDescriber::ChangeDescriber(QString namesDir) : rows_(std::move(namesDir)) {}

const RecordIndex &ChangeDescriber::indexOf(GameFile file) {
  std::optional<RecordIndex> &index = file == GameFile::Exe ? exeIndex_ : stageIndex_;
  if (!index)
    index.emplace(file, rows_);
  return *index;
}

SpanText ChangeDescriber::describe(std::optional<GameFile> file, const ChangeSpans &spans) {
  return describeWith(file ? &indexOf(*file) : nullptr, spans, rows_);
}

// Only the records the headline shows are named.
QString ChangeDescriber::headline(const ChangeEntry &entry) {
  QStringList first;
  qsizetype count = 0;
  if (entry.file)
    changedRecords(indexOf(*entry.file), spanList(entry.spans), rows_,
                   [&](const CatalogTable &table, int index) {
                     if (count++ < kShownRecords)
                       first.append(recordNameOf(table, index, rows_));
                   });
  return headlineText(entry, first, count);
}

SpanText describeSpans(std::optional<GameFile> file, const ChangeSpans &spans, ListRows &rows) {
  if (!file)
    return describeWith(nullptr, spans, rows);
  const RecordIndex index(*file, rows);
  return describeWith(&index, spans, rows);
}

QString entryName(const ChangeEntry &entry) {
  const QString action = entry.action.isEmpty() ? QStringLiteral("写入") : entry.action;
  QString name = QStringLiteral("第%1条“%2”").arg(entry.id).arg(action);
  if (!entry.window.isEmpty())
    name += QStringLiteral("（%1）").arg(entry.window);
  return name;
}

QString entryHeadline(const ChangeEntry &entry, const SpanText &text) {
  return headlineText(entry, text.records, text.records.size());
}

} // namespace korvane
