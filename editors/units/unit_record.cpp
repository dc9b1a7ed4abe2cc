#include "editors/units/unit_record.h"

#include "editors/shared/choice_lists.h"
#include "editors/units/unit_lists.h"
#include "io/name_list.h"

namespace korvane {

namespace {

ChoiceSource fixed(const QStringList &rows) { return {&rows}; }

// The frame "改造幅度": four ranges packed into one word; bits 27 to 31 belong to
// no range and are written as 0.
Field upgradeRangeField() {
  Field field{"UpgradeRange", 32, 4, {}};
  field.parts = {
      {"Text33", QStringLiteral("HP(1023)"), Encoding::Decimal, 0, 10, 1, 1023},
      {"Text15", QStringLiteral("EN(31)"), Encoding::Decimal, 10, 5, 1, 31},
      {"Text14", QStringLiteral("运动性(15)"), Encoding::Decimal, 15, 4, 1, 15},
      {"Text13", QStringLiteral("装甲(255)"), Encoding::Decimal, 19, 8, 1, 255},
  };
  field.display = "Text12";
  field.displayShowsWritten = true;
  return field;
}

// Bits 0 to 3 are the four rows of the equipment list; bits 4 to 7 are written as 0.
Field equipmentField() {
  FieldPart rows{"List2", QStringLiteral("机体装备"), Encoding::FlagRows, 0, 4};
  rows.choices = fixed(EquipmentFlags());
  return Field{"Equipment", 54, 1, {rows}};
}

// Row 0 of the ability list is bit 15, row 15 is bit 0.
Field abilitiesField() {
  FieldPart rows{"List3", QStringLiteral("机体能力"), Encoding::FlagRowsReversed, 0, 16};
  rows.choices = fixed(AbilityFlags());
  return Field{"Abilities", 56, 2, {rows}};
}

RecordLayout makeUnitHeadLayout() {
  const ChoiceSource terrain = fixed(TerrainRanks());
  return RecordLayout{
      QStringLiteral("机体数据"),
      kUnitTableOffset,
      kUnitRecordSize,
      kUnitCount,
      {
          choiceField("UnitCode", 0, 2, "Combo22", QStringLiteral("机体代码"),
                      {nullptr, &kUnitNames}),
          hexField("NamePointer", 4, 2, "Text34", QStringLiteral("名称指针")),
          signedField("Hp", 8, 4, "Text1", QStringLiteral("HP")),
          decimalField("En", 12, 2, "Text2", QStringLiteral("EN")),
          decimalField("Move", 14, 2, "Text3", QStringLiteral("移动力")),
          decimalField("Mobility", 16, 2, "Text4", QStringLiteral("运动性")),
          decimalField("Armor", 18, 2, "Text5", QStringLiteral("装甲")),
          choiceField("Size", 20, 1, "Combo1", QStringLiteral("大小"), fixed(UnitSizes())),
          decimalField("FormationSpace1", 21, 1, "Text6", QStringLiteral("編成占位（左）")),
          decimalField("FormationSpace2", 22, 1, "Text7", QStringLiteral("編成占位（右）")),
          decimalField("RepairCost", 24, 2, "Text8", QStringLiteral("修理费")),
          decimalField("KillMoney", 26, 2, "Text9", QStringLiteral("击坠资金")),
          decimalField("KillExp", 28, 2, "Text10", QStringLiteral("击坠经验")),
          decimalField("KillPp", 30, 2, "Text11", QStringLiteral("击坠PP")),
          upgradeRangeField(),
          decimalField("PartSlots", kPartSlotsOffset, 1, "Text16", QStringLiteral("强化芯片")),
          choiceField("MoveType", 38, 1, "Combo2", QStringLiteral("移动类型"), fixed(MoveTypes())),
          choiceField("TerrainAir", 39, 1, "Combo3", QStringLiteral("空适应"), terrain),
          choiceField("TerrainLand", 40, 1, "Combo4", QStringLiteral("陆适应"), terrain),
          choiceField("TerrainSea", 41, 1, "Combo5", QStringLiteral("海适应"), terrain),
          choiceField("TerrainSpace", 42, 1, "Combo6", QStringLiteral("宇适应"), terrain),
          choiceField("DefenseField1", 44, 1, "Combo7", QStringLiteral("防御力场1"),
                      fixed(FieldChoices())),
          choiceField("DefenseField2", 45, 1, "Combo8", QStringLiteral("防御力场2"),
                      fixed(FieldChoices())),
          choiceField("StatusDefense", 52, 1, "Combo9", QStringLiteral("状态防御"),
                      fixed(StatusDefenses())),
          equipmentField(),
          abilitiesField(),
          choiceField("UnitSkill", 58, 1, "Combo10", QStringLiteral("特技"), fixed(UnitSkills())),
          hexField("Side", 60, 1, "Text17", QStringLiteral("敌我判定")),
          choiceField("TransferType", 61, 1, "Combo11", QStringLiteral("乘换类型"),
                      fixed(TransferTypes())),
      }};
}

} // namespace

const RecordLayout &unitHeadLayout() {
  static const RecordLayout layout = makeUnitHeadLayout();
  return layout;
}

} // namespace korvane
