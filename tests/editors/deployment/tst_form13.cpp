// The enemy deployment window on the sample game, with a block placed by the test.

#include "app/form1.h"
#include "tests/editors/deployment/deployment_harness.h"

#include <QLabel>
#include <QPointer>

using namespace korvane;
using namespace korvane::test;

namespace {

using Harness = DeploymentHarness<Form13>;

qint64 enemyAt(int record) { return kTestBlock + 16 * record; }

// The worked record: 05 00 | 02 00 | 1F 00 | xx | 35 | 10 00 | 14 00 | 07 00 | 03 | yy.
const QByteArray kWorkedRecord = QByteArray::fromHex("050002001F00A6351000140007000359");

// Stage 5 at 1A0，12 with the worked record as record 2.
void placeWorkedStage(const Harness &h) {
  h.setStageLine(kTestStage, stageLine("1A0", "12"));
  h.patchStage(enemyAt(2), kWorkedRecord);
}

} // namespace

class TestForm13 : public QObject {
  Q_OBJECT

private slots:
  void listsTheStagesAndTheStageRecords() {
    Harness h;
    placeWorkedStage(h);
    h.patchStage(enemyAt(0) + 4, QByteArray::fromHex("4403")); // unit 836
    QWidget *form = h.open();
    QCOMPARE(form->objectName(), QStringLiteral("Form13"));
    QCOMPARE(form->windowTitle(), QStringLiteral("敌军配置"));
    QVERIFY(h.answers.texts().isEmpty());
    QCOMPARE(h.list("List1")->count(), 173);
    QCOMPARE(h.list("List1")->item(172)->text(), QStringLiteral("敌军关卡172"));
    QCOMPARE(h.combo("Combo1")->count(), 837);
    QCOMPARE(h.combo("Combo2")->count(), 735);
    QCOMPARE(h.combo("Combo3")->count(), 54);
    h.pickStage(kTestStage);
    const QStringList rows = h.records();
    QCOMPARE(rows.size(), 12);
    QCOMPARE(rows[0], QStringLiteral("机体1:机体0836"));
    QCOMPARE(rows[2], QStringLiteral("机体3:机体0031"));
    QCOMPARE(h.list("List2")->currentRow(), -1);
  }

  void showsAndWritesBackTheWorkedRecord() {
    Harness h;
    placeWorkedStage(h);
    h.open();
    const QByteArray before = h.game.stage();
    h.pickStage(kTestStage);
    h.pickRecord(2);
    QCOMPARE(h.text("Text1"), QStringLiteral("5"));
    QCOMPARE(h.text("Text2"), QStringLiteral("2"));
    QCOMPARE(h.combo("Combo1")->currentIndex(), 31);
    QCOMPARE(h.text("Text3"), QStringLiteral("3"));
    QCOMPARE(h.text("Text4"), QStringLiteral("5"));
    QCOMPARE(h.combo("Combo2")->currentIndex(), 16);
    QCOMPARE(h.text("Text5_0"), QStringLiteral("20"));
    QCOMPARE(h.text("Text5_1"), QStringLiteral("7"));
    QCOMPARE(h.combo("Combo3")->currentText(), QStringLiteral("アポジモーター"));
    QCOMPARE(h.text("Text6"), QStringLiteral("1C0"));
    h.write();
    QVERIFY2(h.answers.texts().isEmpty(), qPrintable(h.answers.last()));
    QVERIFY(h.game.stage() == before);
  }

  // Bytes 6 and 15 are never written; the two steps share byte 7.
  void writesEveryFieldAndTheNibblePair() {
    Harness h;
    placeWorkedStage(h);
    h.open();
    h.pickStage(kTestStage);
    h.pickRecord(2);
    h.type("Text1", QStringLiteral("65535"));
    h.type("Text2", QStringLiteral(" 258 "));
    h.combo("Combo1")->setCurrentIndex(836);
    h.type("Text3", QStringLiteral("0"));
    h.type("Text4", QStringLiteral("12"));
    h.combo("Combo2")->setCurrentIndex(734);
    h.type("Text5_0", QStringLiteral("99"));
    h.type("Text5_1", QStringLiteral("1000"));
    h.combo("Combo3")->setCurrentIndex(53);
    const QByteArray before = h.game.stage();
    h.write();
    QVERIFY2(h.answers.texts().isEmpty(), qPrintable(h.answers.last()));
    const QByteArray after = h.game.stage();
    QCOMPARE(after.mid(enemyAt(2), 16), QByteArray::fromHex("FFFF02014403A60CDE026300E8033559"));
    for (qint64 offset : differences(before, after))
      QVERIFY(offset >= enemyAt(2) && offset < enemyAt(3));
    // The written row is renamed in place, not rebuilt: the record stays picked.
    QCOMPARE(h.records()[2], QStringLiteral("机体3:机体0836"));
    QCOMPARE(h.list("List2")->currentRow(), 2);

    h.type("Text3", QStringLiteral("15"));
    h.type("Text4", QStringLiteral("15"));
    h.write();
    QCOMPARE(quint8(h.game.stage()[enemyAt(2) + 7]), quint8(0xFF));
  }

  void refusedEntriesNameTheirFieldAndWriteNothing_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("caption");
    QTest::newRow("order above a word") << "Text1"
                                        << "65536"
                                        << "“出场次序”";
    QTest::newRow("empty squad") << "Text2"
                                 << ""
                                 << "“小队编号”";
    QTest::newRow("weapon steps above 15") << "Text3"
                                           << "16"
                                           << "“武器改造段数”";
    QTest::newRow("negative unit steps") << "Text4"
                                         << "-1"
                                         << "“机体改造段数”";
    QTest::newRow("level not a number") << "Text5_0"
                                        << "1O"
                                        << "“机师LV”";
    QTest::newRow("kills in hex") << "Text5_1"
                                  << "0x10"
                                  << "“机师击坠数”";
  }
  void refusedEntriesNameTheirFieldAndWriteNothing() {
    QFETCH(QString, control);
    QFETCH(QString, entry);
    QFETCH(QString, caption);
    Harness h;
    placeWorkedStage(h);
    QWidget *form = h.open();
    const QByteArray before = h.game.stage();
    h.pickStage(kTestStage);
    h.pickRecord(2);
    h.type("Text1", QStringLiteral("9")); // an edit that must not be written either
    h.box(control)->setText(entry);
    h.write();
    QCOMPARE(h.answers.texts().size(), 1);
    QVERIFY2(h.answers.last().contains(caption), qPrintable(h.answers.last()));
    QCOMPARE(form->focusWidget(), h.box(control));
    QVERIFY(h.game.stage() == before);
  }

  void writeWithoutAPickedRecordWritesNothing() {
    Harness h;
    placeWorkedStage(h);
    h.open();
    const QByteArray before = h.game.stage();
    h.write();
    QVERIFY(h.answers.last().contains(QStringLiteral("选择关卡")));
    h.pickStage(kTestStage);
    h.write();
    QVERIFY(h.answers.last().contains(QStringLiteral("选择单位")));
    h.pickRecord(2);
    h.pickStage(0); // a new stage: no record picked again
    h.write();
    QVERIFY(h.answers.last().contains(QStringLiteral("选择单位")));
    QCOMPARE(h.answers.texts().size(), 3);
    QVERIFY(h.game.stage() == before);
  }

  // Count texts are read up to their first letter; a count of 0 lists nothing and
  // the fields keep what they showed.
  void countTexts() {
    Harness h;
    QStringList lines = h.offsetLines();
    lines[kTestStage] = stageLine("1A0", "7abc");
    lines[6] = stageLine("1A0", " 7");
    lines[7] = stageLine("1A0", "0");
    h.setOffsetLines(lines);
    h.patchStage(enemyAt(2), kWorkedRecord);
    h.open();
    QVERIFY(h.answers.texts().isEmpty());
    h.pickStage(kTestStage);
    QCOMPARE(h.records().size(), 7);
    h.pickStage(6);
    QCOMPARE(h.records().size(), 7);
    h.pickRecord(2);
    h.pickStage(7);
    QVERIFY(h.records().isEmpty());
    QCOMPARE(h.text("Text1"), QStringLiteral("5"));
    QCOMPARE(h.text("Text6"), QStringLiteral("1C0"));
  }

  // A written unit renames its row at once; a refused write leaves it. A stage of
  // no records says so beside its empty list.
  void aWriteRenamesItsRowAndAnEmptyStageSaysSo() {
    Harness h;
    QStringList lines = h.offsetLines();
    lines[kTestStage] = stageLine("1A0", "12");
    lines[7] = stageLine("1A0", "0");
    h.setOffsetLines(lines);
    h.patchStage(enemyAt(2), kWorkedRecord);
    QWidget *form = h.open();
    auto *note = h.control<QLabel>(QStringLiteral("NoRecordsNote"));
    QCOMPARE(note->text(), QStringLiteral("这一关没有配置记录"));
    QVERIFY(!note->isVisibleTo(form));
    h.pickStage(7);
    QVERIFY(h.records().isEmpty());
    QVERIFY(note->isVisibleTo(form));
    h.pickStage(kTestStage);
    QVERIFY(!note->isVisibleTo(form));

    QStringList rows = h.records();
    QCOMPARE(rows[2], QStringLiteral("机体3:机体0031"));
    h.pickRecord(2);
    h.combo("Combo1")->setCurrentIndex(100);
    h.type("Text1", QStringLiteral("x"));
    h.write();
    QCOMPARE(h.records(), rows);
    h.type("Text1", QStringLiteral("5"));
    h.write();
    QVERIFY2(h.answers.texts().size() == 1, qPrintable(h.answers.last()));
    rows[2] = QStringLiteral("机体3:机体0100");
    QCOMPARE(h.records(), rows);
    QCOMPARE(h.list("List2")->currentRow(), 2);
  }

  // One message names the file and its bad lines; those stages list no records.
  void badOffsetLinesAddressNoRecord() {
    Harness h;
    QStringList lines = h.offsetLines();
    lines[kTestStage] = stageLine("G1", "5");
    lines[6] = stageLine("0x1A0", "5");
    lines[7] = QStringLiteral("1A0");
    h.setOffsetLines(lines.mid(0, 170));
    h.open();
    QCOMPARE(h.answers.texts().size(), 1);
    for (const char *part : {"zcoffset.txt", "第 6 行", "第 7 行", "第 8 行", "第 171 到 173 行"})
      QVERIFY2(h.answers.last().contains(QString::fromUtf8(part)), qPrintable(h.answers.last()));
    QCOMPARE(h.list("List1")->count(), 173);
    for (int stage : {kTestStage, 6, 7, 172}) {
      h.pickStage(stage);
      QVERIFY(h.records().isEmpty());
    }
    h.pickStage(0);
    QVERIFY(!h.records().isEmpty());
  }

  // Codes the lists have no row for are listed and shown raw and written back.
  void unlistedCodesAreKept() {
    Harness h;
    placeWorkedStage(h);
    h.patchStage(enemyAt(2) + 4, QByteArray::fromHex("3412")); // unit 4660
    h.patchStage(enemyAt(2) + 8, QByteArray::fromHex("FFFF")); // pilot 65535
    h.patchStage(enemyAt(2) + 14, QByteArray::fromHex("36"));  // chip 54
    h.open();
    const QByteArray before = h.game.stage();
    h.pickStage(kTestStage);
    QCOMPARE(h.records()[2], QStringLiteral("机体3:（代码 4660）"));
    h.pickRecord(2);
    for (const char *name : {"Combo1", "Combo2", "Combo3"})
      QCOMPARE(h.combo(name)->currentIndex(), -1);
    h.write();
    QVERIFY2(h.answers.texts().isEmpty(), qPrintable(h.answers.last()));
    QVERIFY(h.game.stage() == before);
    h.combo("Combo3")->setCurrentIndex(0);
    h.write();
    QCOMPARE(int(h.game.stage()[enemyAt(2) + 14]), 0);
    QCOMPARE(wordAt(h.game.stage(), enemyAt(2) + 4), 4660u);
  }

  // A block reaching past the end of stage.bin keeps its rows; a record the file
  // does not wholly hold is refused when picked, and nothing makes the file longer.
  void aBlockPastTheFileEnd() {
    Harness h;
    const qint64 size = h.game.stage().size();
    h.setStageLine(kTestStage, stageLine(QString::number(size - 40, 16), "4"));
    h.open();
    const QByteArray before = h.game.stage();
    h.pickStage(kTestStage);
    const QStringList rows = h.records();
    QCOMPARE(rows.size(), 4);
    QVERIFY(rows[3].contains(QStringLiteral("超出文件")));
    h.pickRecord(3);
    QVERIFY(h.answers.last().contains(QStringLiteral("敌军配置记录")));
    QCOMPARE(h.list("List2")->currentRow(), -1);
    QVERIFY(h.text("Text6").isEmpty());
    h.write();
    QVERIFY(h.answers.last().contains(QStringLiteral("选择单位")));
    h.answers.clear();
    h.pickRecord(1); // the last record the file holds
    h.write();
    QVERIFY2(h.answers.texts().isEmpty(), qPrintable(h.answers.last()));
    QVERIFY(h.game.stage() == before);
  }

  // Rows 11 and 12 of the main window open the two deployment windows; "返回"
  // closes one and leaves the main window enabled.
  void theMainWindowOpensBothDeploymentWindows() {
    Form1 form;      // starts with no game files chosen
    SampleGame game; // then both are chosen
    ModalAnswerer answers;
    form.show();
    const std::pair<Section, const char *> editors[] = {{Section::EnemyDeployment, "Form13"},
                                                        {Section::AllyDeployment, "Form14"}};
    for (const auto &[section, name] : editors) {
      form.findChild<QListWidget *>(QStringLiteral("List1"))->setCurrentRow(sectionRow(section));
      form.findChild<QPushButton *>(QStringLiteral("Command3"))->click();
      QWidget *editor = form.registry().openWindow(section);
      QVERIFY(editor && editor->isVisible());
      QCOMPARE(editor->objectName(), QString::fromLatin1(name));
    }
    QCOMPARE(form.registry().openWindow(Section::EnemyDeployment)->windowTitle(),
             QStringLiteral("敌军配置"));
    QPointer<QWidget> allies = form.registry().openWindow(Section::AllyDeployment);
    QCOMPARE(allies->windowTitle(), QStringLiteral("我方配置"));
    allies->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!allies);
    QVERIFY(answers.texts().isEmpty());
    form.registry().closeAll();
  }
};

QTEST_MAIN(TestForm13)
#include "tst_form13.moc"
