#include "editors/catalog/registration.h"

#include "editors/catalog/table_catalog.h"
#include "editors/characters/character_record.h"
#include "editors/deployment/deployment_record.h"
#include "editors/shared/choice_lists.h"
#include "editors/tables/defensive_field_record.h"
#include "editors/tables/growth_levels.h"
#include "editors/tables/leader_ability_record.h"
#include "editors/tables/part_record.h"
#include "editors/tables/potential_correction_record.h"
#include "editors/tables/protagonist_spirit_record.h"
#include "editors/tables/skill_correction_record.h"
#include "editors/tables/skill_training_record.h"
#include "editors/tables/system_settings_record.h"
#include "editors/tables/upgrade_record.h"
#include "editors/units/unit_record.h"
#include "editors/units/weapon_record.h"

#include <QtGlobal>

namespace korvane {

namespace {

// Records one after another from the table's offset.
std::vector<qint64> consecutiveRecords(const RecordLayout &layout) {
  std::vector<qint64> offsets(size_t(layout.recordCount));
  for (int row = 0; row < layout.recordCount; ++row)
    offsets[size_t(row)] = layout.recordOffset(row);
  return offsets;
}

// The section text is filled in from the registration line the table stands on.
CatalogTable listedTable(const char *key, const RecordLayout &layout,
                         std::function<QString(int, ListRows &)> name) {
  return {QString::fromLatin1(key),
          QString(),
          GameFile::Exe,
          &layout,
          [&layout](ListRows &) { return consecutiveRecords(layout); },
          std::move(name),
          {}};
}

CatalogTable namedByList(const char *key, const RecordLayout &layout, const NameListFile &names) {
  return listedTable(key, layout,
                     [&names](int row, ListRows &rows) { return rows.nameList(names).value(row); });
}

// A window that shows one whole area: its one record is named by its section.
CatalogTable wholeArea(const char *key, const RecordLayout &layout) {
  const QString tableKey = QString::fromLatin1(key);
  return listedTable(key, layout,
                     [tableKey](int, ListRows &) { return findTable(tableKey)->section; });
}

CatalogTable namedByRows(const char *key, const RecordLayout &layout, const QStringList &names) {
  return listedTable(key, layout, [&names](int row, ListRows &) { return names.value(row); });
}

// Every unit's weapons, unit after unit.
std::vector<qint64> weaponOffsets(ListRows &) {
  std::vector<qint64> offsets;
  offsets.reserve(size_t(kUnitCount) * kWeaponsPerUnit);
  for (int unit = 0; unit < kUnitCount; ++unit)
    for (int weapon = 0; weapon < kWeaponsPerUnit; ++weapon)
      offsets.push_back(weaponOffset(unit, weapon));
  return offsets;
}

CatalogTable weaponTable() {
  CatalogTable table = listedTable("weapons", weaponLayout(), [](int index, ListRows &rows) {
    return QStringLiteral("%1 / 武器%2")
        .arg(rows.nameList(kUnitNames).value(index / kWeaponsPerUnit))
        .arg(index % kWeaponsPerUnit + 1);
  });
  table.recordOffsets = weaponOffsets;
  return table;
}

// The blocks the stage lists give, in list order; a bad line has no records.
StageBlocks stageList(const DeploymentKind &kind, ListRows &rows) {
  return stageBlocksFrom(rows.read(*kind.lists->offsets), kind.lists->maxRecordCount);
}
std::vector<StageBlock> stageBlocks(const DeploymentKind &kind, ListRows &rows) {
  return stageList(kind, rows).blocks;
}

StagePlacement placementOf(const DeploymentKind &kind, ListRows &rows) {
  const StageBlocks list = stageList(kind, rows);
  StagePlacement placement;
  for (size_t stage = 0; stage < list.blocks.size(); ++stage)
    for (int record = 0; list.blocks[stage].usable() && record < list.blocks[stage].count; ++record)
      placement.records.push_back({int(stage), record + 1});
  if (!list.missing)
    placement.problem = list.problem();
  return placement;
}

// Every record of every stage, stage after stage; named by the stage and the
// record's row in the window's record list ("机体3").
CatalogTable deploymentTable(const char *key, const DeploymentKind &kind) {
  return {QString::fromLatin1(key),
          QString(),
          GameFile::Stage,
          &kind.layout(),
          [&kind](ListRows &rows) {
            std::vector<qint64> offsets;
            for (const StageBlock &block : stageBlocks(kind, rows))
              for (int record = 0; block.usable() && record < block.count; ++record)
                offsets.push_back(deploymentRecordOffset(kind.layout(), block.offset, record));
            return offsets;
          },
          [&kind](int index, ListRows &rows) {
            const std::vector<StageBlock> blocks = stageBlocks(kind, rows);
            for (size_t stage = 0; stage < blocks.size(); ++stage) {
              const int count = blocks[stage].usable() ? blocks[stage].count : 0;
              if (index < count)
                return QStringLiteral("%1 / 机体%2")
                    .arg(rows.nameList(*kind.lists->names).value(int(stage)))
                    .arg(index + 1);
              index -= count;
            }
            return QString();
          },
          [&kind](ListRows &rows) { return placementOf(kind, rows); }};
}

// One section of the main window: its text and the tables its window edits, in
// the order the catalog lists them.
struct SectionRegistration {
  Section section;
  QString text;
  std::vector<CatalogTable> tables;
};

// Every section, one line each, in row order. A new table adds its line here and
// its window to app/editor_catalog.cpp.
std::vector<SectionRegistration> registrations() {
  static const QStringList trainedSkills = trainedSkillNames();
  return {
      {Section::Units,
       QStringLiteral("机体&武器"),
       {namedByList("units", unitHeadLayout(), kUnitNames), weaponTable()}},
      {Section::Characters,
       QStringLiteral("人物"),
       {namedByList("characters", characterLayout(), kPilotNames)}},
      {Section::Parts,
       QStringLiteral("强化部件"),
       {namedByRows("parts", partLayout(), PartNames())}},
      {Section::DefensiveFields,
       QStringLiteral("防御力场"),
       {namedByRows("fields", defensiveFieldLayout(), FieldNames())}},
      {Section::LeaderAbilities,
       QStringLiteral("小队长能力变更"),
       {namedByList("leaders", leaderAbilityLayout(), kPilotNames)}},
      {Section::ProtagonistSpirits,
       QStringLiteral("主角精神"),
       {namedByRows("profiles", protagonistSpiritLayout(), BirthProfiles())}},
      {Section::SkillTraining,
       QStringLiteral("机师特技养成"),
       {namedByRows("training", skillTrainingLayout(), trainedSkills)}},
      {Section::SkillCorrection,
       QStringLiteral("机师特技补正"),
       {wholeArea("correction", skillCorrectionLayout())}},
      {Section::PotentialCorrection,
       QStringLiteral("底力补正"),
       {listedTable("potential", potentialCorrectionLayout(),
                    [](int row, ListRows &) { return growthLevelName(row); })}},
      {Section::Upgrades,
       QStringLiteral("改造相关"),
       {wholeArea("upgrades", upgradeSettingsLayout())}},
      {Section::SystemSettings,
       QStringLiteral("系统相关"),
       {wholeArea("settings", systemSettingsLayout())}},
      {Section::EnemyDeployment,
       QStringLiteral("敌军配置"),
       {deploymentTable("enemies", enemyDeployment())}},
      {Section::AllyDeployment,
       QStringLiteral("我方配置"),
       {deploymentTable("allies", allyDeployment())}},
  };
}

// The registration, checked once: every section on its own row, in enum order,
// with at least one table. A line missing or out of place stops the program
// at its first use, in every build.
const std::vector<SectionRegistration> &registeredSections() {
  static const std::vector<SectionRegistration> sections = [] {
    std::vector<SectionRegistration> listed = registrations();
    for (int row = 0; row < kSectionCount; ++row)
      if (size_t(row) >= listed.size() || listed[size_t(row)].section != Section(row) ||
          listed[size_t(row)].tables.empty())
        qFatal("The table registration has no line with tables for section %d at its row", row);
    if (listed.size() != size_t(kSectionCount))
      qFatal("The table registration lists %d sections; there are %d", int(listed.size()),
             kSectionCount);
    for (SectionRegistration &section : listed)
      for (CatalogTable &table : section.tables)
        table.section = section.text;
    return listed;
  }();
  return sections;
}

} // namespace

std::optional<Section> sectionAtRow(int row) {
  if (row < 0 || row >= kSectionCount)
    return std::nullopt;
  return Section(row);
}

const QStringList &sectionTexts() {
  static const QStringList texts = [] {
    QStringList listed;
    for (const SectionRegistration &section : registeredSections())
      listed.append(section.text);
    return listed;
  }();
  return texts;
}

QString sectionText(Section section) { return sectionTexts()[sectionRow(section)]; }

const std::vector<CatalogTable> &tableCatalog() {
  static const std::vector<CatalogTable> tables = [] {
    std::vector<CatalogTable> listed;
    for (const SectionRegistration &section : registeredSections())
      listed.insert(listed.end(), section.tables.begin(), section.tables.end());
    return listed;
  }();
  return tables;
}

} // namespace korvane
