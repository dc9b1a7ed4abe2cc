#include "editors/catalog/change_text.h"

#include "editors/shared/game_paths.h"

#include <QDateTime>
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

QString unnamedLine(const ByteRange &range, qint64 base, const QByteArray &before,
                    const QByteArray &after) {
  const qint64 length = range.end - range.start;
  const QByteArrayView was = QByteArrayView(before).sliced(range.start - base, length);
  const QByteArrayView now = QByteArrayView(after).sliced(range.start - base, length);
  const QString where =
      length == 1
          ? QStringLiteral("偏移 %1").arg(offsetText(range.start))
          : QStringLiteral("偏移 %1–%2").arg(offsetText(range.start), offsetText(range.end - 1));
  return QStringLiteral("%1: %2 → %3").arg(where, hexBytes(was), hexBytes(now));
}

} // namespace

std::optional<GameFile> gameFileOf(const QString &path) {
  if (path.isEmpty())
    return std::nullopt;
  if (path == gamePaths().ExePath)
    return GameFile::Exe;
  if (path == gamePaths().StagePath)
    return GameFile::Stage;
  const QString name = QFileInfo(path).fileName();
  for (GameFile file : {GameFile::Exe, GameFile::Stage})
    if (name.compare(gameFileName(file), Qt::CaseInsensitive) == 0)
      return file;
  return std::nullopt;
}

SpanText describeSpans(const QString &path, const std::vector<ChangeSpan> &spans, ListRows &rows) {
  SpanText text;
  if (spans.empty())
    return text;
  // The spans laid into one stretch; the bytes between them are the same before
  // and after, so no field there counts as changed.
  const qint64 base = spans.front().start;
  const qint64 length = spans.back().start + spans.back().before.size() - base;
  QByteArray before(length, '\0');
  QByteArray after(length, '\0');
  for (const ChangeSpan &span : spans) {
    std::copy(span.before.begin(), span.before.end(), before.begin() + (span.start - base));
    std::copy(span.after.begin(), span.after.end(), after.begin() + (span.start - base));
  }

  ChangeList changes;
  if (const std::optional<GameFile> file = gameFileOf(path))
    changes = describeChanges(*file, base, before, after, rows);
  else
    changes.unnamed = changedRanges(base, before, after);

  for (const FieldChange &change : changes.fields) {
    QString record = change.recordName;
    if (record.isEmpty())
      record = QStringLiteral("%1 第%2项").arg(change.table->layout->what).arg(change.record);
    if (!text.records.contains(record))
      text.records.append(record);
    text.lines.append(QStringLiteral("%1 / %2: %3 → %4")
                          .arg(record, change.part->caption, change.before, change.after));
  }
  for (const ByteRange &range : changes.unnamed)
    text.lines.append(unnamedLine(range, base, before, after));
  return text;
}

QString entryName(const ChangeEntry &entry) {
  const QString action = entry.action.isEmpty() ? QStringLiteral("写入") : entry.action;
  QString name = QStringLiteral("第%1条“%2”").arg(entry.id).arg(action);
  if (!entry.window.isEmpty())
    name += QStringLiteral("（%1）").arg(entry.window);
  return name;
}

QString entryHeadline(const ChangeEntry &entry, const SpanText &text) {
  QStringList parts{
      QStringLiteral("#%1").arg(entry.id),
      QDateTime::fromMSecsSinceEpoch(entry.msecs).toString(QStringLiteral("HH:mm:ss"))};
  if (!entry.window.isEmpty())
    parts.append(entry.window);
  QString action = entry.action.isEmpty() ? QStringLiteral("写入") : entry.action;
  if (entry.reverts)
    action += QStringLiteral(" #%1").arg(entry.reverts);
  parts.append(action);
  parts.append(QFileInfo(entry.path).fileName());
  if (!text.records.isEmpty()) {
    QString records = text.records.mid(0, kShownRecords).join(QStringLiteral("、"));
    if (text.records.size() > kShownRecords)
      records += QStringLiteral(" 等 %1 项").arg(text.records.size());
    parts.append(records);
  }
  return parts.join(QStringLiteral("  "));
}

} // namespace korvane
