#include "editors/tables/upgrade_record.h"

namespace korvane {

namespace {

constexpr qint64 kAreaOffset = 0x379E20;
constexpr int kAreaSize = 694;
constexpr int kCostWidth = 4;
constexpr int kGainWidth = 2;
// The attack gains follow four bytes that no box shows.
constexpr int kGainStart = kUpgradeCostColumns * kUpgradeSteps * kCostWidth + 4;

struct Column {
  const char *name;    // in the field names ("UpgradeCosts.Mobility.L3")
  const char *heading; // over the column
};

constexpr Column kCostColumns[kUpgradeCostColumns] = {
    {"HP", "HP"},       {"EN", "EN"},       {"Mobility", "运动性"},
    {"Armor", "装甲"},  {"Type1", "类型1"}, {"Type2", "类型2"},
    {"Type3", "类型3"}, {"Type4", "类型4"}, {"Type5", "类型5"}};
constexpr Column kGainColumns[kAttackGainColumns] = {{"Type1", "类型1"},
                                                     {"Type2", "类型2"},
                                                     {"Type3", "类型3"},
                                                     {"Type4", "类型4"},
                                                     {"Type5", "类型5"}};

const Column &columnAt(int column) {
  return column < kUpgradeCostColumns ? kCostColumns[column]
                                      : kGainColumns[column - kUpgradeCostColumns];
}

// One block of columns; `box` counts the grid's boxes across both blocks.
void addBlock(std::vector<Field> &fields, const char *part, int firstColumn, int columns, int start,
              int width, Encoding encoding, int &box) {
  for (int c = 0; c < columns; ++c) {
    const int column = firstColumn + c;
    for (int step = 0; step < kUpgradeSteps; ++step, ++box) {
      const QString caption = QStringLiteral("%1 %2 %3")
                                  .arg(upgradeBlockCaption(column), upgradeColumnHeading(column),
                                       upgradeStepLabel(step));
      const QString name = QStringLiteral("%1.%2.L%3")
                               .arg(QLatin1String(part), QLatin1String(columnAt(column).name))
                               .arg(step + 1);
      const int offset = start + (kUpgradeSteps * c + step) * width;
      fields.push_back(
          Field{name, offset, width, {{arrayElementName("Text1", box), caption, encoding}}});
    }
  }
}

RecordLayout makeUpgradeSettingsLayout() {
  RecordLayout layout{QStringLiteral("改造资金和武器攻击力数据"), kAreaOffset, kAreaSize, 1, {}};
  int box = 0;
  // Money: signed 32-bit numbers; attack gains: unsigned words.
  addBlock(layout.fields, "UpgradeCosts", 0, kUpgradeCostColumns, 0, kCostWidth,
           Encoding::SignedDecimal, box);
  addBlock(layout.fields, "WeaponAttackGains", kUpgradeCostColumns, kAttackGainColumns, kGainStart,
           kGainWidth, Encoding::Decimal, box);
  return layout;
}

} // namespace

const RecordLayout &upgradeSettingsLayout() {
  static const RecordLayout layout = makeUpgradeSettingsLayout();
  return layout;
}

QString upgradeColumnHeading(int column) { return QString::fromUtf8(columnAt(column).heading); }

QString upgradeBlockCaption(int column) {
  return column < kUpgradeCostColumns ? QStringLiteral("消耗资金")
                                      : QStringLiteral("武器增加攻击力");
}

QString upgradeStepLabel(int step) { return QStringLiteral("L%1").arg(step + 1); }

} // namespace korvane
