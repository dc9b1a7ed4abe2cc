#include "tools/sample_data.h"

#include "io/gbk_text.h"

#include <QChar>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QtEndian>

#include <initializer_list>
#include <random>

namespace korvane::samples {
namespace {

// Separate streams, so that the stage lists can be made without stage.bin
// and a change to one file leaves the other as it was.
constexpr quint32 kExeSeed = 0x4B4F5256;
constexpr quint32 kStageSeed = 0x53544147;
constexpr quint32 kLayoutSeed = 0x4C41594F;

// Rows of the fixed choice lists of the editor windows; a stored code is a row.
constexpr int kUnitSizes = 6;
constexpr int kMoveTypes = 9;
constexpr int kTerrainRanks = 6;
constexpr int kFieldChoices = 26; // "---" and the 25 defensive fields
constexpr int kStatusDefenses = 9;
constexpr int kUnitSkills = 3;
constexpr int kTransferTypes = 14;
constexpr int kUpgradeCostTypes = 5;
constexpr int kWeaponKinds = 11;
constexpr int kMapShapes = 5;
constexpr int kFriendFoeChoices = 3;
constexpr int kAnimations = 57;
constexpr int kRequiredSkills = 4;
constexpr int kSpiritNames = 36;
constexpr int kSkillNames = 41;
constexpr int kPartTerrainCodes = 9;
constexpr int kPartGrantedSkills = 4;
constexpr int kPartItemChoices = 5; // recovery item, special effect and SP recovery lists
constexpr int kDefenseTypes = 2;
constexpr int kLeaderAbilities = 63;
constexpr int kChips = 54;

// An ally slot without a unit or without a pilot.
constexpr int kNoneWord = 0xFFFF;

struct Table {
  qint64 offset;
  int recordSize;
  int count;
};
constexpr Table kPartTable{0x29CC84, 36, 53};
constexpr Table kCharacterTable{0x29D400, 184, kPilotCount};
constexpr Table kUnitTable{0x2BE710, 732, kUnitCount};
constexpr Table kSkillTrainingTable{0x35464C, 48, 40};
constexpr Table kProtagonistSpiritTable{0x355240, 24, 196};
constexpr Table kDefensiveFieldTable{0x376BE0, 16, 25};
constexpr Table kLeaderAbilityTable{0x3792F0, 2, kPilotCount};
constexpr Table kPotentialCorrectionTable{0x37AF68, 40, 9};
constexpr qint64 kUpgradeSettingsArea = 0x379E20;
constexpr qint64 kSkillCorrectionArea = 0x37B0D4;

constexpr int kUnitHeadSize = 84;
constexpr int kWeaponSize = 36;
constexpr int kWeaponsPerUnit = 18;
constexpr int kSpiritSlots = 6;
constexpr int kSkillSlots = 6;
constexpr int kUpgradeSteps = 15;

constexpr int kEnemyRecordSize = 16;
constexpr int kAllyRecordSize = 14;
constexpr int kMaxStageRecords = 20;
// Always present, so that the windows meet a stage without records.
constexpr int kEmptyEnemyStage = 3;
constexpr int kEmptyAllyStage = 5;
// Blocks start past the file's first bytes, so that an offset of 0 read by
// mistake shows up.
constexpr qint64 kFirstStageBlock = 0x800;
constexpr qint64 kStageFileAlignment = 0x800;

class Random {
public:
  explicit Random(quint32 seed) : engine_(seed) {}

  // Modulo rather than std::uniform_int_distribution, whose results differ
  // between standard libraries: the sample files must be the same everywhere.
  int between(int low, int high) { return low + int(engine_() % quint32(high - low + 1)); }
  int below(int rows) { return between(0, rows - 1); }
  bool percent(int chance) { return below(100) < chance; }
  int pick(std::initializer_list<int> values) { return values.begin()[below(int(values.size()))]; }

  void fill(QByteArray &bytes) {
    char *data = bytes.data();
    qsizetype i = 0;
    for (; i + 4 <= bytes.size(); i += 4)
      qToLittleEndian(quint32(engine_()), data + i);
    for (; i < bytes.size(); ++i)
      data[i] = char(engine_());
  }

private:
  std::mt19937 engine_;
};

// Little-endian writes at offsets from the start of one record.
class Record {
public:
  Record(QByteArray &file, qint64 start) : data_(file.data() + start) {
    Q_ASSERT(start >= 0 && start < file.size());
  }
  Record at(int offset) const { return Record(data_ + offset); }

  void setByte(int offset, int value) const { data_[offset] = char(value); }
  // Negative values land as their two's complement, as signed fields want.
  void setWord(int offset, int value) const { qToLittleEndian(quint16(value), data_ + offset); }
  void setDword(int offset, qint64 value) const { qToLittleEndian(quint32(value), data_ + offset); }
  void setWords(int offset, std::initializer_list<int> values) const {
    for (int value : values) {
      setWord(offset, value);
      offset += 2;
    }
  }

private:
  explicit Record(char *data) : data_(data) {}
  char *data_;
};

template <typename Fill> void forEachRecord(QByteArray &file, const Table &table, Fill fill) {
  for (int i = 0; i < table.count; ++i)
    fill(Record(file, table.offset + qint64(table.recordSize) * i), i);
}

void fillTerrainRanks(Record record, int firstOffset, Random &random) {
  for (int offset = firstOffset; offset < firstOffset + 4; ++offset)
    record.setByte(offset, random.below(kTerrainRanks));
}

// The unit page refuses a zero in any of the four parts, so each is at least 1.
quint32 randomUpgradeRange(Random &random) {
  const quint32 hp = random.between(1, 1023);
  const quint32 en = random.between(1, 31);
  const quint32 mobility = random.between(1, 15);
  const quint32 armor = random.between(1, 255);
  return armor << 19 | mobility << 15 | en << 10 | hp;
}

// The name pointer (@4) and the ability bits (@56) take any value and stay random.
void fillUnitHead(Record head, int unitCode, Random &random) {
  head.setWord(0, unitCode);
  head.setDword(8, random.between(1000, 99999));
  head.setWord(12, random.between(100, 400));  // EN
  head.setWord(14, random.between(4, 9));      // move
  head.setWord(16, random.between(60, 180));   // mobility
  head.setWord(18, random.between(600, 2800)); // armor
  head.setByte(20, random.below(kUnitSizes));
  head.setByte(21, random.between(1, 3));
  head.setByte(22, random.between(1, 3));
  head.setWord(24, random.between(500, 30000)); // repair cost
  head.setWord(26, random.between(500, 20000)); // kill money
  head.setWord(28, random.between(10, 500));    // kill experience
  head.setWord(30, random.between(1, 30));      // kill PP
  head.setDword(32, randomUpgradeRange(random));
  head.setByte(37, random.between(0, 4));
  head.setByte(38, random.below(kMoveTypes));
  fillTerrainRanks(head, 39, random);
  head.setByte(44, random.below(kFieldChoices));
  head.setByte(45, random.below(kFieldChoices));
  head.setByte(52, random.below(kStatusDefenses));
  head.setByte(54, random.below(16)); // four equipment bits, the upper four clear
  head.setByte(58, random.below(kUnitSkills));
  head.setByte(60, random.pick({0x00, 0x02, 0x08, 0x0C}));
  head.setByte(61, random.below(kTransferTypes));
}

// Bytes 0-9, the two range bytes @28/@29 and the skill levels stay random.
void fillWeapon(Record weapon, Random &random) {
  weapon.setWord(10, random.between(800, 6000));
  const int rangeMin = random.between(1, 3);
  weapon.setByte(12, rangeMin);
  weapon.setByte(13, random.between(rangeMin, 9));
  weapon.setWord(14, random.between(-30, 30)); // hit bonus, signed
  weapon.setWord(16, random.between(-30, 30)); // critical bonus, signed
  weapon.setByte(18, random.between(0, 20));   // ammunition
  weapon.setByte(19, random.between(0, 80));   // EN cost
  weapon.setByte(20, random.pick({0, 100, 110, 120, 130}));
  weapon.setByte(21, random.below(kUpgradeCostTypes));
  fillTerrainRanks(weapon, 22, random);
  weapon.setByte(26, random.below(kWeaponKinds));
  weapon.setByte(27, random.below(kMapShapes));
  weapon.setByte(30, random.below(kFriendFoeChoices));
  weapon.setByte(31, random.below(kAnimations));
  weapon.setByte(32, random.below(kEffectCount));
  // The high nibble names the required skill; the low nibble is four trait bits.
  weapon.setByte(33, random.below(kRequiredSkills) << 4 | random.below(16));
}

void fillUnits(QByteArray &exe, Random &random) {
  forEachRecord(exe, kUnitTable, [&random](Record unit, int code) {
    fillUnitHead(unit, code, random);
    for (int w = 0; w < kWeaponsPerUnit; ++w)
      fillWeapon(unit.at(kUnitHeadSize + kWeaponSize * w), random);
  });
}

// A spirit command entry: command, learn level and two SP cost bytes; only
// the command is a list row, the other three bytes stay random.
void fillSpiritSlots(Record record, int firstOffset, Random &random) {
  for (int k = 0; k < kSpiritSlots; ++k)
    record.setByte(firstOffset + 4 * k, random.below(kSpiritNames));
}

void fillCharacters(QByteArray &exe, Random &random) {
  forEachRecord(exe, kCharacterTable, [&random](Record character, int code) {
    character.setWord(0, code);
    character.setByte(72, random.between(40, 160)); // SP
    for (int stat = 73; stat <= 78; ++stat)
      character.setByte(stat, random.between(100, 220));
    fillTerrainRanks(character, 82, random);
    character.setByte(86, random.pick({0x00, 0x08, 0x0C}));
    fillSpiritSlots(character, 100, random);
    // Skill slots: the skill is a list row, its nine acquire levels stay random.
    for (int k = 0; k < kSkillSlots; ++k)
      character.setByte(124 + 10 * k, random.below(kSkillNames));
  });
}

void fillParts(QByteArray &exe, Random &random) {
  forEachRecord(exe, kPartTable, [&random](Record part, int) {
    part.setByte(20, random.below(kPartTerrainCodes));
    part.setByte(21, random.below(kPartGrantedSkills));
    part.setByte(23, random.below(kPartItemChoices));
    part.setByte(24, random.below(kPartItemChoices));
    part.setByte(25, random.below(kPartItemChoices));
  });
}

void fillDefensiveFields(QByteArray &exe, Random &random) {
  forEachRecord(exe, kDefensiveFieldTable,
                [&random](Record field, int) { field.setByte(12, random.below(kDefenseTypes)); });
}

void fillLeaderAbilities(QByteArray &exe, Random &random) {
  forEachRecord(exe, kLeaderAbilityTable, [&random](Record entry, int) {
    entry.setByte(0, random.below(kLeaderAbilities));
    entry.setByte(1, random.below(kLeaderAbilities));
  });
}

void fillProtagonistSpirits(QByteArray &exe, Random &random) {
  forEachRecord(exe, kProtagonistSpiritTable,
                [&random](Record profile, int) { fillSpiritSlots(profile, 0, random); });
}

void fillSkillTraining(QByteArray &exe, Random &random) {
  // The four training types the option buttons stand for.
  forEachRecord(exe, kSkillTrainingTable, [&random](Record skill, int) {
    skill.setByte(8, random.pick({0, 2, 5, 7}));
  });
}

// Nine money columns (HP, EN, mobility, armor, weapon types 1-5), then after
// four unshown bytes five attack-gain columns; fifteen steps each.
void fillUpgradeSettings(QByteArray &exe) {
  const Record area(exe, kUpgradeSettingsArea);
  for (int column = 0; column < 9; ++column) {
    const int baseCost = column < 4 ? 1000 + 500 * column : 2100 - 300 * (column - 4);
    for (int step = 0; step < kUpgradeSteps; ++step)
      area.setDword(60 * column + 4 * step, baseCost * (step + 1));
  }
  for (int column = 0; column < 5; ++column) {
    for (int step = 0; step < kUpgradeSteps; ++step)
      area.setWord(544 + 30 * column + 2 * step, 100 - 10 * column + (step >= 10 ? 50 : 0));
  }
}

// Nine levels of ten HP bands (100% down to 10%): the lower the HP and the
// higher the level, the larger the four percentages.
void fillPotentialCorrection(QByteArray &exe) {
  forEachRecord(exe, kPotentialCorrectionTable, [](Record level, int index) {
    for (int band = 0; band < 10; ++band) {
      const int strength = (index + 1) * band;
      level.setByte(4 * band + 0, 2 * strength); // hit
      level.setByte(4 * band + 1, 2 * strength); // evasion
      level.setByte(4 * band + 2, strength);     // armor
      level.setByte(4 * band + 3, strength);     // critical
    }
  });
}

// Five blocks of nine level entries; the gaps between them stay random.
void fillSkillCorrection(QByteArray &exe) {
  struct Block {
    int areaOffset;
    int entrySize;
  };
  const Record area(exe, kSkillCorrectionArea);
  for (const Block &block :
       {Block{0, 4}, Block{48, 4}, Block{94, 2}, Block{128, 4}, Block{176, 4}}) {
    for (int level = 0; level < 9; ++level) {
      for (int b = 0; b < block.entrySize; ++b)
        area.setByte(block.areaOffset + block.entrySize * level + b, (level + 1) * (b < 2 ? 5 : 2));
    }
  }
}

void fillSystemSettings(QByteArray &exe) {
  Record(exe, 0xA3F84).setDword(0, 0x00118880); // soul multiplier, bytes 80 88 11 00
  Record(exe, 0xA3FA0).setDword(0, 0x000C8000); // passion multiplier
  Record(exe, 0xBE7B4).setWord(0, 150);         // morale limit
  Record(exe, 0xC86B8).setWord(0, 4000);        // weapon attack limit
  // Morale changes of five spirit commands; weakening lowers the target's.
  Record(exe, 0xCE5B0).setWord(0, 10);
  Record(exe, 0xCE610).setWord(0, 12);
  Record(exe, 0xCE660).setWord(0, -10);
  Record(exe, 0xCE6B8).setWord(0, 15);
  Record(exe, 0xCE748).setWord(0, 20);
  Record(exe, 0x376B88).setWords(0, {110, 100, 80, 60, 40});                // weapon terrain S..D
  Record(exe, 0x376D70).setWords(0, {100, 95, 90, 85, 100, 110, 120, 130}); // normal, focused 1-4
  Record(exe, 0x37B258).setWords(0, {120, 110, 100, 90, 80});               // unit terrain S..D
}

struct StageBlock {
  qint64 offset;
  int recordCount;
};

struct StageLayout {
  QList<StageBlock> enemy;
  QList<StageBlock> ally;
  qint64 fileSize = 0;
};

qint64 roundUp(qint64 value, qint64 alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

// Enemy blocks first, then ally blocks, each after a random gap; an ally
// block always keeps kAllyBlockSpare free bytes behind it.
StageLayout makeStageLayout() {
  Random random(kLayoutSeed);
  StageLayout layout;
  qint64 next = kFirstStageBlock;
  for (int stage = 0; stage < kEnemyStageCount; ++stage) {
    const int count = stage == kEmptyEnemyStage ? 0 : random.between(0, kMaxStageRecords);
    layout.enemy.append({next, count});
    next += qint64(kEnemyRecordSize) * count + 16 * random.below(4);
  }
  next = roundUp(next + 0x100, 0x100);
  for (int stage = 0; stage < kAllyStageCount; ++stage) {
    const int count = stage == kEmptyAllyStage ? 0 : random.between(1, kMaxStageRecords);
    layout.ally.append({next, count});
    next += qint64(kAllyRecordSize) * count + kAllyBlockSpare + 16 * random.below(3);
  }
  layout.fileSize = roundUp(next + 0x40, kStageFileAlignment);
  return layout;
}

// Bytes 6 and 15 stay random.
void fillEnemyRecord(Record enemy, int index, Random &random) {
  enemy.setWord(0, index + 1);     // order of appearance
  enemy.setWord(2, index / 3 + 1); // three units to a squad
  enemy.setWord(4, random.below(kUnitCount));
  enemy.setByte(7, random.between(0, 10) << 4 | random.between(0, 10)); // weapon, unit steps
  enemy.setWord(8, random.below(kPilotCount));
  enemy.setWord(10, random.between(1, 60));  // pilot level
  enemy.setWord(12, random.between(0, 150)); // kills
  enemy.setByte(14, random.percent(70) ? 0 : random.between(1, kChips - 1));
}

// Some slots are empty (no unit, no pilot), some units have no pilot, and a
// few records mark a sub-pilot with the step count 100. Byte 13 stays random.
void fillAllyRecord(Record ally, Random &random) {
  const bool emptySlot = random.percent(15);
  const bool unmanned = emptySlot || random.percent(10);
  const bool subPilot = !unmanned && random.percent(5);
  ally.setWord(0, emptySlot ? kNoneWord : random.below(kUnitCount));
  ally.setByte(2, subPilot ? 100 : random.between(0, 10));
  ally.setByte(3, subPilot ? 100 : random.between(0, 10));
  ally.setWord(4, unmanned ? kNoneWord : random.below(kPilotCount));
  ally.setWord(6, random.between(1, 60));   // pilot level
  ally.setWord(8, random.between(0, 200));  // kills
  ally.setWord(10, random.between(0, 500)); // PP
  ally.setByte(12, random.percent(30) ? 1 : 0);
}

QStringList numberedNames(const QString &prefix, int count, int digits) {
  QStringList names;
  names.reserve(count);
  for (int i = 0; i < count; ++i)
    names.append(prefix + QString::number(i).rightJustified(digits, u'0'));
  return names;
}

StageLists stageLists(const QList<StageBlock> &blocks, const QString &namePrefix) {
  // The full-width comma: an ASCII one would end the item when the list is read.
  const QChar separator(0xFF0C);
  StageLists lists;
  for (const StageBlock &block : blocks)
    lists.offsetLines.append(QString::number(block.offset, 16).toUpper() + separator +
                             QString::number(block.recordCount));
  lists.stageNames = numberedNames(namePrefix, int(blocks.size()), 3);
  return lists;
}

struct OutputFile {
  QString relativePath;
  QByteArray bytes;
};

bool fail(QString *error, const QString &message) {
  if (error)
    *error = message;
  return false;
}

bool writeFiles(const QString &dir, const QList<OutputFile> &files, QString *error) {
  for (const OutputFile &file : files) {
    const QString path = QDir(dir).filePath(file.relativePath);
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
      return fail(error,
                  QStringLiteral("cannot create folder %1").arg(QDir::toNativeSeparators(folder)));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(file.bytes) != file.bytes.size() || !out.flush())
      return fail(error, QStringLiteral("cannot write %1: %2")
                             .arg(QDir::toNativeSeparators(path), out.errorString()));
  }
  return true;
}

} // namespace

QByteArray makeExe() {
  Random random(kExeSeed);
  QByteArray exe(kExeSize, Qt::Uninitialized);
  random.fill(exe);
  fillParts(exe, random);
  fillCharacters(exe, random);
  fillUnits(exe, random);
  fillSkillTraining(exe, random);
  fillProtagonistSpirits(exe, random);
  fillDefensiveFields(exe, random);
  fillLeaderAbilities(exe, random);
  fillUpgradeSettings(exe);
  fillPotentialCorrection(exe);
  fillSkillCorrection(exe);
  fillSystemSettings(exe);
  return exe;
}

QByteArray makeStage() {
  const StageLayout layout = makeStageLayout();
  Random random(kStageSeed);
  QByteArray stage(layout.fileSize, Qt::Uninitialized);
  random.fill(stage);
  for (const StageBlock &block : layout.enemy) {
    for (int r = 0; r < block.recordCount; ++r)
      fillEnemyRecord(Record(stage, block.offset + qint64(kEnemyRecordSize) * r), r, random);
  }
  for (const StageBlock &block : layout.ally) {
    for (int r = 0; r < block.recordCount; ++r)
      fillAllyRecord(Record(stage, block.offset + qint64(kAllyRecordSize) * r), random);
  }
  return stage;
}

QStringList unitNames() { return numberedNames(QStringLiteral("机体"), kUnitCount, 4); }
QStringList effectNames() { return numberedNames(QStringLiteral("特效"), kEffectCount, 3); }
QStringList pilotNames() { return numberedNames(QStringLiteral("机师"), kPilotCount, 4); }

StageLists enemyStages() { return stageLists(makeStageLayout().enemy, QStringLiteral("敌军关卡")); }
StageLists allyStages() { return stageLists(makeStageLayout().ally, QStringLiteral("我方关卡")); }

QByteArray encodeGbk(const QStringList &lines) {
  QString text;
  for (const QString &line : lines)
    text += line + QStringLiteral("\r\n");
  return korvane::encodeGbk(text);
}

QStringList nameListFileNames() {
  return {QStringLiteral("unit.txt"),         QStringLiteral("ts.txt"),
          QStringLiteral("pilot.txt"),        QStringLiteral("data/zcoffset.txt"),
          QStringLiteral("data/zcstage.txt"), QStringLiteral("data/jqoffset.txt"),
          QStringLiteral("data/jqstage.txt")};
}

QStringList gameFileNames() { return {QStringLiteral("SLPS_255.37"), QStringLiteral("stage.bin")}; }

bool writeNameLists(const QString &dir, QString *error) {
  // A Qt without ICU has no GBK encoder on Linux and would write empty files.
  if (korvane::encodeGbk(u"机体").isEmpty())
    return fail(error, QStringLiteral("this Qt build has no GBK encoder"));
  const StageLists enemies = enemyStages();
  const StageLists allies = allyStages();
  // In the order of nameListFileNames().
  const QList<QStringList> lists{unitNames(),         effectNames(),      pilotNames(),
                                 enemies.offsetLines, enemies.stageNames, allies.offsetLines,
                                 allies.stageNames};
  const QStringList names = nameListFileNames();
  QList<OutputFile> files;
  for (qsizetype i = 0; i < names.size(); ++i)
    files.append({names[i], encodeGbk(lists[i])});
  return writeFiles(dir, files, error);
}

bool writeGameFiles(const QString &dir, QString *error) {
  const QStringList names = gameFileNames();
  return writeFiles(dir, {{names[0], makeExe()}, {names[1], makeStage()}}, error);
}

} // namespace korvane::samples
