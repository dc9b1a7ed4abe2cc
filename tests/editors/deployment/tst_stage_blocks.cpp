// The stage offset lines, the record addresses and the ally mark rule, without
// windows; and the sample stage.bin read through the same descriptions.

#include "editors/deployment/deployment_record.h"
#include "editors/shared/choice_lists.h"
#include "editors/shared/field_codec.h"
#include "editors/shared/record_io.h"
#include "tests/support/sample_game.h"
#include "tools/sample_data.h"

#include <QTest>

using namespace korvane;

namespace {

QString line(const char *offset, const char *count) {
  return QString::fromUtf8(offset) + QChar(kStageLineSeparator) + QString::fromUtf8(count);
}

NameListResult offsetList(const QStringList &lines, int wanted) {
  NameListResult result;
  result.items = lines;
  result.path = QStringLiteral("/game/data/zcoffset.txt");
  result.found = int(lines.size());
  result.wanted = wanted;
  return result;
}

} // namespace

class TestStageBlocks : public QObject {
  Q_OBJECT

private slots:
  void readsOffsetLines_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("maxCount");
    QTest::addColumn<qint64>("offset");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("problem"); // a word of the refusal, or empty
    QTest::newRow("worked line") << line("1A0", "12") << 32767 << qint64(0x1A0) << 12 << "";
    QTest::newRow("lower case") << line("1a0", "12") << 255 << qint64(0x1A0) << 12 << "";
    QTest::newRow("count then letters") << line("1A0", "7abc") << 255 << qint64(0x1A0) << 7 << "";
    QTest::newRow("blank before count") << line("1A0", " 7") << 255 << qint64(0x1A0) << 7 << "";
    QTest::newRow("no count") << line("1A0", "") << 255 << qint64(0x1A0) << 0 << "";
    QTest::newRow("largest ally") << line("800", "255") << 255 << qint64(0x800) << 255 << "";
    QTest::newRow("largest enemy") << line("800", "32767") << 32767 << qint64(0x800) << 32767 << "";
    QTest::newRow("ally above a byte") << line("800", "256") << 255 << qint64(0) << 0 << "256";
    QTest::newRow("enemy above a word")
        << line("800", "32768") << 32767 << qint64(0) << 0 << "32768";
    QTest::newRow("no full-width comma") << "1A0,12" << 255 << qint64(0) << 0 << "，";
    QTest::newRow("not hex") << line("G1", "5") << 255 << qint64(0) << 0 << "G1";
    QTest::newRow("prefixed") << line("0x1A0", "5") << 255 << qint64(0) << 0 << "0x1A0";
    QTest::newRow("blank in offset") << line("1A0 ", "5") << 255 << qint64(0) << 0 << "1A0 ";
    QTest::newRow("empty offset") << line("", "5") << 255 << qint64(0) << 0 << "偏移";
    QTest::newRow("too large") << line("7FFFFFFF", "1") << 255 << qint64(0) << 0 << "太大";
  }
  void readsOffsetLines() {
    QFETCH(QString, text);
    QFETCH(int, maxCount);
    QFETCH(qint64, offset);
    QFETCH(int, count);
    QFETCH(QString, problem);
    const StageBlock block = parseStageLine(text, maxCount);
    QCOMPARE(block.usable(), problem.isEmpty());
    QVERIFY2(block.problem.contains(problem), qPrintable(block.problem));
    QCOMPARE(block.offset, offset);
    QCOMPARE(block.count, count);
  }

  void namesTheFileAndItsBadLines() {
    QStringList lines(173, line("800", "3"));
    lines[2] = line("G1", "5");
    lines[40] = QStringLiteral("800");
    const StageBlocks blocks = stageBlocksFrom(offsetList(lines.mid(0, 100), 173), 32767);
    QCOMPARE(int(blocks.blocks.size()), 173);
    QVERIFY(blocks.blocks[0].usable());
    QVERIFY(!blocks.blocks[2].usable() && !blocks.blocks[40].usable() &&
            !blocks.blocks[100].usable());
    const QString message = blocks.problem();
    for (const char *part : {"zcoffset.txt", "/game/data/zcoffset.txt", "第 3 行", "G1", "第 41 行",
                             "第 101 到 173 行", "75 行"})
      QVERIFY2(message.contains(QString::fromUtf8(part)), qPrintable(message));

    QVERIFY(stageBlocksFrom(offsetList(QStringList(173, line("800", "3")), 173), 32767)
                .problem()
                .isEmpty());
    NameListResult missing = offsetList({}, 173);
    missing.missing = true;
    QVERIFY(stageBlocksFrom(missing, 32767).problem().contains(QStringLiteral("找不到")));
  }

  // Stage 5 at 1A0，12: enemy records at 0x1A0, 0x1B0, ..., 0x250; ally record 2 at 0x1BC.
  void addressesRecordsInTheirBlock() {
    const StageBlock block = parseStageLine(line("1A0", "12"), 32767);
    const RecordLayout &enemy = enemyRecordLayout();
    for (int r = 0; r < block.count; ++r)
      QCOMPARE(deploymentRecordOffset(enemy, block.offset, r), 0x1A0 + 16 * r);
    QCOMPARE(deploymentRecordOffset(enemy, block.offset, 11), 0x250);
    const int unit = deploymentFieldIndex(enemy, QStringLiteral("UnitCode"));
    QCOMPARE(deploymentRecordOffset(enemy, block.offset, 2) + enemy.fields[unit].offset, 0x1C4);
    const RecordLayout &ally = allyRecordLayout();
    QCOMPARE(deploymentRecordOffset(ally, block.offset, 2), 0x1BC);
    QCOMPARE(ally.fields[deploymentFieldIndex(ally, QStringLiteral("UnitCode"))].offset, 0);
    // Never an index past the fields: an ally record has no chip.
    QVERIFY_THROWS_EXCEPTION(DescriptionMismatch,
                             deploymentFieldIndex(ally, QStringLiteral("ChipCode")));
  }

  void marksTheNextSlotOnlyAsSettled() {
    QVERIFY(marksNextSlotEmpty(65535, 40, 0, 3));
    QVERIFY(marksNextSlotEmpty(65535, 0, 1, 3));
    QVERIFY(!marksNextSlotEmpty(65535, 40, 2, 3)); // the stage's last record
    QVERIFY(!marksNextSlotEmpty(65535, 65535, 0, 3));
    QVERIFY(!marksNextSlotEmpty(12, 40, 0, 3));
  }

  void chipListIsThePartsBehindNone() {
    QCOMPARE(ChipNames().size(), 54);
    QCOMPARE(ChipNames()[0], QStringLiteral("------"));
    QCOMPARE(ChipNames()[3], QStringLiteral("アポジモーター"));
    QCOMPARE(ChipNames()[5], QStringLiteral("バイオセンサー "));
    QCOMPARE(ChipNames().mid(1), PartNames());
  }

  // Every block of the sample lists lies inside the sample stage.bin, each ally
  // block with room for the mark after it, and every coded field has a row.
  void sampleStagesFitTheirDescriptions() {
    test::SampleGame game;
    Module1::Operation op(GameFileRef::plain(game.stagePath()));
    QVERIFY(op.ok());
    for (const DeploymentKind *kind : {&enemyDeployment(), &allyDeployment()}) {
      const StageBlocks blocks = readStageBlocks(*kind->lists);
      QVERIFY2(blocks.problem().isEmpty(), qPrintable(blocks.problem()));
      const RecordLayout &layout = kind->layout();
      for (const StageBlock &block : blocks.blocks) {
        const qint64 end = deploymentRecordOffset(layout, block.offset, block.count) + 2;
        QVERIFY(end <= op.size());
        for (int r = 0; r < block.count; ++r) {
          const RecordValues values =
              readRecord(op, layout, deploymentRecordOffset(layout, block.offset, r));
          for (size_t i = 0; i < layout.fields.size(); ++i) {
            const FieldPart &part = layout.fields[i].parts.front();
            if (part.encoding != Encoding::Choice)
              continue;
            const qint64 code = values[i];
            QVERIFY2(code < part.choices.rows() - (part.choices.lastRowCode >= 0 ? 1 : 0) ||
                         code == part.choices.lastRowCode,
                     qPrintable(layout.fields[i].name));
          }
        }
      }
    }
    QVERIFY(op.close());
  }
};

QTEST_GUILESS_MAIN(TestStageBlocks)
#include "tst_stage_blocks.moc"
