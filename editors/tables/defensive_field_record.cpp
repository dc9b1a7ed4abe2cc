#include "editors/tables/defensive_field_record.h"

#include "editors/tables/described_fields.h"

namespace korvane {

namespace {

constexpr qint64 kTableOffset = 0x376BE0;
constexpr int kRecordSize = 16;
constexpr int kRecordCount = 25;

RecordLayout makeDefensiveFieldLayout() {
  RecordLayout layout{QStringLiteral("防御力场数据"), kTableOffset, kRecordSize, kRecordCount, {}};
  layout.fields = describedFields({{"EnCost", 0, 1, "Text1", "消费EN"},
                                   {"MoraleNeeded", 2, 1, "Text2", "需要气力"},
                                   {"DamageValue", 6, 2, "Text5", "防御伤害值"},
                                   {"DefenseType", 12, 1, "Combo4", "防御类型", &DefenseTypes}});
  return layout;
}

} // namespace

const RecordLayout &defensiveFieldLayout() {
  static const RecordLayout layout = makeDefensiveFieldLayout();
  return layout;
}

const QStringList &FieldNames() {
  static const QStringList rows{QStringLiteral("ビームコート"),
                                QStringLiteral("Ｉフィールド"),
                                QStringLiteral("Ｉフィールド△"),
                                QStringLiteral("ＡＢフィールド"),
                                QStringLiteral("プロテクトシェード"),
                                QStringLiteral("プロテクトウォール"),
                                QStringLiteral("プロテクトシェード强"),
                                QStringLiteral("ゾンダーバリア"),
                                QStringLiteral("ＰＳ装甲"),
                                QStringLiteral("ＴＰ装甲"),
                                QStringLiteral("耐弾装甲"),
                                QStringLiteral("念動フィールド"),
                                QStringLiteral("超念動フィールド"),
                                QStringLiteral("グラビティ·テリトリー"),
                                QStringLiteral("イデバリア"),
                                QStringLiteral("イナーシャルキャンセラー"),
                                QStringLiteral("ピンポイントバリア"),
                                QStringLiteral("ネッサーバリア"),
                                QStringLiteral("ＡＴフィールド"),
                                QStringLiteral("ＡＴフィールド強"),
                                QStringLiteral("ラミネ-ト装甲"),
                                QStringLiteral("エネルギー偏向装甲"),
                                QStringLiteral("ジェネシックア-マ-"),
                                QStringLiteral("ジェネレイティングアーマ-"),
                                QStringLiteral("ディフレクトフィ-ルド")};
  return rows;
}

const QStringList &DefenseTypes() {
  static const QStringList rows{QStringLiteral("伤害无效"), QStringLiteral("伤害减轻")};
  return rows;
}

} // namespace korvane
