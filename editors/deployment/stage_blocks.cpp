#include "editors/deployment/stage_blocks.h"

#include "io/module1.h"

#include <QFileInfo>

namespace korvane {

namespace {

// FilePos is a signed 32-bit position; every record of a block, and the two bytes
// after it, must be addressable by it.
constexpr qint64 kLastAddressable = 0x7FFFFFFE;
constexpr int kLargestRecord = 16;
// Bad lines named one by one in the message; the rest are counted.
constexpr int kNamedLines = 10;

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

StageBlock refused(QString problem) { return StageBlock{0, 0, std::move(problem)}; }

} // namespace

StageBlock parseStageLine(const QString &line, int maxRecordCount) {
  const qsizetype separator = line.indexOf(QChar(kStageLineSeparator));
  if (separator < 0)
    return refused(QStringLiteral("没有全角逗号“，”。"));
  const QStringView offsetText = QStringView(line).left(separator);
  if (!Module1::IsHexDigits(offsetText))
    return refused(QStringLiteral("偏移“%1”不是十六进制数。").arg(offsetText.toString()));
  // Leading zeros do not count; more than eight digits cannot be a stage.bin offset.
  qsizetype significant = 0;
  while (significant < offsetText.size() - 1 && offsetText[significant] == u'0')
    ++significant;
  if (offsetText.size() - significant > 8)
    return refused(QStringLiteral("偏移“%1”太大。").arg(offsetText.toString()));
  const qint64 offset = Module1::ParseHex(offsetText);

  qint64 count = 0;
  for (QChar c : QStringView(line).mid(separator + 1)) {
    if (isBlank(c))
      continue;
    if (c < u'0' || c > u'9')
      break;
    count = count * 10 + (c.unicode() - u'0');
    if (count > maxRecordCount)
      return refused(QStringLiteral("记录数“%1”超过 %2。")
                         .arg(line.mid(separator + 1).trimmed())
                         .arg(maxRecordCount));
  }
  if (offset + kLargestRecord * (count + 1) > kLastAddressable)
    return refused(QStringLiteral("偏移“%1”太大。").arg(offsetText.toString()));
  return StageBlock{offset, int(count), {}};
}

StageBlocks stageBlocksFrom(const NameListResult &offsetLines, int maxRecordCount) {
  StageBlocks result;
  result.path = offsetLines.path;
  result.missing = offsetLines.missing;
  result.linesFound = offsetLines.found;
  result.blocks.reserve(offsetLines.wanted);
  for (int stage = 0; stage < offsetLines.wanted; ++stage) {
    if (stage < offsetLines.found)
      result.blocks.push_back(parseStageLine(offsetLines.items[stage], maxRecordCount));
    else
      result.blocks.push_back(refused(QStringLiteral("缺少这一行。")));
  }
  return result;
}

StageBlocks readStageBlocks(const StageListFiles &lists) {
  return stageBlocksFrom(readNameList(*lists.offsets), lists.maxRecordCount);
}

QString StageBlocks::problem() const {
  const QString name = QFileInfo(path).fileName();
  if (missing)
    return QStringLiteral("找不到或无法读取关卡偏移列表“%1”。\n路径：%2\n所有关卡都不列出单位。")
        .arg(name, path);
  QStringList named;
  int bad = 0;
  for (int stage = 0; stage < linesFound; ++stage) {
    if (blocks[stage].usable())
      continue;
    if (bad++ < kNamedLines)
      named.append(QStringLiteral("第 %1 行：%2").arg(stage + 1).arg(blocks[stage].problem));
  }
  if (bad > kNamedLines)
    named.append(QStringLiteral("……另有 %1 行无法使用。").arg(bad - kNamedLines));
  const int lines = int(blocks.size());
  if (linesFound < lines) {
    bad += lines - linesFound;
    const QString range = linesFound + 1 == lines
                              ? QStringLiteral("第 %1 行").arg(lines)
                              : QStringLiteral("第 %1 到 %2 行").arg(linesFound + 1).arg(lines);
    named.append(QStringLiteral("%1缺失：文件只有 %2 行，需要 %3 行。")
                     .arg(range)
                     .arg(linesFound)
                     .arg(lines));
  }
  if (bad == 0)
    return {};
  return QStringLiteral("关卡偏移列表“%1”中有 %2 行无法使用：\n路径：%3\n%4\n"
                        "这些关卡仍在关卡列表中，但不列出单位。")
      .arg(name)
      .arg(bad)
      .arg(path, named.join(u'\n'));
}

} // namespace korvane
