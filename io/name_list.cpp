#include "io/name_list.h"

#include "io/gbk_text.h"
#include "io/regular_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <optional>

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

struct SplitItems {
  QStringList items;
  QList<int> lines; // the line (from 1) of each item
};

// The end of the line that starts at `start`, and where the next one starts.
std::pair<qsizetype, qsizetype> lineEndFrom(const QString &text, qsizetype start) {
  for (qsizetype at = start; at < text.size(); ++at) {
    if (text[at] == u'\n')
      return {at, at + 1};
    if (text[at] == u'\r')
      return {at, at + 1 < text.size() && text[at + 1] == u'\n' ? at + 2 : at + 1};
  }
  return {text.size(), text.size()};
}

SplitItems splitWithLines(const QString &text, int count) {
  SplitItems split;
  qsizetype lineStart = 0;
  for (int lineNumber = 1; split.items.size() < count && lineStart < text.size(); ++lineNumber) {
    const auto [lineEnd, nextLine] = lineEndFrom(text, lineStart);
    const QStringView line = QStringView(text).mid(lineStart, lineEnd - lineStart);
    qsizetype pos = 0;
    do {
      QString item;
      pos = readItem(line, pos, item);
      split.items.append(item);
      split.lines.append(lineNumber);
    } while (pos >= 0 && split.items.size() < count);
    lineStart = nextLine;
  }
  return split;
}

bool isAscii(QByteArrayView bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

bool isUtf8(QByteArrayView bytes) {
  QStringDecoder utf8(QStringConverter::Utf8);
  const QString text = utf8.decode(bytes);
  return !utf8.hasError() && !text.contains(QChar::ReplacementCharacter);
}

// GBK text as a list of names is written in the GB2312 rows (Chinese, kana,
// full-width forms: lead and trail bytes 0xA1-0xFE). Valid UTF-8 of any length
// pairs up that way only by chance: its continuation bytes 0x80-0xBF mostly fall
// outside those rows.
bool isPlausibleGbk(QByteArrayView bytes) {
  for (qsizetype at = 0; at < bytes.size(); ++at) {
    const uchar lead = uchar(bytes[at]);
    if (lead < 0x80)
      continue;
    if (lead < 0xA1 || lead > 0xF7 || at + 1 >= bytes.size())
      return false;
    const uchar trail = uchar(bytes[++at]);
    if (trail < 0xA1 || trail > 0xFE)
      return false;
  }
  return true;
}

bool isUnreadable(const QString &item) {
  return std::any_of(item.begin(), item.end(), [](QChar c) {
    return c == QChar::ReplacementCharacter || (c.category() == QChar::Other_Control && c != u'\t');
  });
}

// The lines past which the windows read nothing are not worth a word.
QList<int> unreadableLinesOf(const SplitItems &split) {
  QList<int> lines;
  for (qsizetype i = 0; i < split.items.size(); ++i)
    if (isUnreadable(split.items[i]) && (lines.isEmpty() || lines.last() != split.lines[i]))
      lines.append(split.lines[i]);
  return lines;
}

// "3、7、12" for the first few lines, and how many more there are.
QString lineListText(const QList<int> &lines) {
  constexpr qsizetype kShown = 10;
  QStringList shown;
  for (qsizetype i = 0; i < std::min(lines.size(), kShown); ++i)
    shown << QString::number(lines[i]);
  QString text = shown.join(QStringLiteral("、"));
  if (lines.size() > kShown)
    text += QStringLiteral(" 等 %1 行").arg(lines.size());
  return text;
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
  return splitWithLines(text, count).items;
}

QString decodeNameListText(const QByteArray &bytes, QString *encodingName) {
  std::optional<QStringConverter::Encoding> encoding = QStringConverter::encodingForData(bytes);
  if (!encoding && !isAscii(bytes) && isUtf8(bytes) && !isPlausibleGbk(bytes))
    encoding = QStringConverter::Utf8;
  if (!encoding) {
    if (encodingName)
      *encodingName = QStringLiteral("GBK");
    return decodeGbk(bytes);
  }
  QStringDecoder decoder(*encoding);
  if (encodingName)
    *encodingName = QString::fromLatin1(decoder.name());
  return decoder.decode(bytes);
}

QString missingNamePlaceholder(int row) { return QStringLiteral("（缺名称 %1）").arg(row); }

QString NameListResult::problem() const {
  if (sound())
    return {};
  const QString name = QFileInfo(path).fileName();
  if (complete())
    return QStringLiteral("名称列表“%1”中有无法识别的文字（按 %2 读取），这些名称会显示错误。\n"
                          "路径：%3\n行：%4\n请把它存成 GBK 或 UTF-8 编码。")
        .arg(name, encoding, path, lineListText(unreadableLines));
  const QString head = missing ? QStringLiteral("找不到或无法读取名称列表“%1”。").arg(name)
                               : QStringLiteral("名称列表“%1”不完整。").arg(name);
  const QString why = reason.isEmpty() ? QString() : QStringLiteral("原因：%1。\n").arg(reason);
  const QString unreadable = unreadableLines.isEmpty()
                                 ? QString()
                                 : QStringLiteral("\n有无法识别的文字（按 %1 读取）的行：%2。")
                                       .arg(encoding, lineListText(unreadableLines));
  return QStringLiteral("%1\n路径：%2\n%3找到 %4 项，需要 %5 项。\n缺少的行以编号代替显示。%6")
      .arg(head, path, why)
      .arg(found)
      .arg(wanted)
      .arg(unreadable);
}

NameListResult readNameListFrom(const QString &path, int count) {
  NameListResult result;
  result.path = path;
  result.wanted = count;
  const FileContents contents = readRegularFile(path, kMaxNameListSize, QStringLiteral("名称列表"));
  if (contents.ok()) {
    SplitItems split = splitWithLines(decodeNameListText(contents.bytes, &result.encoding), count);
    result.unreadableLines = unreadableLinesOf(split);
    result.items = std::move(split.items);
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
