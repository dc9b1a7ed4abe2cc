#include "editors/catalog/table_catalog.h"

#include "editors/characters/character_record.h"
#include "editors/deployment/deployment_record.h"
#include "editors/shared/choice_lists.h"
#include "editors/shared/sections.h"
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

#include <algorithm>

namespace korvane {

namespace {

// Records one after another from the table's offset.
std::vector<qint64> consecutiveRecords(const RecordLayout &layout) {
  std::vector<qint64> offsets(size_t(layout.recordCount));
  for (int row = 0; row < layout.recordCount; ++row)
    offsets[size_t(row)] = layout.recordOffset(row);
  return offsets;
}

CatalogTable listedTable(const char *key, Section section, const RecordLayout &layout,
                         std::function<QString(int, ListRows &)> name) {
  return {QString::fromLatin1(key),
          sectionText(section),
          GameFile::Exe,
          &layout,
          [&layout](ListRows &) { return consecutiveRecords(layout); },
          std::move(name)};
}

CatalogTable namedByList(const char *key, Section section, const RecordLayout &layout,
                         const NameListFile &names) {
  return listedTable(key, section, layout,
                     [&names](int row, ListRows &rows) { return rows.nameList(names).value(row); });
}

// A window that shows one whole area: its one record is named by the section.
CatalogTable wholeArea(const char *key, Section section, const RecordLayout &layout) {
  return listedTable(key, section, layout,
                     [section](int, ListRows &) { return sectionText(section); });
}

CatalogTable namedByRows(const char *key, Section section, const RecordLayout &layout,
                         const QStringList &names) {
  return listedTable(key, section, layout,
                     [&names](int row, ListRows &) { return names.value(row); });
}

CatalogTable weaponTable() {
  const RecordLayout &layout = weaponLayout();
  return {QStringLiteral("weapons"),
          sectionText(Section::Units),
          GameFile::Exe,
          &layout,
          [](ListRows &) {
            std::vector<qint64> offsets;
            offsets.reserve(size_t(kUnitCount) * kWeaponsPerUnit);
            for (int unit = 0; unit < kUnitCount; ++unit)
              for (int weapon = 0; weapon < kWeaponsPerUnit; ++weapon)
                offsets.push_back(weaponOffset(unit, weapon));
            return offsets;
          },
          [](int index, ListRows &rows) {
            return QStringLiteral("%1 / 武器%2")
                .arg(rows.nameList(kUnitNames).value(index / kWeaponsPerUnit))
                .arg(index % kWeaponsPerUnit + 1);
          }};
}

// The blocks the stage lists give, in list order; a bad line has no records.
std::vector<StageBlock> stageBlocks(const DeploymentKind &kind, ListRows &rows) {
  return stageBlocksFrom(rows.read(*kind.lists->offsets), kind.lists->maxRecordCount).blocks;
}

// Every record of every stage, stage after stage; named by the stage and the
// record's row in the window's record list ("机体3").
CatalogTable deploymentTable(const char *key, Section section, const DeploymentKind &kind) {
  return {QString::fromLatin1(key),
          sectionText(section),
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
          }};
}

std::vector<CatalogTable> makeCatalog() {
  std::vector<CatalogTable> tables;
  tables.push_back(namedByList("units", Section::Units, unitHeadLayout(), kUnitNames));
  tables.push_back(weaponTable());
  tables.push_back(namedByList("characters", Section::Characters, characterLayout(), kPilotNames));
  tables.push_back(namedByRows("parts", Section::Parts, partLayout(), PartNames()));
  tables.push_back(
      namedByRows("fields", Section::DefensiveFields, defensiveFieldLayout(), FieldNames()));
  tables.push_back(
      namedByList("leaders", Section::LeaderAbilities, leaderAbilityLayout(), kPilotNames));
  tables.push_back(namedByRows("profiles", Section::ProtagonistSpirits, protagonistSpiritLayout(),
                               BirthProfiles()));
  static const QStringList trainedSkills = trainedSkillNames();
  tables.push_back(
      namedByRows("training", Section::SkillTraining, skillTrainingLayout(), trainedSkills));
  tables.push_back(wholeArea("correction", Section::SkillCorrection, skillCorrectionLayout()));
  tables.push_back(listedTable("potential", Section::PotentialCorrection,
                               potentialCorrectionLayout(),
                               [](int row, ListRows &) { return growthLevelName(row); }));
  tables.push_back(wholeArea("upgrades", Section::Upgrades, upgradeSettingsLayout()));
  tables.push_back(wholeArea("settings", Section::SystemSettings, systemSettingsLayout()));
  tables.push_back(deploymentTable("enemies", Section::EnemyDeployment, enemyDeployment()));
  tables.push_back(deploymentTable("allies", Section::AllyDeployment, allyDeployment()));
  return tables;
}

bool overlapsChange(const std::vector<ByteRange> &changed, qint64 start, qint64 end) {
  const auto after =
      std::lower_bound(changed.begin(), changed.end(), start,
                       [](const ByteRange &range, qint64 offset) { return range.end <= offset; });
  return after != changed.end() && after->start < end;
}

// `changed` less every range of `named`; both sorted, `named` possibly overlapping.
std::vector<ByteRange> withoutNamed(const std::vector<ByteRange> &changed,
                                    std::vector<ByteRange> named) {
  std::sort(named.begin(), named.end(),
            [](const ByteRange &a, const ByteRange &b) { return a.start < b.start; });
  std::vector<ByteRange> left;
  size_t next = 0;
  for (ByteRange range : changed) {
    while (next < named.size() && named[next].end <= range.start)
      ++next;
    for (size_t i = next; i < named.size() && named[i].start < range.end; ++i) {
      if (named[i].start > range.start)
        left.push_back({range.start, named[i].start});
      range.start = std::max(range.start, named[i].end);
    }
    if (range.start < range.end)
      left.push_back(range);
  }
  return left;
}

} // namespace

QString gameFileName(GameFile file) {
  return file == GameFile::Exe ? QStringLiteral("SLPS_255.37") : QStringLiteral("stage.bin");
}

const std::vector<CatalogTable> &tableCatalog() {
  static const std::vector<CatalogTable> tables = makeCatalog();
  return tables;
}

const CatalogTable *findTable(const QString &key) {
  for (const CatalogTable &table : tableCatalog())
    if (table.key == key)
      return &table;
  return nullptr;
}

std::vector<ByteRange> changedRanges(qint64 base, QByteArrayView before, QByteArrayView after) {
  std::vector<ByteRange> ranges;
  const qsizetype length = std::min(before.size(), after.size());
  const char *a = before.data();
  const char *b = after.data();
  qsizetype i = 0;
  while (i < length) {
    // Equal stretches are skipped a block at a time.
    constexpr qsizetype kBlock = 64;
    if (i + kBlock <= length && std::equal(a + i, a + i + kBlock, b + i)) {
      i += kBlock;
      continue;
    }
    if (a[i] == b[i]) {
      ++i;
      continue;
    }
    const qsizetype start = i;
    while (i < length && a[i] != b[i])
      ++i;
    if (!ranges.empty() && ranges.back().end == base + start)
      ranges.back().end = base + i;
    else
      ranges.push_back({base + start, base + i});
  }
  return ranges;
}

ChangeList describeChanges(GameFile file, qint64 base, QByteArrayView before, QByteArrayView after,
                           ListRows &rows) {
  ChangeList result;
  const std::vector<ByteRange> changed = changedRanges(base, before, after);
  if (changed.empty())
    return result;
  const qint64 spanEnd = base + std::min(before.size(), after.size());
  std::vector<ByteRange> named;
  for (const CatalogTable &table : tableCatalog()) {
    if (table.file != file)
      continue;
    const std::vector<qint64> offsets = table.recordOffsets(rows);
    for (size_t index = 0; index < offsets.size(); ++index) {
      const qint64 recordStart = offsets[index];
      if (!overlapsChange(changed, recordStart, recordStart + table.layout->recordSize))
        continue;
      QString recordName;
      for (const Field &field : table.layout->fields) {
        const qint64 start = recordStart + field.offset;
        if (start < base || start + field.width > spanEnd ||
            !overlapsChange(changed, start, start + field.width))
          continue;
        named.push_back({start, start + field.width});
        const quint32 old = littleEndianAt(before.sliced(start - base), field.width);
        const quint32 now = littleEndianAt(after.sliced(start - base), field.width);
        for (const FieldPart &part : field.parts) {
          QString oldText = partValueText(part, field, old, rows);
          QString newText = partValueText(part, field, now, rows);
          if (oldText == newText)
            continue;
          if (recordName.isNull())
            recordName = table.recordName(int(index), rows);
          result.fields.push_back({&table, int(index), recordName, &field, &part, start,
                                   std::move(oldText), std::move(newText)});
        }
      }
    }
  }
  result.unnamed = withoutNamed(changed, std::move(named));
  return result;
}

} // namespace korvane
