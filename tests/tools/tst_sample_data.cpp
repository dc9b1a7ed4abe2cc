#include "io/gbk_text.h"
#include "tools/sample_data.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <algorithm>
#include <span>

using namespace korvane::samples;

namespace {

int byteAt(const QByteArray &file, qint64 offset) { return quint8(file.at(offset)); }
int wordAt(const QByteArray &file, qint64 offset) {
  return qFromLittleEndian<quint16>(file.constData() + offset);
}
quint32 dwordAt(const QByteArray &file, qint64 offset) {
  return qFromLittleEndian<quint32>(file.constData() + offset);
}

// A byte that a window shows as the row of a choice list with `rows` rows.
struct CodedByte {
  int offset;
  int rows;
};

// size, move type, terrain x4, defensive fields x2, status defense, equipment bits, skill, transfer
constexpr CodedByte kUnitHeadCodes[] = {{20, 6},  {38, 9},  {39, 6}, {40, 6},  {41, 6}, {42, 6},
                                        {44, 26}, {45, 26}, {52, 9}, {54, 16}, {58, 3}, {61, 14}};
// upgrade cost type, terrain x4, kind, map shape, friend/foe, animation, effect
constexpr CodedByte kWeaponCodes[] = {{21, 5},  {22, 6}, {23, 6}, {24, 6},  {25, 6},
                                      {26, 11}, {27, 5}, {30, 3}, {31, 57}, {32, 125}};
// terrain x4, six spirit commands, six skills
constexpr CodedByte kCharacterCodes[] = {
    {82, 6},   {83, 6},   {84, 6},   {85, 6},   {100, 36}, {104, 36}, {108, 36}, {112, 36},
    {116, 36}, {120, 36}, {124, 41}, {134, 41}, {144, 41}, {154, 41}, {164, 41}, {174, 41}};
// terrain code, granted skill, recovery item, special effect, SP recovery
constexpr CodedByte kPartCodes[] = {{20, 9}, {21, 4}, {23, 5}, {24, 5}, {25, 5}};
constexpr CodedByte kFieldCodes[] = {{12, 2}};
constexpr CodedByte kLeaderAbilityCodes[] = {{0, 63}};
constexpr CodedByte kSpiritSlotCodes[] = {{0, 36}};

// Empty if every coded byte of every record lies inside its list, else the first bad one.
QString firstBadCode(const QByteArray &file, qint64 tableOffset, int recordSize, int count,
                     std::span<const CodedByte> codes) {
  for (int i = 0; i < count; ++i) {
    const qint64 record = tableOffset + qint64(recordSize) * i;
    for (const CodedByte &code : codes) {
      const int value = byteAt(file, record + code.offset);
      if (value >= code.rows)
        return QStringLiteral("record %1 at 0x%2, byte %3: %4, list has %5 rows")
            .arg(i)
            .arg(record, 0, 16)
            .arg(code.offset)
            .arg(value)
            .arg(code.rows);
    }
  }
  return {};
}

struct Block {
  qint64 offset;
  int count;
};

QList<Block> parseOffsetLines(const QStringList &lines) {
  QList<Block> blocks;
  for (const QString &line : lines) {
    const QStringList parts = line.split(QChar(0xFF0C));
    blocks.append({parts.value(0).toLongLong(nullptr, 16), parts.value(1).toInt()});
  }
  return blocks;
}

constexpr qint64 kUnits = 0x2BE710;
constexpr qint64 kCharacters = 0x29D400;

} // namespace

class SampleDataTest : public QObject {
  Q_OBJECT

private slots:
  void initTestCase();

  void gameFilesHaveFixedSizeAndBytes();
  void unshownBytesAreRandom();

  void nameListsAreNumberedPlaceholders_data();
  void nameListsAreNumberedPlaceholders();
  void nameListsSurviveGbk();
  void offsetLinesAreUpperHexAndCount();

  void stageBlocksFitAndDoNotOverlap();
  void stageRecordsHoldListedCodes();

  void unitHeadsHoldListedCodes();
  void weaponsHoldListedCodes();
  void charactersHoldListedCodes();
  void smallTablesHoldListedCodes();
  void systemSettingsArePlausible();

  void writersCreateEveryFile();
  void writersReportFailure();

private:
  QByteArray exe_;
  QByteArray stage_;
};

void SampleDataTest::initTestCase() {
  exe_ = makeExe();
  stage_ = makeStage();
}

void SampleDataTest::gameFilesHaveFixedSizeAndBytes() {
  QCOMPARE(exe_.size(), kExeSize);
  QCOMPARE(makeExe(), exe_);
  QCOMPARE(makeStage(), stage_);
}

// A save that writes a byte it should not must change something a test can
// see; zero-filled gaps would hide it.
void SampleDataTest::unshownBytesAreRandom() {
  QSet<int> unitTails; // head bytes 62-83, which no window shows
  for (int i = 0; i < kUnitCount; ++i) {
    for (int b = 62; b < 84; ++b)
      unitTails.insert(byteAt(exe_, kUnits + 732 * i + b));
  }
  QVERIFY2(unitTails.size() > 250, qPrintable(QString::number(unitTails.size())));

  const QByteArray multiplierGap = exe_.mid(0xA3F88, 24);
  QVERIFY(multiplierGap.count(multiplierGap.at(0)) < multiplierGap.size());

  QSet<int> enemyPads; // byte 15 of every enemy record
  for (const Block &block : parseOffsetLines(enemyStages().offsetLines)) {
    for (int r = 0; r < block.count; ++r)
      enemyPads.insert(byteAt(stage_, block.offset + 16 * r + 15));
  }
  QVERIFY2(enemyPads.size() > 200, qPrintable(QString::number(enemyPads.size())));
}

void SampleDataTest::nameListsAreNumberedPlaceholders_data() {
  QTest::addColumn<QStringList>("names");
  QTest::addColumn<int>("count");
  QTest::addColumn<QString>("prefix");
  QTest::addColumn<int>("digits");
  QTest::newRow("units") << unitNames() << 837 << QStringLiteral("机体") << 4;
  QTest::newRow("effects") << effectNames() << 125 << QStringLiteral("特效") << 3;
  QTest::newRow("pilots") << pilotNames() << 735 << QStringLiteral("机师") << 4;
  QTest::newRow("enemy stages") << enemyStages().stageNames << 173 << QStringLiteral("敌军关卡")
                                << 3;
  QTest::newRow("ally stages") << allyStages().stageNames << 115 << QStringLiteral("我方关卡") << 3;
}

void SampleDataTest::nameListsAreNumberedPlaceholders() {
  QFETCH(QStringList, names);
  QFETCH(int, count);
  QFETCH(QString, prefix);
  QFETCH(int, digits);
  QCOMPARE(names.size(), count);
  for (int i = 0; i < count; ++i)
    QCOMPARE(names[i], prefix + QString::number(i).rightJustified(digits, u'0'));
}

void SampleDataTest::nameListsSurviveGbk() {
  QCOMPARE(encodeGbk({QStringLiteral("机体0000"), QStringLiteral("特效1")}),
           QByteArray("\xBB\xFA\xCC\xE5"
                      "0000\r\n"
                      "\xCC\xD8\xD0\xA7"
                      "1\r\n"));

  const QList<QStringList> lists{unitNames(),
                                 effectNames(),
                                 pilotNames(),
                                 enemyStages().offsetLines,
                                 enemyStages().stageNames,
                                 allyStages().offsetLines,
                                 allyStages().stageNames};
  for (const QStringList &list : lists) {
    const QByteArray bytes = encodeGbk(list);
    // An ASCII comma would split an item when the editor reads the list.
    QVERIFY(!bytes.contains(','));
    const QString text = korvane::decodeGbk(bytes);
    QCOMPARE(korvane::encodeGbk(text), bytes); // every character is GBK
    QStringList lines = text.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.takeLast(), QString()); // the last line ends with CRLF too
    QCOMPARE(lines, list);
  }
}

void SampleDataTest::offsetLinesAreUpperHexAndCount() {
  static const QRegularExpression line(QStringLiteral("^[0-9A-F]+\\x{FF0C}([0-9]+)$"));
  for (const StageLists &stages : {enemyStages(), allyStages()}) {
    for (const QString &offsetLine : stages.offsetLines) {
      const QRegularExpressionMatch match = line.match(offsetLine);
      QVERIFY2(match.hasMatch(), qPrintable(offsetLine));
      QVERIFY2(match.captured(1).toInt() <= 20, qPrintable(offsetLine));
    }
  }
  const QList<Block> enemies = parseOffsetLines(enemyStages().offsetLines);
  QVERIFY(std::any_of(enemies.begin(), enemies.end(), [](const Block &b) { return b.count == 0; }));
}

void SampleDataTest::stageBlocksFitAndDoNotOverlap() {
  struct Span {
    qint64 begin;
    qint64 end;
  };
  QList<Span> spans;
  for (const Block &block : parseOffsetLines(enemyStages().offsetLines))
    spans.append({block.offset, block.offset + 16 * block.count});
  // An ally save may mark the record after a stage's last one.
  for (const Block &block : parseOffsetLines(allyStages().offsetLines))
    spans.append({block.offset, block.offset + 14 * block.count + kAllyBlockSpare});
  QCOMPARE(spans.size(), kEnemyStageCount + kAllyStageCount);

  std::sort(spans.begin(), spans.end(),
            [](const Span &a, const Span &b) { return a.begin < b.begin; });
  for (qsizetype i = 1; i < spans.size(); ++i)
    QVERIFY2(spans[i].begin >= spans[i - 1].end, qPrintable(QString::number(spans[i].begin, 16)));
  QVERIFY(spans.first().begin > 0);
  QVERIFY(spans.last().end < stage_.size());
}

void SampleDataTest::stageRecordsHoldListedCodes() {
  for (const Block &block : parseOffsetLines(enemyStages().offsetLines)) {
    for (int r = 0; r < block.count; ++r) {
      const qint64 record = block.offset + 16 * r;
      QVERIFY(wordAt(stage_, record + 4) < kUnitCount);
      QVERIFY(wordAt(stage_, record + 8) < kPilotCount);
      QVERIFY(byteAt(stage_, record + 14) < 54); // chip
    }
  }
  // Ally slots may name no unit or no pilot; both kinds must be there.
  int emptySlots = 0;
  int unmanned = 0;
  for (const Block &block : parseOffsetLines(allyStages().offsetLines)) {
    for (int r = 0; r < block.count; ++r) {
      const qint64 record = block.offset + 14 * r;
      const int unit = wordAt(stage_, record);
      const int pilot = wordAt(stage_, record + 4);
      QVERIFY(unit < kUnitCount || unit == 0xFFFF);
      QVERIFY(pilot < kPilotCount || pilot == 0xFFFF);
      QVERIFY(byteAt(stage_, record + 12) <= 1);
      emptySlots += unit == 0xFFFF;
      unmanned += unit != 0xFFFF && pilot == 0xFFFF;
    }
  }
  QVERIFY(emptySlots > 0);
  QVERIFY(unmanned > 0);
}

void SampleDataTest::unitHeadsHoldListedCodes() {
  const QString bad = firstBadCode(exe_, kUnits, 732, kUnitCount, kUnitHeadCodes);
  QVERIFY2(bad.isEmpty(), qPrintable(bad));

  for (int i = 0; i < kUnitCount; ++i) {
    const qint64 head = kUnits + 732 * i;
    QCOMPARE(wordAt(exe_, head), i);
    QVERIFY(QList<int>({0x00, 0x02, 0x08, 0x0C}).contains(byteAt(exe_, head + 60)));
    // The unit page refuses to save a zero part, so every part must be set.
    const quint32 range = dwordAt(exe_, head + 32);
    QCOMPARE(range >> 27, 0u);
    QVERIFY((range & 0x3FF) != 0);
    QVERIFY((range >> 10 & 0x1F) != 0);
    QVERIFY((range >> 15 & 0xF) != 0);
    QVERIFY((range >> 19 & 0xFF) != 0);
  }
}

void SampleDataTest::weaponsHoldListedCodes() {
  int negativeBonuses = 0;
  for (int i = 0; i < kUnitCount; ++i) {
    const qint64 firstWeapon = kUnits + 732 * i + 84;
    const QString bad = firstBadCode(exe_, firstWeapon, 36, 18, kWeaponCodes);
    QVERIFY2(bad.isEmpty(), qPrintable(QStringLiteral("unit %1: ").arg(i) + bad));
    for (int w = 0; w < 18; ++w) {
      const qint64 weapon = firstWeapon + 36 * w;
      QVERIFY(byteAt(exe_, weapon + 33) >> 4 < 4); // required skill
      for (const qint64 bonus : {weapon + 14, weapon + 16}) {
        const qint16 value = qint16(wordAt(exe_, bonus));
        QVERIFY(value >= -30 && value <= 30);
        negativeBonuses += value < 0;
      }
    }
  }
  QVERIFY(negativeBonuses > 0);
}

void SampleDataTest::charactersHoldListedCodes() {
  const QString bad = firstBadCode(exe_, kCharacters, 184, kPilotCount, kCharacterCodes);
  QVERIFY2(bad.isEmpty(), qPrintable(bad));
  for (int i = 0; i < kPilotCount; ++i) {
    const qint64 record = kCharacters + 184 * i;
    QCOMPARE(wordAt(exe_, record), i);
    QVERIFY(QList<int>({0x00, 0x08, 0x0C}).contains(byteAt(exe_, record + 86)));
  }
}

void SampleDataTest::smallTablesHoldListedCodes() {
  const QStringList bad{
      firstBadCode(exe_, 0x29CC84, 36, 53, kPartCodes),                      // enhancement parts
      firstBadCode(exe_, 0x376BE0, 16, 25, kFieldCodes),                     // defensive fields
      firstBadCode(exe_, 0x3792F0, 1, 2 * kPilotCount, kLeaderAbilityCodes), // byte by byte
      firstBadCode(exe_, 0x355240, 4, 6 * 196, kSpiritSlotCodes), // protagonist, slot by slot
  };
  for (const QString &problem : bad)
    QVERIFY2(problem.isEmpty(), qPrintable(problem));

  for (int i = 0; i < 40; ++i) // skill training types
    QVERIFY(QList<int>({0, 2, 5, 7}).contains(byteAt(exe_, 0x35464C + 48 * i + 8)));
}

void SampleDataTest::systemSettingsArePlausible() {
  QCOMPARE(exe_.mid(0xA3F84, 4), QByteArray("\x80\x88\x11\x00", 4));
  QVERIFY(dwordAt(exe_, 0xA3FA0) != 0);
  QVERIFY(qint16(wordAt(exe_, 0xCE660)) < 0); // weakening lowers morale
  for (const qint64 gain : {0xCE5B0, 0xCE610, 0xCE6B8, 0xCE748})
    QVERIFY(wordAt(exe_, gain) > 0 && wordAt(exe_, gain) <= 100);
}

void SampleDataTest::writersCreateEveryFile() {
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  const QString target = dir.filePath(QStringLiteral("samples")); // does not exist yet
  QString error;
  QVERIFY2(writeNameLists(target, &error), qPrintable(error));
  QVERIFY2(writeGameFiles(target, &error), qPrintable(error));

  const QList<QPair<QString, QByteArray>> expected{
      {QStringLiteral("unit.txt"), encodeGbk(unitNames())},
      {QStringLiteral("ts.txt"), encodeGbk(effectNames())},
      {QStringLiteral("pilot.txt"), encodeGbk(pilotNames())},
      {QStringLiteral("data/zcoffset.txt"), encodeGbk(enemyStages().offsetLines)},
      {QStringLiteral("data/zcstage.txt"), encodeGbk(enemyStages().stageNames)},
      {QStringLiteral("data/jqoffset.txt"), encodeGbk(allyStages().offsetLines)},
      {QStringLiteral("data/jqstage.txt"), encodeGbk(allyStages().stageNames)},
      {QStringLiteral("SLPS_255.37"), exe_},
      {QStringLiteral("stage.bin"), stage_},
  };
  QCOMPARE(nameListFileNames().size() + gameFileNames().size(), expected.size());
  for (const auto &[name, bytes] : expected) {
    QVERIFY(nameListFileNames().contains(name) || gameFileNames().contains(name));
    QFile file(QDir(target).filePath(name));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(name));
    QVERIFY2(file.readAll() == bytes, qPrintable(name));
  }
}

void SampleDataTest::writersReportFailure() {
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  // A plain file where the writers need a folder.
  QFile blocker(dir.filePath(QStringLiteral("blocker")));
  QVERIFY(blocker.open(QIODevice::WriteOnly));
  blocker.close();

  QString error;
  QVERIFY(!writeGameFiles(blocker.fileName(), &error));
  QVERIFY(error.contains(QStringLiteral("blocker")));

  error.clear();
  QVERIFY(!writeNameLists(blocker.fileName(), &error));
  QVERIFY(!error.isEmpty());
  QVERIFY(!writeNameLists(blocker.fileName(), nullptr)); // a null error is allowed
}

QTEST_GUILESS_MAIN(SampleDataTest)
#include "tst_sample_data.moc"
