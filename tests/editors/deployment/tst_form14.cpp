// The ally deployment window on the sample game, with a block placed by the test:
// its empty-slot rows and every case of the mark on the following record.

#include "editors/catalog/change_text.h"
#include "io/change_history.h"
#include "tests/editors/deployment/deployment_harness.h"

using namespace korvane;
using namespace korvane::test;

namespace {

using Harness = DeploymentHarness<Form14>;

qint64 allyAt(int record) { return kTestBlock + 14 * record; }

// FF FF | 00 | 00 | FF FF | 01 00 | 00 00 | 00 00 | 00 | zz: an empty slot.
const QByteArray kEmptySlot = QByteArray::fromHex("FFFF0000FFFF01000000000000C3");
// Unit 5 with pilot 7.
const QByteArray kManned = QByteArray::fromHex("050003040700140022003000015A");

// Stage 5 at 1A0，3 holding `records`; the bytes after the block stay as they are.
void placeStage(const Harness &h, const QList<QByteArray> &records) {
  h.setStageLine(kTestStage, stageLine("1A0", "3"));
  for (int r = 0; r < records.size(); ++r)
    h.patchStage(allyAt(r), records[r]);
}

// The offsets of `count` bytes from `offset`, to compare with differences().
QList<qint64> bytesAt(qint64 offset, int count = 2) {
  QList<qint64> offsets;
  for (int i = 0; i < count; ++i)
    offsets << offset + i;
  return offsets;
}

void choose(const Harness &h, int unitRow, int pilotRow) {
  h.combo("Combo1")->setCurrentIndex(unitRow);
  h.combo("Combo2")->setCurrentIndex(pilotRow);
}

} // namespace

class TestForm14 : public QObject {
  Q_OBJECT

private slots:
  void showsAnEmptySlot() {
    Harness h;
    placeStage(h, {kEmptySlot, kManned, kEmptySlot});
    QWidget *form = h.open();
    QCOMPARE(form->windowTitle(), QStringLiteral("我方配置"));
    QCOMPARE(h.list("List1")->count(), 115);
    QCOMPARE(h.combo("Combo1")->count(), 838);
    QCOMPARE(h.combo("Combo1")->itemText(837), QStringLiteral("空位:------"));
    QCOMPARE(h.combo("Combo2")->count(), 736);
    QCOMPARE(h.combo("Combo2")->itemText(735), QStringLiteral("无人:------"));
    h.pickStage(kTestStage);
    QCOMPARE(h.records(),
             (QStringList{QStringLiteral("机体1:空位:------"), QStringLiteral("机体2:机体0005"),
                          QStringLiteral("机体3:空位:------")}));
    h.pickRecord(0);
    QCOMPARE(h.combo("Combo1")->currentIndex(), 837);
    QCOMPARE(h.combo("Combo2")->currentIndex(), 735);
    QCOMPARE(h.text("Text3") + h.text("Text4"), QStringLiteral("00"));
    QCOMPARE(h.text("Text5_0") + h.text("Text5_1") + h.text("Text5_2"), QStringLiteral("100"));
    QCOMPARE(h.text("Text1"), QStringLiteral("00"));
    QCOMPARE(h.text("Text6"), QStringLiteral("1A0"));
    h.pickRecord(2);
    QCOMPARE(h.text("Text6"), QStringLiteral("1BC"));

    const QByteArray before = h.game.stage();
    h.write(); // as shown: no pilot, so no mark
    QVERIFY2(h.answers.texts().isEmpty(), qPrintable(h.answers.last()));
    QVERIFY(h.game.stage() == before);
  }

  void writesTheFieldsAndKeepsByte13() {
    Harness h;
    placeStage(h, {kManned, kManned, kManned});
    h.open();
    h.pickStage(kTestStage);
    h.pickRecord(1);
    h.type("Text1", QStringLiteral("1"));
    h.type("Text3", QStringLiteral("100"));
    h.type("Text4", QStringLiteral("255"));
    h.type("Text5_0", QStringLiteral("65535"));
    h.type("Text5_2", QStringLiteral("300"));
    choose(h, 12, 40);
    const QByteArray before = h.game.stage();
    h.write();
    QVERIFY2(h.answers.texts().isEmpty(), qPrintable(h.answers.last()));
    QCOMPARE(h.game.stage().mid(allyAt(1), 14),
             QByteArray::fromHex("0C0064FF2800FFFF22002C01015A"));
    for (qint64 offset : differences(before, h.game.stage()))
      QVERIFY(offset >= allyAt(1) && offset < allyAt(1) + 13);
    h.type("Text1", QStringLiteral("ff"));
    h.write();
    QCOMPARE(quint8(h.game.stage()[allyAt(1) + 12]), quint8(0xFF));
  }

  // Record 0 was an empty slot and record 1 is one: choosing a unit and a pilot
  // writes them and the mark, without asking.
  void markOnAnEmptyNextSlot() {
    Harness h;
    placeStage(h, {kEmptySlot, kEmptySlot, kManned});
    h.open();
    h.pickStage(kTestStage);
    h.pickRecord(0);
    choose(h, 12, 40);
    const QByteArray before = h.game.stage();
    h.write();
    QVERIFY2(h.answers.texts().isEmpty(), qPrintable(h.answers.last()));
    const QByteArray after = h.game.stage();
    QCOMPARE(wordAt(after, allyAt(0)), 12u);
    QCOMPARE(wordAt(after, allyAt(0) + 4), 40u);
    QCOMPARE(wordAt(after, allyAt(1)), 65535u);
    QCOMPARE(differences(before, after), bytesAt(allyAt(0)) + bytesAt(allyAt(0) + 4));
  }

  // The record and its mark are one operation, so one history entry names both.
  void aWriteIsOneHistoryEntry() {
    Harness h;
    placeStage(h, {kEmptySlot, kEmptySlot, kManned});
    h.open();
    h.pickStage(kTestStage);
    h.pickRecord(0);
    choose(h, 12, 40);
    changeHistory().clear();
    h.write();
    QCOMPARE(changeHistory().entries().size(), size_t(1));
    const ChangeEntry &entry = changeHistory().entries().back();
    QCOMPARE(entry.window, QStringLiteral("我方配置"));
    QCOMPARE(entry.action, QStringLiteral("写入"));
    ListRows rows;
    const SpanText text = describeSpans(entry.file, entry.spans, rows);
    QCOMPARE(text.records, QStringList{QStringLiteral("我方关卡005 / 机体1")});
    QCOMPARE(text.lines,
             (QStringList{QStringLiteral("我方关卡005 / 机体1 / 机体: 空位:------ → 机体0012"),
                          QStringLiteral("我方关卡005 / 机体1 / 机师: 无人:------ → 机师0040")}));
  }

  // The mark depends on the pilot only: a pilot with unit row 837 still marks;
  // a unit with no pilot does not.
  void markFollowsThePilot() {
    Harness h;
    placeStage(h, {kEmptySlot, kManned, kEmptySlot});
    h.answers.answer({QMessageBox::Ok});
    h.open();
    h.pickStage(kTestStage);
    h.pickRecord(0);
    choose(h, 837, 40);
    h.write();
    QCOMPARE(h.answers.texts().size(), 1);
    QCOMPARE(wordAt(h.game.stage(), allyAt(0)), 65535u);
    QCOMPARE(wordAt(h.game.stage(), allyAt(1)), 65535u);

    h.patchStage(allyAt(1), kManned);
    const QByteArray before = h.game.stage();
    choose(h, 12, 735);
    h.write();
    QCOMPARE(h.answers.texts().size(), 1);
    QCOMPARE(differences(before, h.game.stage()), bytesAt(allyAt(0)) + bytesAt(allyAt(0) + 4));
    QCOMPARE(wordAt(h.game.stage(), allyAt(0) + 4), 65535u);
  }

  // Record 1 holds a unit: the window asks, naming both records; OK marks it,
  // Cancel writes record 0 alone.
  void markOverAUnitIsAsked_data() {
    QTest::addColumn<bool>("ok");
    QTest::newRow("OK") << true;
    QTest::newRow("Cancel") << false;
  }
  void markOverAUnitIsAsked() {
    QFETCH(bool, ok);
    Harness h;
    placeStage(h, {kEmptySlot, kManned, kManned});
    h.answers.answer({ok ? QMessageBox::Ok : QMessageBox::Cancel});
    h.open();
    h.pickStage(kTestStage);
    h.pickRecord(0);
    choose(h, 12, 40);
    const QByteArray before = h.game.stage();
    h.write();
    QCOMPARE(h.answers.texts().size(), 1);
    for (const char *part : {"“机体1”", "“机体2”", "机体0005"})
      QVERIFY2(h.answers.last().contains(QString::fromUtf8(part)), qPrintable(h.answers.last()));
    QList<qint64> written = bytesAt(allyAt(0)) + bytesAt(allyAt(0) + 4);
    if (ok)
      written += bytesAt(allyAt(1));
    QCOMPARE(differences(before, h.game.stage()), written);
    QCOMPARE(wordAt(h.game.stage(), allyAt(0)), 12u);
    // Both written rows say what they now hold.
    QCOMPARE(h.records(), (QStringList{QStringLiteral("机体1:机体0012"),
                                       ok ? QStringLiteral("机体2:空位:------")
                                          : QStringLiteral("机体2:机体0005"),
                                       QStringLiteral("机体3:机体0005")}));
  }

  // Nothing past the stage's last record, and nothing after a record that was not
  // an empty slot, whatever is chosen.
  void noMarkAfterTheLastOrAnOccupiedRecord() {
    Harness h;
    placeStage(h, {kManned, kManned, kEmptySlot});
    h.open();
    h.pickStage(kTestStage);
    const QByteArray before = h.game.stage();
    h.pickRecord(2);
    choose(h, 12, 40);
    h.write();
    h.pickRecord(0);
    choose(h, 837, 40);
    h.write();
    QVERIFY2(h.answers.texts().isEmpty(), qPrintable(h.answers.last()));
    QCOMPARE(differences(before, h.game.stage()), bytesAt(allyAt(0), 2) +
                                                      bytesAt(allyAt(0) + 4, 1) +
                                                      bytesAt(allyAt(2)) + bytesAt(allyAt(2) + 4));

    // Record 0 now holds 65535: its next write finds the old code in the file.
    choose(h, 3, 40);
    h.answers.answer({QMessageBox::Ok});
    h.write();
    QCOMPARE(h.answers.texts().size(), 1);
    QCOMPARE(wordAt(h.game.stage(), allyAt(1)), 65535u);
  }

  void refusalsWriteNeitherRecordNorMark_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("caption");
    QTest::newRow("three hex digits") << "Text1"
                                      << "100"
                                      << "“过关加入”";
    QTest::newRow("not hex") << "Text1"
                             << "G"
                             << "“过关加入”";
    QTest::newRow("steps above a byte") << "Text3"
                                        << "256"
                                        << "“武器改造段数”";
    QTest::newRow("unit steps empty") << "Text4"
                                      << ""
                                      << "“机体改造段数”";
    QTest::newRow("PP above a word") << "Text5_2"
                                     << "65536"
                                     << "“机师PP”";
  }
  void refusalsWriteNeitherRecordNorMark() {
    QFETCH(QString, control);
    QFETCH(QString, entry);
    QFETCH(QString, caption);
    Harness h;
    placeStage(h, {kEmptySlot, kManned, kManned});
    h.open();
    const QByteArray before = h.game.stage();
    h.pickStage(kTestStage);
    h.pickRecord(0);
    choose(h, 12, 40);
    h.box(control)->setText(entry);
    h.write();
    QCOMPARE(h.answers.texts().size(), 1);
    QVERIFY2(h.answers.last().contains(caption), qPrintable(h.answers.last()));
    QVERIFY(h.game.stage() == before);
  }

  // A mark that stage.bin cannot hold refuses the whole save.
  void aMarkPastTheFileEndWritesNothing() {
    Harness h;
    const qint64 size = h.game.stage().size();
    const qint64 block = size - 14 - 1;
    h.setStageLine(kTestStage, stageLine(QString::number(block, 16), "2"));
    h.patchStage(block, kEmptySlot);
    h.open();
    h.pickStage(kTestStage);
    h.pickRecord(0);
    choose(h, 12, 40);
    const QByteArray before = h.game.stage();
    h.write();
    QCOMPARE(h.answers.texts().size(), 1);
    QVERIFY2(h.answers.last().contains(QStringLiteral("没有写入")), qPrintable(h.answers.last()));
    QVERIFY(h.game.stage() == before);
  }

  void countsAboveAByteAreRefused() {
    Harness h;
    QStringList lines = h.offsetLines();
    lines[kTestStage] = stageLine("800", "256");
    lines[6] = stageLine("800", "255");
    h.setOffsetLines(lines);
    h.open();
    QCOMPARE(h.answers.texts().size(), 1);
    QVERIFY(h.answers.last().contains(QStringLiteral("jqoffset.txt")));
    QVERIFY(h.answers.last().contains(QStringLiteral("第 6 行")));
    h.pickStage(kTestStage);
    QVERIFY(h.records().isEmpty());
    h.pickStage(6);
    QCOMPARE(h.records().size(), 255);
  }

  // Codes 837 and 735 are no empty slot and no "no pilot": listed raw and kept.
  void codesBesideTheEmptyRowsAreKept() {
    Harness h;
    placeStage(h, {QByteArray::fromHex("45030000DF02") + kManned.mid(6), kManned, kManned});
    h.open();
    const QByteArray before = h.game.stage();
    h.pickStage(kTestStage);
    QCOMPARE(h.records()[0], QStringLiteral("机体1:（代码 837）"));
    h.pickRecord(0);
    QCOMPARE(h.combo("Combo1")->currentIndex(), -1);
    QCOMPARE(h.combo("Combo2")->currentIndex(), -1);
    h.write();
    QVERIFY2(h.answers.texts().isEmpty(), qPrintable(h.answers.last()));
    QVERIFY(h.game.stage() == before);
  }
};

QTEST_MAIN(TestForm14)
#include "tst_form14.moc"
