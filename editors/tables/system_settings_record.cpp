#include "editors/tables/system_settings_record.h"

namespace korvane {

namespace {

constexpr qint64 kFirstSetting = 0xA3F84;
constexpr qint64 kAfterLastSetting = 0x37B262;

int relative(qint64 fileOffset) { return int(fileOffset - kFirstSetting); }

struct Single {
  const char *name;
  qint64 fileOffset;
  const char *caption;
};

constexpr Single kSingles[kSingleSettings] = {
    {"SoulMultiplier", 0xA3F84, "魂倍率"},         {"PassionMultiplier", 0xA3FA0, "热血倍率"},
    {"MoraleLimit", 0xBE7B4, "气力界限"},          {"WeaponLimit", 0xC86B8, "武器界限"},
    {"SpiritMoraleGain", 0xCE5B0, "气合增加气力"}, {"EncourageMoraleGain", 0xCE610, "激励增加气力"},
    {"WeakenMoraleLoss", 0xCE660, "脱力减少气力"}, {"LoveMoraleGain", 0xCE6B8, "爱增加气力"},
    {"CourageMoraleGain", 0xCE748, "勇气增加气力"}};

constexpr int kWeakenMoraleLoss = 6;

QStringList texts(std::initializer_list<const char *> items) {
  QStringList list;
  for (const char *item : items)
    list.append(QString::fromUtf8(item));
  return list;
}

// The terrain ranks S to D; the weapon and unit runs hold one word for each.
QStringList terrainColumns() { return texts({"S", "A", "B", "C", "D"}); }

std::vector<SettingsRun> makeRuns() {
  const QStringList ranks = terrainColumns();
  const int weaponTerrain = kSingleSettings;
  const int allWeapon = weaponTerrain + int(ranks.size());
  const int unitTerrain = allWeapon + 8;
  return {
      {QStringLiteral("武器地形补正"), {}, ranks, weaponTerrain},
      {QStringLiteral("All武器补正"),
       {QStringLiteral("正常攻击"), QStringLiteral("集束攻击")},
       {QStringLiteral("1人"), QStringLiteral("2人"), QStringLiteral("3人"), QStringLiteral("4人")},
       allWeapon},
      {QStringLiteral("机体地形补正"), {}, ranks, unitTerrain}};
}

// The run's words back to back from `fileOffset`, named and captioned by row and column.
void addRun(std::vector<Field> &fields, const SettingsRun &run, const char *name,
            const QStringList &rowNames, const QStringList &columnNames, qint64 fileOffset) {
  const qsizetype rows = qMax<qsizetype>(1, run.rows.size());
  for (qsizetype row = 0; row < rows; ++row)
    for (qsizetype column = 0; column < run.columns.size(); ++column) {
      const int index = int(fields.size());
      QString fieldName = QLatin1String(name) + u'.';
      QString caption = run.heading + u' ';
      if (!run.rows.isEmpty()) {
        fieldName += rowNames[row] + u'.';
        caption += run.rows[row] + u' ';
      }
      fieldName += columnNames[column];
      caption += run.columns[column];
      const int offset = relative(fileOffset) + 2 * int(row * run.columns.size() + column);
      fields.push_back(
          decimalField(fieldName, offset, 2, QStringLiteral("Text%1").arg(index + 1), caption));
    }
}

RecordLayout makeSystemSettingsLayout() {
  RecordLayout layout{
      QStringLiteral("系统设定数据"), kFirstSetting, int(kAfterLastSetting - kFirstSetting), 1, {}};
  std::vector<Field> &fields = layout.fields;
  for (int i = 0; i < kSingleSettings; ++i) {
    const Single &single = kSingles[i];
    const QString control = QStringLiteral("Text%1").arg(i + 1);
    const QString caption = QString::fromUtf8(single.caption);
    const int offset = relative(single.fileOffset);
    if (i < kMultiplierSettings)
      fields.push_back(hexField(single.name, offset, 4, control, caption));
    else
      fields.push_back(decimalField(single.name, offset, 2, control, caption));
  }
  // Shown signed; a negative entry is stored as its value + 65536, which the box
  // then shows.
  fields[kWeakenMoraleLoss].parts[0].encoding = Encoding::SignedRewrittenOnSave;

  const std::vector<SettingsRun> &runs = systemSettingsRuns();
  const QStringList ranks = terrainColumns();
  const QStringList members = texts({"One", "Two", "Three", "Four"});
  addRun(fields, runs[kWeaponTerrainRun], "WeaponTerrainCorrection", {}, ranks, 0x376B88);
  addRun(fields, runs[kAllWeaponRun], "AllWeaponCorrection", texts({"Normal", "Focused"}), members,
         0x376D70);
  addRun(fields, runs[kUnitTerrainRun], "UnitTerrainCorrection", {}, ranks, 0x37B258);
  return layout;
}

} // namespace

const std::vector<SettingsRun> &systemSettingsRuns() {
  static const std::vector<SettingsRun> runs = makeRuns();
  return runs;
}

const RecordLayout &systemSettingsLayout() {
  static const RecordLayout layout = makeSystemSettingsLayout();
  return layout;
}

} // namespace korvane
