#include "editors/tables/part_record.h"

#include "editors/tables/described_fields.h"

namespace korvane {

namespace {

constexpr qint64 kTableOffset = 0x29CC84;
constexpr int kRecordSize = 36;
constexpr int kRecordCount = 53;

RecordLayout makePartLayout() {
  // Text1 is a control array with the indexes 0-11, 14 and 18 only.
  RecordLayout layout{QStringLiteral("强化部件数据"), kTableOffset, kRecordSize, kRecordCount, {}};
  layout.fields =
      describedFields({{"Move", 4, 2, "Text1_0", "移動力"},
                       {"Hp", 6, 2, "Text1_1", "HP"},
                       {"En", 8, 2, "Text1_2", "EN"},
                       {"Armor", 10, 2, "Text1_3", "装甲"},
                       {"Mobility", 12, 1, "Text1_4", "運動性"},
                       {"HitRate", 13, 1, "Text1_5", "命中率%"},
                       {"CritRate", 14, 1, "Text1_6", "必杀率%"},
                       {"Range", 15, 1, "Text1_7", "射程"},
                       {"AfterImage", 16, 1, "Text1_8", "分身 1"},
                       {"HpRegen", 17, 1, "Text1_9", "HP回复%"},
                       {"EnRegen", 18, 1, "Text1_10", "EN回复%"},
                       {"AirMove", 19, 1, "Text1_11", "空移动 1"},
                       {"TerrainCode", 20, 1, "Combo1", "地形适应", &PartTerrainCodes},
                       {"GrantedSkill", 21, 1, "Combo2", "特技装备", &PartGrantedSkills},
                       {"Morale", 22, 1, "Text1_14", "气力"},
                       {"RecoveryItem", 23, 1, "Combo3", "回复道具", &PartRecoveryItems},
                       {"SpecialEffect", 24, 1, "Combo4", "特殊效果", &PartSpecialEffects},
                       {"SpRecovery", 25, 1, "Combo5", "SP回复", &PartSpRecoveries},
                       {"FormationMinus", 26, 1, "Text1_18", "编成-"}});
  return layout;
}

} // namespace

const RecordLayout &partLayout() {
  static const RecordLayout layout = makePartLayout();
  return layout;
}

const QStringList &PartTerrainCodes() {
  static const QStringList rows{QStringLiteral("------"),
                                QStringLiteral("01-空A"),
                                QStringLiteral("------"),
                                QStringLiteral("------"),
                                QStringLiteral("04-宇S"),
                                QStringLiteral("05-陆A\\移动类型陆"),
                                QStringLiteral("06-水A\\移动类型水"),
                                QStringLiteral("07-全地形A"),
                                QStringLiteral("08-全地形S")};
  return rows;
}

const QStringList &PartGrantedSkills() {
  static const QStringList rows{QStringLiteral("------"), QStringLiteral("01-対ビームコーティング"),
                                QStringLiteral("02-Ｉフィールドバリア"),
                                QStringLiteral("03-グラビティ?テリトリー")};
  return rows;
}

const QStringList &PartRecoveryItems() {
  static const QStringList rows{QStringLiteral("------"), QStringLiteral("01-ファンの花束"),
                                QStringLiteral("02-ミンメイのディスク"),
                                QStringLiteral("03-バサラのディスク"),
                                QStringLiteral("04-戦技マニュアル")};
  return rows;
}

const QStringList &PartSpecialEffects() {
  static const QStringList rows{QStringLiteral("------"), QStringLiteral("01-プロペラントタンク"),
                                QStringLiteral("02-カートリッジ"),
                                QStringLiteral("03-リペアキット"),
                                QStringLiteral("04-スーパーリペアキット")};
  return rows;
}

const QStringList &PartSpRecoveries() {
  static const QStringList rows{QStringLiteral("------"), QStringLiteral("01-ＯＶＡのコロッケ"),
                                QStringLiteral("02-アンドロメダ焼き"),
                                QStringLiteral("03-勝利の鍵"),
                                QStringLiteral("04-カットナライザー")};
  return rows;
}

} // namespace korvane
