#include "io/name_list.h"

#include "io/gbk_text.h"
#include "io/regular_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace korvane {

namespace {

QString &dataDirOverride() {
  static QString dir;
  return dir;
}

// The longest list holds some hundreds of short names; far more is no name list.
constexpr qint64 kMaxNameListSize = 4 * 1024 * 1024;

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

// Reads one item starting at `pos` of `line`; returns the position after its
// delimiter, or -1 when the item ended with the line.
qsizetype readItem(QStringView line, qsizetype pos, QString &item) {
  while (pos < line.size() && isBlank(line[pos]))
    ++pos;
  if (pos < line.size() && line[pos] == u'"') {
    const qsizetype close = line.indexOf(u'"', pos + 1);
    const qsizetype end = close < 0 ? line.size() : close;
    item = line.mid(pos + 1, end - pos - 1).toString();
    const qsizetype comma = close < 0 ? -1 : line.indexOf(u',', close + 1);
    return comma < 0 ? -1 : comma + 1;
  }
  const qsizetype comma = line.indexOf(u',', pos);
  item = line.mid(pos, (comma < 0 ? line.size() : comma) - pos).toString();
  return comma < 0 ? -1 : comma + 1;
}

} // namespace

QString DataDir() {
  if (!dataDirOverride().isEmpty())
    return dataDirOverride();
  return QCoreApplication::applicationDirPath();
}

void setDataDirOverride(const QString &dir) { dataDirOverride() = dir; }

QString dataFilePath(const char *fileName) {
  return QDir::toNativeSeparators(DataDir() + u'/' + QString::fromLatin1(fileName));
}

QStringList splitNameItems(const QString &text, int count) {
  QStringList items;
  qsizetype lineStart = 0;
  while (items.size() < count && lineStart < text.size()) {
    qsizetype lineEnd = text.indexOf(u'\n', lineStart);
    if (lineEnd < 0)
      lineEnd = text.size();
    QStringView line = QStringView(text).mid(lineStart, lineEnd - lineStart);
    if (line.endsWith(u'\r'))
      line.chop(1);
    qsizetype pos = 0;
    do {
      QString item;
      pos = readItem(line, pos, item);
      items.append(item);
    } while (pos >= 0 && items.size() < count);
    lineStart = lineEnd + 1;
  }
  return items;
}

QString missingNamePlaceholder(int row) { return QStringLiteral("（缺名称 %1）").arg(row); }

QString NameListResult::problem() const {
  if (complete())
    return {};
  const QString name = QFileInfo(path).fileName();
  const QString head = missing ? QStringLiteral("找不到或无法读取名称列表“%1”。").arg(name)
                               : QStringLiteral("名称列表“%1”不完整。").arg(name);
  const QString why = reason.isEmpty() ? QString() : QStringLiteral("原因：%1。\n").arg(reason);
  return QStringLiteral("%1\n路径：%2\n%3找到 %4 项，需要 %5 项。\n缺少的行以编号代替显示。")
      .arg(head, path, why)
      .arg(found)
      .arg(wanted);
}

NameListResult readNameListFrom(const QString &path, int count) {
  NameListResult result;
  result.path = path;
  result.wanted = count;
  const FileContents contents = readRegularFile(path, kMaxNameListSize, QStringLiteral("名称列表"));
  if (contents.ok()) {
    result.items = splitNameItems(decodeGbk(contents.bytes), count);
  } else {
    result.missing = true;
    result.reason = contents.reason;
  }
  result.found = int(result.items.size());
  for (int row = result.found; row < count; ++row)
    result.items.append(missingNamePlaceholder(row));
  return result;
}

NameListResult readNameList(const NameListFile &list) {
  return readNameListFrom(dataFilePath(list.fileName), list.count);
}

} // namespace korvane
