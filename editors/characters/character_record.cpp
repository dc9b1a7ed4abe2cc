#include "editors/characters/character_record.h"

#include "editors/shared/choice_lists.h"
#include "io/name_list.h"

#include <QByteArray>

namespace korvane {

namespace {

constexpr qint64 kTableOffset = 0x29D400;
constexpr int kRecordSize = 184;
constexpr int kSpiritSlotStart = 100;
constexpr int kSpiritSlotSize = 4;
constexpr int kSkillSlotStart = 124;
constexpr int kSkillSlotSize = 10;

QString slotControl(const char *control, int slot) { return arrayElementName(control, slot); }

QString slotField(const char *slotKind, int slot, const QString &field) {
  return QStringLiteral("%1%2.%3").arg(QLatin1String(slotKind)).arg(slot).arg(field);
}

// Captions name the grid row the way the user counts it, from 1.
QString rowCaption(const QString &heading, int slot) {
  return QStringLiteral("%1（第%2行）").arg(heading).arg(slot + 1);
}

void addStatistics(std::vector<Field> &fields) {
  struct Statistic {
    const char *name;
    const char *control;
    const char *caption;
  };
  static constexpr Statistic statistics[] = {
      {"Sp", "Text1", "SP"},        {"Melee", "Text2", "格斗"},     {"Ranged", "Text3", "射击"},
      {"Defense", "Text4", "防御"}, {"Technique", "Text5", "技量"}, {"Evasion", "Text6", "回避"},
      {"Accuracy", "Text7", "命中"}};
  int offset = 72;
  for (const Statistic &statistic : statistics)
    fields.push_back(decimalField(statistic.name, offset++, 1, statistic.control,
                                  QString::fromUtf8(statistic.caption)));
}

void addTerrainRanks(std::vector<Field> &fields) {
  struct Terrain {
    const char *name;
    const char *control;
    const char *caption;
  };
  static constexpr Terrain terrains[] = {{"TerrainAir", "Combo2", "空适应"},
                                         {"TerrainLand", "Combo3", "陆适应"},
                                         {"TerrainSea", "Combo4", "海适应"},
                                         {"TerrainSpace", "Combo5", "宇适应"}};
  int offset = 82;
  for (const Terrain &terrain : terrains)
    fields.push_back(choiceField(terrain.name, offset++, 1, terrain.control,
                                 QString::fromUtf8(terrain.caption), {&TerrainRanks()}));
}

void addSpiritSlot(std::vector<Field> &fields, int slot) {
  const int start = kSpiritSlotStart + kSpiritSlotSize * slot;
  fields.push_back(choiceField(slotField("SpiritSlot", slot, QStringLiteral("SpiritCommand")),
                               start, 1, slotControl("Combo1", slot),
                               rowCaption(QStringLiteral("精神名称"), slot), {&SpiritNames()}));
  fields.push_back(decimalField(slotField("SpiritSlot", slot, QStringLiteral("LearnLevel")),
                                start + 1, 1, slotControl("Text8", slot),
                                rowCaption(QStringLiteral("修得LV"), slot)));
  // "消耗SP" heads two boxes; each holds a byte of its own.
  fields.push_back(decimalField(slotField("SpiritSlot", slot, QStringLiteral("SpCost1")), start + 2,
                                1, slotControl("Text9", slot),
                                rowCaption(QStringLiteral("消耗SP 左格"), slot)));
  fields.push_back(decimalField(slotField("SpiritSlot", slot, QStringLiteral("SpCost2")), start + 3,
                                1, slotControl("Text10", slot),
                                rowCaption(QStringLiteral("消耗SP 右格"), slot)));
}

void addSkillSlot(std::vector<Field> &fields, int slot) {
  const int start = kSkillSlotStart + kSkillSlotSize * slot;
  fields.push_back(choiceField(slotField("SkillSlot", slot, QStringLiteral("SkillId")), start, 1,
                               slotControl("Combo6", slot),
                               rowCaption(QStringLiteral("技能名称"), slot), {&SkillNames()}));
  for (int level = 1; level <= kSkillLevels; ++level) {
    // Text11 holds L1, Text19 holds L9.
    const QByteArray control = "Text" + QByteArray::number(10 + level);
    fields.push_back(
        decimalField(slotField("SkillSlot", slot, QStringLiteral("AcquireLevel%1").arg(level)),
                     start + level, 1, slotControl(control.constData(), slot),
                     rowCaption(QStringLiteral("修得等级 L%1").arg(level), slot)));
  }
}

RecordLayout makeCharacterLayout() {
  RecordLayout layout{QStringLiteral("人物数据"), kTableOffset, kRecordSize, kPilotNames.count, {}};
  std::vector<Field> &fields = layout.fields;
  fields.push_back(choiceField("PilotCode", 0, 2, "Combo7", QStringLiteral("机师代码"),
                               {nullptr, &kPilotNames}));
  addStatistics(fields);
  addTerrainRanks(fields);
  fields.push_back(hexField("SideCode", 86, 1, "Text20", QStringLiteral("敌我判定")));
  for (int slot = 0; slot < kSpiritSlots; ++slot)
    addSpiritSlot(fields, slot);
  for (int slot = 0; slot < kSkillSlots; ++slot)
    addSkillSlot(fields, slot);
  return layout;
}

} // namespace

const RecordLayout &characterLayout() {
  static const RecordLayout layout = makeCharacterLayout();
  return layout;
}

} // namespace korvane
