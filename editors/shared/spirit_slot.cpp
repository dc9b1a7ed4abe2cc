#include "editors/shared/spirit_slot.h"

#include "editors/shared/choice_lists.h"

namespace korvane {

namespace {

QString slotField(int slot, const char *field) {
  return QStringLiteral("SpiritSlot%1.%2").arg(slot).arg(QLatin1String(field));
}

} // namespace

QString gridRowCaption(const QString &heading, int row) {
  return QStringLiteral("%1（第%2行）").arg(heading).arg(row + 1);
}

void addSpiritSlotFields(std::vector<Field> &fields, int start, int slot,
                         const SpiritSlotControls &controls) {
  fields.push_back(choiceField(slotField(slot, "SpiritCommand"), start, 1,
                               arrayElementName(controls.command, slot),
                               gridRowCaption(QStringLiteral("精神名称"), slot), {&SpiritNames()}));
  fields.push_back(decimalField(slotField(slot, "LearnLevel"), start + 1, 1,
                                arrayElementName(controls.learnLevel, slot),
                                gridRowCaption(controls.learnLevelHeading, slot)));
  // "消耗SP" heads two boxes; each holds a byte of its own.
  fields.push_back(decimalField(slotField(slot, "SpCost1"), start + 2, 1,
                                arrayElementName(controls.spCost1, slot),
                                gridRowCaption(QStringLiteral("消耗SP 左格"), slot)));
  fields.push_back(decimalField(slotField(slot, "SpCost2"), start + 3, 1,
                                arrayElementName(controls.spCost2, slot),
                                gridRowCaption(QStringLiteral("消耗SP 右格"), slot)));
}

} // namespace korvane
