#include "editors/shared/record_clipboard.h"
#include "io/name_list.h"
#include "tests/editors/characters/form3_harness.h"
#include "tools/sample_data.h"

using namespace korvane;
using namespace korvane::test;

namespace {

// Record offsets that the window shows; a save may write these and no others.
bool isShownOffset(qint64 offset) {
  return offset <= 1 || (offset >= 72 && offset <= 78) || (offset >= 82 && offset <= 86) ||
         offset >= 100;
}

QString slotBox(int column, int slot) { return QStringLiteral("Text%1_%2").arg(column).arg(slot); }

} // namespace

class TestForm3Record : public QObject {
  Q_OBJECT

private slots:
  void showsAndSavesTheFirstAndLastRecords() {
    Form3Harness h;
    patchCharacter(h.game, 0, 72, QByteArray::fromHex("01020304050607"));
    patchCharacter(h.game, kLastPilot, 82, QByteArray::fromHex("000102050C"));
    h.open();
    QCOMPARE(h.list()->currentRow(), -1);
    h.pick(0);
    for (int i = 1; i <= 7; ++i)
      QCOMPARE(h.box(QStringLiteral("Text%1").arg(i))->text(), QString::number(i));
    h.pick(kLastPilot);
    QCOMPARE(h.combo("Combo7")->currentText(), QStringLiteral("机师0734"));
    QCOMPARE(h.combo("Combo2")->currentText() + h.combo("Combo5")->currentText(), "SE");
    QCOMPARE(h.box("Text20")->text(), QStringLiteral("0C"));

    const QByteArray before = h.game.exe();
    h.combo("Combo7")->setCurrentIndex(700);
    for (int i = 1; i <= 7; ++i)
      h.box(QStringLiteral("Text%1").arg(i))->setText(QString::number(240 + i));
    h.combo("Combo3")->setCurrentIndex(4);
    h.box("Text20")->setText(QStringLiteral("5a"));
    for (int k = 0; k < 6; ++k) {
      h.combo(QStringLiteral("Combo1_%1").arg(k))->setCurrentIndex(30 + k);
      h.combo(QStringLiteral("Combo6_%1").arg(k))->setCurrentIndex(35 + k);
      for (int column = 8; column <= 19; ++column)
        h.box(slotBox(column, k))->setText(QString::number(10 * k + column));
    }
    h.click("save");
    QVERIFY2(h.answers.texts().isEmpty(), qPrintable(h.answers.last()));

    const QByteArray after = h.game.exe();
    const QByteArray record = characterBytes(after, kLastPilot);
    QCOMPARE(wordAt(record, 0), 700u);
    QCOMPARE(record.mid(72, 7), QByteArray::fromHex("F1F2F3F4F5F6F7"));
    QCOMPARE(record.mid(82, 5), QByteArray::fromHex("000402055A"));
    for (int k = 0; k < 6; ++k) {
      QCOMPARE(int(record[100 + 4 * k]), 30 + k);
      for (int column = 8; column <= 10; ++column)
        QCOMPARE(int(record[100 + 4 * k + column - 7]), 10 * k + column);
      QCOMPARE(int(record[124 + 10 * k]), 35 + k);
      for (int level = 1; level <= 9; ++level) // Text11 is L1
        QCOMPARE(int(record[124 + 10 * k + level]), 10 * k + 10 + level);
    }
    for (qint64 offset : differences(before, after)) {
      QVERIFY(offset >= characterAt(kLastPilot) && offset < kCharacterTableEnd);
      QVERIFY2(isShownOffset(offset - characterAt(kLastPilot)),
               qPrintable(QString::number(offset)));
    }
  }

  // The unshown bytes of the sample are random: a save that touched them would show.
  void savingWhatWasShownChangesNoByte() {
    Form3Harness h;
    h.open();
    const QByteArray before = h.game.exe();
    for (int row : {0, 367, kLastPilot}) {
      h.pick(row);
      h.click("save");
    }
    QVERIFY(h.answers.texts().isEmpty());
    QVERIFY(h.game.exe() == before);
  }

  void showsSpiritAndSkillSlots() {
    Form3Harness h;
    patchCharacter(h.game, 9, 100, QByteArray::fromHex("0001020323FF0A0B"));
    patchCharacter(h.game, 9, 124, QByteArray(1, 40));
    patchCharacter(h.game, 9, 174, QByteArray::fromHex("19010203040506070809"));
    h.open();
    h.pick(9);
    QCOMPARE(h.combo("Combo1_0")->currentText(), QStringLiteral("----"));
    QCOMPARE(h.box("Text8_0")->text() + h.box("Text9_0")->text() + h.box("Text10_0")->text(),
             "123");
    QCOMPARE(h.combo("Combo1_1")->currentText(), QStringLiteral("応援"));
    QCOMPARE(h.box("Text8_1")->text(), QStringLiteral("255"));
    QCOMPARE(h.combo("Combo6_0")->currentText(), QStringLiteral("サイズ差補正無視"));
    QCOMPARE(h.combo("Combo6_5")->currentText(), QStringLiteral("ニュータイプ"));
    for (int level = 1; level <= 9; ++level)
      QCOMPARE(h.box(slotBox(10 + level, 5))->text(), QString::number(level));
  }

  void sideCodeIsHex() {
    Form3Harness h;
    patchCharacter(h.game, 4, 86, QByteArray(1, 0x0C));
    h.open();
    h.pick(4);
    QCOMPARE(h.box("Text20")->text(), QStringLiteral("0C"));
    h.click("save");
    QCOMPARE(int(h.game.exe()[characterAt(4) + 86]), 0x0C);
    h.box("Text20")->setText(QStringLiteral("8"));
    h.click("save");
    QCOMPARE(int(h.game.exe()[characterAt(4) + 86]), 0x08);
  }

  // A code that its list has no row for shows as itself and goes back unchanged.
  void unlistedCodesArePreserved() {
    Form3Harness h;
    patchCharacter(h.game, 20, 0, QByteArray::fromHex("3412")); // 4660
    patchCharacter(h.game, 20, 83, QByteArray(1, 9));
    patchCharacter(h.game, 20, 108, QByteArray(1, 36));
    patchCharacter(h.game, 20, 154, QByteArray(1, 41));
    h.open();
    const QByteArray before = h.game.exe();
    h.pick(20);
    for (const char *name : {"Combo7", "Combo3", "Combo1_2", "Combo6_3"})
      QCOMPARE(h.combo(name)->currentIndex(), -1);
    QVERIFY(h.combo("Combo7")->placeholderText().contains(QStringLiteral("4660")));
    h.click("save");
    QVERIFY(h.game.exe() == before);
    h.combo("Combo6_3")->setCurrentIndex(2); // a picked row replaces the code
    h.click("save");
    QCOMPARE(int(h.game.exe()[characterAt(20) + 154]), 2);
    QCOMPARE(wordAt(h.game.exe(), characterAt(20)), 4660u);
  }

  void refusedEntriesNameTheirFieldAndWriteNothing_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("caption");
    QTest::newRow("above a byte") << "Text1"
                                  << "256"
                                  << "“SP”";
    QTest::newRow("negative") << "Text6"
                              << "-1"
                              << "“回避”";
    QTest::newRow("empty cost") << "Text9_2"
                                << ""
                                << "“消耗SP 左格（第3行）”";
    QTest::newRow("last level") << "Text19_5"
                                << "x"
                                << "“修得等级 L9（第6行）”";
    QTest::newRow("three hex digits") << "Text20"
                                      << "10C"
                                      << "“敌我判定”";
    QTest::newRow("not hex") << "Text20"
                             << "G"
                             << "“敌我判定”";
  }
  void refusedEntriesNameTheirFieldAndWriteNothing() {
    QFETCH(QString, control);
    QFETCH(QString, entry);
    QFETCH(QString, caption);
    Form3Harness h;
    QWidget *form = h.open();
    const QByteArray before = h.game.exe();
    h.pick(11);
    h.box("Text2")->setText(QStringLiteral("9")); // an edit that must not be written either
    h.box(control)->setText(entry);
    h.click("save");
    QCOMPARE(h.answers.texts().size(), 1);
    QVERIFY2(h.answers.last().contains(caption), qPrintable(h.answers.last()));
    QCOMPARE(form->focusWidget(), h.box(control));
    QVERIFY(h.game.exe() == before);
  }

  void commandsWithoutAPickedPilotWriteNothing() {
    Form3Harness h;
    h.open();
    const QByteArray before = h.game.exe();
    for (const char *button : {"save", "Command2", "Command3"})
      h.click(button);
    QCOMPARE(h.answers.texts(), QStringList(3, pickRecordMessage()));
    QVERIFY(h.game.exe() == before);
  }

  // A record that the file cannot hold is not shown as zeros, nor saved.
  void aShortGameFileIsRefused() {
    Form3Harness h;
    const QByteArray full = h.game.exe();
    h.game.setExe(full.left(characterAt(kLastPilot) + 100));
    h.open();
    const QByteArray before = h.game.exe();
    h.pick(kLastPilot);
    QVERIFY(h.answers.last().contains(QStringLiteral("人物数据")));
    QCOMPARE(h.list()->currentRow(), -1);
    h.click("save");
    QCOMPARE(h.answers.last(), pickRecordMessage());
    QVERIFY(h.game.exe() == before);

    h.game.setExe(full.left(kCharacterTableEnd));
    h.answers.clear();
    h.pick(kLastPilot); // a file that ends with the table holds the last record
    h.click("save");
    QVERIFY2(h.answers.texts().isEmpty(), qPrintable(h.answers.last()));
  }

  void readsTheFirst735PilotNames() {
    Form3Harness h;
    QStringList lines;
    for (int i = 0; i < 800; ++i)
      lines << QStringLiteral("人物%1").arg(i);
    SampleGame::writeFile(h.game.listPath("pilot.txt"), samples::encodeGbk(lines));
    h.open();
    QCOMPARE(h.list()->count(), 735);
    QCOMPARE(h.combo("Combo7")->count(), 735);
    QCOMPARE(h.combo("Combo7")->itemText(734), QStringLiteral("人物734"));
    QVERIFY(h.answers.texts().isEmpty());
  }

  void aShortPilotListIsReportedAndFilledWithPlaceholders() {
    Form3Harness h;
    SampleGame::writeFile(h.game.listPath("pilot.txt"), samples::encodeGbk({"甲", "乙", "丙"}));
    h.open();
    QCOMPARE(h.answers.texts().size(), 1);
    QVERIFY(h.answers.last().contains(QStringLiteral("pilot.txt")));
    QCOMPARE(h.list()->count(), 735);
    QCOMPARE(h.list()->item(3)->text(), missingNamePlaceholder(3));
    h.pick(500); // the records stay editable
    QCOMPARE(h.combo("Combo7")->currentText(), missingNamePlaceholder(500));
  }
};

QTEST_MAIN(TestForm3Record)
#include "tst_form3_record.moc"
