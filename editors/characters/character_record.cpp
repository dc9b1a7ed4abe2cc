#include "editors/characters/character_record.h"

#include "editors/shared/choice_lists.h"
#include "editors/shared/spirit_slot.h"
#include "io/name_list.h"

#include <QByteArray>

namespace korvane {

namespace {

constexpr qint64 kTableOffset = 0x29D400;
constexpr int kRecordSize = 184;
constexpr int kSpiritSlotStart = 100;
constexpr int kSkillSlotStart = 124;
constexpr int kSkillSlotSize = 10;

QString slotControl(const char *control, int slot) { return arrayElementName(control, slot); }

QString slotField(const char *slotKind, int slot, const QString &field) {
  return QStringLiteral("%1%2.%3").arg(QLatin1String(slotKind)).arg(slot).arg(field);
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

void addSkillSlot(std::vector<Field> &fields, int slot) {
  const int start = kSkillSlotStart + kSkillSlotSize * slot;
  fields.push_back(choiceField(slotField("SkillSlot", slot, QStringLiteral("SkillId")), start, 1,
                               slotControl("Combo6", slot),
                               gridRowCaption(QStringLiteral("技能名称"), slot), {&SkillNames()}));
  for (int level = 1; level <= kSkillLevels; ++level) {
    // Text11 holds L1, Text19 holds L9.
    const QByteArray control = "Text" + QByteArray::number(10 + level);
    fields.push_back(
        decimalField(slotField("SkillSlot", slot, QStringLiteral("AcquireLevel%1").arg(level)),
                     start + level, 1, slotControl(control.constData(), slot),
                     gridRowCaption(QStringLiteral("修得等级 L%1").arg(level), slot)));
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
  const SpiritSlotControls spiritControls{"Combo1", "Text8", "Text9", "Text10",
                                          QStringLiteral("修得LV")};
  for (int slot = 0; slot < kSpiritSlots; ++slot)
    addSpiritSlotFields(fields, kSpiritSlotStart + kSpiritSlotSize * slot, slot, spiritControls);
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
