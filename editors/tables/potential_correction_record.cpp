#include "editors/tables/potential_correction_record.h"

#include "editors/tables/growth_levels.h"

namespace korvane {

namespace {

constexpr qint64 kTableOffset = 0x37AF68;
constexpr int kRecordSize = 40;

RecordLayout makeLayout() {
  RecordLayout layout{QStringLiteral("底力补正数据"), kTableOffset, kRecordSize, kGrowthLevels, {}};
  static constexpr const char *fieldNames[] = {"HitCorrection", "EvasionCorrection",
                                               "ArmorCorrection", "CritCorrection"};
  const QStringList &columns = PotentialColumns();
  for (int band = 0; band < kHpBands; ++band)
    for (int byte = 0; byte < int(columns.size()); ++byte) {
      const int box = int(columns.size()) * band + byte;
      layout.fields.push_back(decimalField(
          QStringLiteral("%1.%2").arg(HpBands()[band], QLatin1String(fieldNames[byte])), box, 1,
          arrayElementName("Text1", box),
          QStringLiteral("%1 %2").arg(HpBands()[band], columns[byte])));
    }
  return layout;
}

} // namespace

const QStringList &HpBands() {
  static const QStringList rows = [] {
    QStringList bands;
    for (int band = 0; band < kHpBands; ++band)
      bands << QStringLiteral("HP%1%").arg(100 - 10 * band);
    return bands;
  }();
  return rows;
}

const QStringList &PotentialColumns() {
  static const QStringList columns{QStringLiteral("命中補正"), QStringLiteral("回避補正"),
                                   QStringLiteral("装甲補正"), QStringLiteral("必杀補正")};
  return columns;
}

const RecordLayout &potentialCorrectionLayout() {
  static const RecordLayout layout = makeLayout();
  return layout;
}

} // namespace korvane
