#include "editors/deployment/deployment_record.h"

#include "editors/shared/choice_lists.h"
#include "io/name_list.h"

namespace korvane {

namespace {

ChoiceSource named(const NameListFile &list) { return ChoiceSource{nullptr, &list}; }

// The ally lists end with a row that stands for 65535.
ChoiceSource namedOrNone(const NameListFile &list, const QString &noneRow) {
  return ChoiceSource{nullptr, &list, kNoneCode, noneRow};
}

QString emptySlotRow() { return QStringLiteral("空位:------"); }
QString noPilotRow() { return QStringLiteral("无人:------"); }

// Upgrade steps: the high digit is the weapon's, the low digit the unit's.
Field upgradeNibbles() {
  return Field{"UpgradeNibbles",
               7,
               1,
               {{"Text3", QStringLiteral("武器改造段数"), Encoding::Decimal, 4, 4},
                {"Text4", QStringLiteral("机体改造段数"), Encoding::Decimal, 0, 4}}};
}

RecordLayout makeEnemyLayout() {
  return RecordLayout{
      QStringLiteral("敌军配置记录"),
      0,
      kEnemyRecordSize,
      0,
      {decimalField("AppearOrder", 0, 2, "Text1", QStringLiteral("出场次序")),
       decimalField("SquadNo", 2, 2, "Text2", QStringLiteral("小队编号")),
       choiceField("UnitCode", 4, 2, "Combo1", QStringLiteral("机体"), named(kUnitNames)),
       upgradeNibbles(),
       choiceField("PilotCode", 8, 2, "Combo2", QStringLiteral("机师"), named(kPilotNames)),
       decimalField("PilotLevel", 10, 2, "Text5_0", QStringLiteral("机师LV")),
       decimalField("PilotKills", 12, 2, "Text5_1", QStringLiteral("机师击坠数")),
       choiceField("ChipCode", 14, 1, "Combo3", QStringLiteral("强化芯片"), {&ChipNames()})}};
}

RecordLayout makeAllyLayout() {
  return RecordLayout{QStringLiteral("我方配置记录"),
                      0,
                      kAllyRecordSize,
                      0,
                      {choiceField("UnitCode", 0, 2, "Combo1", QStringLiteral("机体"),
                                   namedOrNone(kUnitNames, emptySlotRow())),
                       decimalField("WeaponSteps", 2, 1, "Text3", QStringLiteral("武器改造段数")),
                       decimalField("UnitSteps", 3, 1, "Text4", QStringLiteral("机体改造段数")),
                       choiceField("PilotCode", 4, 2, "Combo2", QStringLiteral("机师"),
                                   namedOrNone(kPilotNames, noPilotRow())),
                       decimalField("PilotLevel", 6, 2, "Text5_0", QStringLiteral("机师LV")),
                       decimalField("PilotKills", 8, 2, "Text5_1", QStringLiteral("机师击坠数")),
                       decimalField("PilotPP", 10, 2, "Text5_2", QStringLiteral("机师PP")),
                       hexField("JoinFlag", 12, 1, "Text1", QStringLiteral("过关加入"))}};
}

} // namespace

const RecordLayout &enemyRecordLayout() {
  static const RecordLayout layout = makeEnemyLayout();
  return layout;
}

const RecordLayout &allyRecordLayout() {
  static const RecordLayout layout = makeAllyLayout();
  return layout;
}

const QStringList &ChipNames() {
  static const QStringList rows = QStringList{QStringLiteral("------")} + PartNames();
  return rows;
}

const DeploymentKind &enemyDeployment() {
  static const DeploymentKind kind{&kEnemyStageLists, &enemyRecordLayout, {}, {}};
  return kind;
}

const DeploymentKind &allyDeployment() {
  static const DeploymentKind kind{&kAllyStageLists, &allyRecordLayout, emptySlotRow(),
                                   noPilotRow()};
  return kind;
}

qint64 deploymentRecordOffset(const RecordLayout &layout, qint64 blockOffset, int index) {
  return blockOffset + qint64(layout.recordSize) * index;
}

size_t deploymentFieldIndex(const RecordLayout &layout, const QString &name) {
  for (size_t i = 0; i < layout.fields.size(); ++i)
    if (layout.fields[i].name == name)
      return i;
  throw DescriptionMismatch(
      QStringLiteral("the description of %1 has no field %2").arg(layout.what, name).toStdString());
}

bool marksNextSlotEmpty(quint32 oldUnitCode, quint32 savedPilotCode, int index, int count) {
  return oldUnitCode == kNoneCode && savedPilotCode != kNoneCode && index + 1 < count;
}

} // namespace korvane
