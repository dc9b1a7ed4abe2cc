#include "editors/units/weapon_record.h"

#include "editors/shared/choice_lists.h"
#include "editors/units/unit_lists.h"
#include "editors/units/unit_record.h"
#include "io/name_list.h"

namespace korvane {

namespace {

ChoiceSource fixed(const QStringList &rows) { return {&rows}; }

// A bonus word shown signed; a negative entry is stored as value + 65536.
Field bonusField(const char *name, int offset, const char *control, const QString &caption) {
  return Field{name, offset, 2, {{control, caption, Encoding::SignedRewrittenOnSave}}};
}

// The high digit is the required skill, the low digit four trait bits, bit 3 being
// the first check box. Text30 shows the byte as it was read.
Field skillAndTraitsField() {
  FieldPart skill{"Combo21", QStringLiteral("必要技能"), Encoding::Choice, 4, 4};
  skill.choices = fixed(RequiredSkills());
  Field field{"SkillAndTraits",
              33,
              1,
              {skill,
               {"Check1_0", QStringLiteral("バリア贯穿"), Encoding::Flag, 3, 1},
               {"Check1_1", QStringLiteral("サイズ補正無視"), Encoding::Flag, 2, 1},
               {"Check1_2", QStringLiteral("接近战属性"), Encoding::Flag, 1, 1},
               {"Check1_3", QStringLiteral("物理属性"), Encoding::Flag, 0, 1}}};
  field.display = "Text30";
  return field;
}

RecordLayout makeWeaponLayout() {
  const ChoiceSource terrain = fixed(TerrainRanks());
  return RecordLayout{
      QStringLiteral("武器数据"),
      kUnitTableOffset + kUnitHeadSize,
      kWeaponSize,
      kWeaponsPerUnit,
      {
          decimalField("Attack", 10, 2, "Text19", QStringLiteral("攻击力")),
          decimalField("RangeMin", 12, 1, "Text20", QStringLiteral("射程（最小）")),
          decimalField("RangeMax", 13, 1, "Text21", QStringLiteral("射程（最大）")),
          bonusField("HitBonus", 14, "Text22", QStringLiteral("命中")),
          bonusField("CritBonus", 16, "Text23", QStringLiteral("必杀")),
          decimalField("Ammo", 18, 1, "Text24", QStringLiteral("弹数")),
          decimalField("EnCost", 19, 1, "Text25", QStringLiteral("EN")),
          decimalField("MoraleNeeded", 20, 1, "Text26", QStringLiteral("气力")),
          choiceField("UpgradeCostType", 21, 1, "Combo12", QStringLiteral("改造类型"),
                      fixed(UpgradeCostTypes())),
          choiceField("TerrainAir", 22, 1, "Combo13", QStringLiteral("空适应"), terrain),
          choiceField("TerrainLand", 23, 1, "Combo14", QStringLiteral("陆适应"), terrain),
          choiceField("TerrainSea", 24, 1, "Combo15", QStringLiteral("海适应"), terrain),
          choiceField("TerrainSpace", 25, 1, "Combo16", QStringLiteral("宇适应"), terrain),
          choiceField("WeaponKind", 26, 1, "Combo17", QStringLiteral("种类"), fixed(WeaponKinds())),
          choiceField("MapShape", 27, 1, "Combo18", QStringLiteral("MAP形状"), fixed(MapShapes())),
          hexField("CenterRange", 28, 1, "Text27", QStringLiteral("中心.方向范围")),
          hexField("TargetRange", 29, 1, "Text28", QStringLiteral("着弹指定范围")),
          choiceField("FriendFoe", 30, 1, "Combo19", QStringLiteral("敌我识别"),
                      fixed(FriendFoeChoices())),
          choiceField("Animation", 31, 1, "Combo23", QStringLiteral("演示动画"),
                      fixed(Animations())),
          choiceField("WeaponEffect", 32, 1, "Combo20", QStringLiteral("特殊效果"),
                      {nullptr, &kEffectNames}),
          skillAndTraitsField(),
          decimalField("SkillLevel1", 34, 1, "Text31", QStringLiteral("技能等级（左）")),
          decimalField("SkillLevel2", 35, 1, "Text32", QStringLiteral("技能等级（右）")),
      }};
}

} // namespace

qint64 weaponOffset(int unitRow, int weaponRow) {
  return kUnitTableOffset + qint64(kUnitRecordSize) * unitRow + kUnitHeadSize +
         qint64(kWeaponSize) * weaponRow;
}

const RecordLayout &weaponLayout() {
  static const RecordLayout layout = makeWeaponLayout();
  return layout;
}

} // namespace korvane
