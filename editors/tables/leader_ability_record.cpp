#include "editors/tables/leader_ability_record.h"

#include "editors/tables/described_fields.h"
#include "io/name_list.h"

namespace korvane {

namespace {

constexpr qint64 kTableOffset = 0x3792F0;
constexpr int kEntrySize = 2;

RecordLayout makeLeaderAbilityLayout() {
  RecordLayout layout{
      QStringLiteral("小队长能力数据"), kTableOffset, kEntrySize, kPilotNames.count, {}};
  layout.fields =
      describedFields({{"Ability1", 0, 1, "Combo1_0", "小队长能力1", &LeaderAbilityNames},
                       {"Ability2", 1, 1, "Combo1_1", "小队长能力2", &LeaderAbilityNames}});
  return layout;
}

} // namespace

const RecordLayout &leaderAbilityLayout() {
  static const RecordLayout layout = makeLeaderAbilityLayout();
  return layout;
}

const QStringList &LeaderAbilityNames() {
  static const QStringList rows{QStringLiteral("----"),
                                QStringLiteral("经验値＋２０％"),
                                QStringLiteral("获得资金＋２０％"),
                                QStringLiteral("地图兵器及和射程１以外武器射程＋１"),
                                QStringLiteral("小队移动力＋１"),
                                QStringLiteral("武器消費ＥＮ－１０％"),
                                QStringLiteral("武器消費ＥＮ－２０％"),
                                QStringLiteral("命中率＋１０％"),
                                QStringLiteral("命中率＋２０％"),
                                QStringLiteral("命中率＋３０％"),
                                QStringLiteral("命中率＋４０％"),
                                QStringLiteral("回避率＋１０％"),
                                QStringLiteral("回避率＋２０％"),
                                QStringLiteral("援护攻撃力＋２０％"),
                                QStringLiteral("格斗攻撃力＋１０％"),
                                QStringLiteral("格斗攻撃力＋２０％"),
                                QStringLiteral("格斗攻撃力＋４０％"),
                                QStringLiteral("自军回合攻击力＋２０％"),
                                QStringLiteral("小队攻击力＋１０％"),
                                QStringLiteral("小队攻击力＋２０％"),
                                QStringLiteral("小队攻击力＋３０％"),
                                QStringLiteral("小队攻击力＋４０％"),
                                QStringLiteral("攻击力＋１０％"),
                                QStringLiteral("攻击力＋２０％"),
                                QStringLiteral("攻击力＋４０％"),
                                QStringLiteral("攻击力＋５０％"),
                                QStringLiteral("对ゾンダー攻击力＋２０％"),
                                QStringLiteral("对ハ虫人類攻击力＋２０％"),
                                QStringLiteral("对宇宙怪獣攻击力＋２０％"),
                                QStringLiteral("对男性攻击力＋２０％,对女性攻撃力－２０％"),
                                QStringLiteral("遊星主攻击力＋２０％"),
                                QStringLiteral("遊星主攻击力＋４０％"),
                                QStringLiteral("反撃時の攻击力＋１０％"),
                                QStringLiteral("反撃時の攻击力＋２０％"),
                                QStringLiteral("援护防御伤害－１０％"),
                                QStringLiteral("援护防御時伤害－２０％"),
                                QStringLiteral("援护防御時伤害－３０％"),
                                QStringLiteral("伤害－１０％"),
                                QStringLiteral("伤害－２０％"),
                                QStringLiteral("ビーム兵器伤害－２０％"),
                                QStringLiteral("援护クリティカル率＋２０％"),
                                QStringLiteral("クリティカル率＋１０％"),
                                QStringLiteral("クリティカル率＋２０％"),
                                QStringLiteral("クリティカル率＋３０％"),
                                QStringLiteral("クリティカル率＋４０％"),
                                QStringLiteral("小队全机地形适应「空」Ａ"),
                                QStringLiteral("小队全机地形适应「陸」Ａ"),
                                QStringLiteral("小队全机地形适应「海」Ａ"),
                                QStringLiteral("小队全机地形适应「空陸海」Ａ"),
                                QStringLiteral("ＨＰ.ＥＮ回复量＋５０％"),
                                QStringLiteral("ＨＰ.ＥＮ回复量＋１００％"),
                                QStringLiteral("防御技能发动率１．５倍"),
                                QStringLiteral("切り払发动率＋１０％"),
                                QStringLiteral("切り払发动率＋２０％"),
                                QStringLiteral("シールド防御发动率＋４０％"),
                                QStringLiteral("ＡＴフィールド效果１．２倍"),
                                QStringLiteral("マインド系特殊效果武器无效"),
                                QStringLiteral("パイロット系特殊效果武器无效"),
                                QStringLiteral("全部特殊效果武器无效"),
                                QStringLiteral("小队全员『気力＋ダメージ』"),
                                QStringLiteral("小队全员『戦意高揚』"),
                                QStringLiteral("小队全员『気力＋回避』"),
                                QStringLiteral("小队全员『サイズ差補正無視』")};
  return rows;
}

} // namespace korvane
