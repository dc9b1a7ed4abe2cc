#include "editors/tables/skill_correction_record.h"

#include "editors/tables/growth_levels.h"

namespace korvane {

namespace {

constexpr qint64 kAreaOffset = 0x37B0D4;
constexpr int kAreaSize = 212;

std::vector<CorrectionBlock> makeBlocks() {
  const QString hit = QStringLiteral("命中");
  const QString evasion = QStringLiteral("回避");
  const QString range = QStringLiteral("射程");
  const QString crit = QStringLiteral("必杀");
  const QString armor = QStringLiteral("装甲");
  const struct {
    QString name;
    QStringList columns;
    int areaOffset;
  } blocks[] = {{QStringLiteral("ニュータイプ"), {hit, evasion, range, {}}, 0},
                {QStringLiteral("強化人間"), {hit, evasion, range, {}}, 48},
                {QStringLiteral("念動力"), {hit, evasion}, 94},
                {QStringLiteral("超能力"), {hit, evasion, crit, {}}, 128},
                {QStringLiteral("勇者"), {hit, evasion, crit, armor}, 176}};
  std::vector<CorrectionBlock> result;
  int firstBox = 0;
  for (const auto &block : blocks) {
    const int entrySize = int(block.columns.size());
    result.push_back({block.name, block.columns, block.areaOffset, entrySize, firstBox});
    firstBox += kGrowthLevels * entrySize;
  }
  return result;
}

// Field names in the game's own terms, by entry byte.
const char *byteFieldName(const QString &column) {
  if (column == QStringLiteral("命中"))
    return "HitCorrection";
  if (column == QStringLiteral("回避"))
    return "EvasionCorrection";
  if (column == QStringLiteral("射程"))
    return "RangeCorrection";
  if (column == QStringLiteral("必杀"))
    return "CritCorrection";
  if (column == QStringLiteral("装甲"))
    return "ArmorCorrection";
  return "Byte3";
}

RecordLayout makeLayout() {
  RecordLayout layout{QStringLiteral("特技补正数据"), kAreaOffset, kAreaSize, 1, {}};
  for (const CorrectionBlock &block : correctionBlocks())
    for (int level = 0; level < kGrowthLevels; ++level)
      for (int byte = 0; byte < block.entrySize; ++byte) {
        const QString &column = block.columns[byte];
        const QString place = column.isEmpty() ? QStringLiteral("第%1格").arg(byte + 1) : column;
        const int box = block.firstBox + block.entrySize * level + byte;
        layout.fields.push_back(decimalField(
            QStringLiteral("%1.%2.%3")
                .arg(block.name, growthLevelName(level), QLatin1String(byteFieldName(column))),
            block.areaOffset + block.entrySize * level + byte, 1, arrayElementName("Text1", box),
            QStringLiteral("%1 %2 %3").arg(block.name, growthLevelName(level), place)));
      }
  return layout;
}

} // namespace

const std::vector<CorrectionBlock> &correctionBlocks() {
  static const std::vector<CorrectionBlock> blocks = makeBlocks();
  return blocks;
}

const RecordLayout &skillCorrectionLayout() {
  static const RecordLayout layout = makeLayout();
  return layout;
}

} // namespace korvane
