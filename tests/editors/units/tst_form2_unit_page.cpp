// The unit page: what a pick shows, what a save writes, and every refusal.

#include "editors/shared/game_paths.h"
#include "editors/shared/record_clipboard.h"
#include "editors/units/unit_record.h"
#include "editors/units/weapon_record.h"
#include "tests/editors/units/form2_harness.h"
#include "tests/support/modal_answerer.h"

#include <QTest>

using namespace korvane::test;

namespace {

const QString kArmor255 = QStringLiteral("请填入1-255范围的整数");

} // namespace

class TestForm2UnitPage : public QObject {
  Q_OBJECT

private slots:
  void opensWithItsListsAndNothingPicked() {
    SampleGame game;
    ModalAnswerer answers;
    Form2Harness ui;
    QCOMPARE(ui.form()->objectName(), QStringLiteral("Form2"));
    QCOMPARE(ui.form()->windowTitle(), QStringLiteral("Korvane机体修改器"));
    QCOMPARE(ui.list("List1")->count(), 837);
    QCOMPARE(ui.list("List1")->item(836)->text(), QStringLiteral("机体0836"));
    QCOMPARE(ui.list("List1")->currentRow(), -1);
    QCOMPARE(ui.combo("Combo22")->count(), 837);
    QCOMPARE(ui.combo("Combo20")->count(), 125);
    QCOMPARE(ui.combo("Combo11")->count(), 14);
    QCOMPARE(ui.list("List3")->count(), 16);
    const auto *tabs = ui.control<QTabWidget>("SSTab1");
    QCOMPARE(tabs->tabText(0), QStringLiteral("机体修改"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("武器修改"));
    QVERIFY(ui.text("Text1").isEmpty());
    QVERIFY(answers.texts().isEmpty());
  }

  // The address and every box a field only displays: no save reads them, so they
  // take no typing and are grey like the deployment windows' address.
  void boxesNoSaveReadsAreGreyAndTakeNoTyping() {
    SampleGame game;
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(0);
    QStringList shownOnly{QStringLiteral("Text18")};
    for (const korvane::RecordLayout *layout :
         {&korvane::unitHeadLayout(), &korvane::weaponLayout()})
      for (const korvane::Field &field : layout->fields)
        if (!field.display.isEmpty())
          shownOnly << field.display;
    QCOMPARE(shownOnly.size(), 3);
    const QColor entryBase = ui.box("Text1")->palette().color(QPalette::Base);
    for (const QString &name : shownOnly) {
      QLineEdit *box = ui.box(name);
      QVERIFY2(box->isReadOnly(), qPrintable(name));
      QCOMPARE(box->focusPolicy(), Qt::NoFocus);
      QVERIFY2(box->palette().color(QPalette::Base) != entryBase, qPrintable(name));
      const QString shown = box->text();
      QTest::keyClicks(box, QStringLiteral("12"));
      QCOMPARE(box->text(), shown);
    }
  }

  void aMissingNameListIsReportedOnceAndRowsArePlaceholders() {
    SampleGame game;
    QFile::remove(game.listPath("ts.txt"));
    ModalAnswerer answers;
    Form2Harness ui;
    QCOMPARE(answers.texts().size(), 1);
    QVERIFY(answers.last().contains(QStringLiteral("ts.txt")));
    QCOMPARE(ui.combo("Combo20")->count(), 125);
  }

  void pickShowsTheHeadItsAddressAndTheWeaponRows() {
    SampleGame game;
    game.patchExe(unitStart(836) + 8, QByteArray::fromHex("FBFFFFFF")); // HP -5
    game.patchExe(unitStart(836) + 60, QByteArray::fromHex("0C"));
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(0);
    QCOMPARE(ui.text("Text18"), QStringLiteral("2BE710"));
    ui.pickWeapon(3);
    ui.pickUnit(836);
    QCOMPARE(ui.text("Text18"), QStringLiteral("353D80"));
    QCOMPARE(ui.text("Text1"), QStringLiteral("-5"));
    QCOMPARE(ui.text("Text17"), QStringLiteral("0C"));
    const QByteArray exe = game.exe();
    QCOMPARE(ui.combo("Combo22")->currentIndex(), 836);
    QCOMPARE(ui.text("Text34"), exe.mid(unitStart(836) + 4, 2).toHex().toUpper());
    QCOMPARE(ui.text("Text2"), QString::number(wordAt(exe, unitStart(836) + 12)));
    QCOMPARE(ui.combo("Combo11")->currentIndex(), int(quint8(exe[unitStart(836) + 61])));

    QListWidget *weapons = ui.list("List4");
    QCOMPARE(weapons->count(), 18);
    QCOMPARE(weapons->item(0)->text(), QStringLiteral("武器1"));
    QCOMPARE(weapons->item(17)->text(), QStringLiteral("武器18"));
    QCOMPARE(weapons->currentRow(), -1);
    QVERIFY(answers.texts().isEmpty());
  }

  // Only bits the page cannot show change: the upper equipment bits and bits 27
  // to 31 of the upgrade-range word. Bytes around the head stay as they were.
  void savingUnchangedRewritesOnlyTheBitsThePageCannotShow_data() {
    QTest::addColumn<int>("row");
    QTest::newRow("first") << 0;
    QTest::newRow("middle") << 418;
    QTest::newRow("last") << 836;
  }
  void savingUnchangedRewritesOnlyTheBitsThePageCannotShow() {
    QFETCH(int, row);
    SampleGame game;
    QByteArray exe = game.exe();
    exe[unitStart(row) + 54] = char(quint8(exe[unitStart(row) + 54]) | 0xA0);
    exe[unitStart(row) + 35] = char(quint8(exe[unitStart(row) + 35]) | 0xF8);
    game.setExe(exe);
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(row);
    ui.click("Command1");
    QVERIFY(answers.texts().isEmpty());
    const QByteArray after = game.exe();
    QCOMPARE(differences(exe, after), (QList<qint64>{unitStart(row) + 35, unitStart(row) + 54}));
    QCOMPARE(quint8(after[unitStart(row) + 54]), quint8(exe[unitStart(row) + 54]) & 0x0F);
    QCOMPARE(quint8(after[unitStart(row) + 35]), quint8(exe[unitStart(row) + 35]) & 0x07);
    QCOMPARE(ui.text("Text12"), after.mid(unitStart(row) + 32, 4).toHex().toUpper());
  }

  void everyShownFieldIsWrittenAtItsOffset() {
    SampleGame game;
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(2);
    ui.combo("Combo22")->setCurrentIndex(700);
    ui.type("Text34", QStringLiteral("3412"));
    ui.type("Text1", QStringLiteral("-2"));
    ui.type("Text5", QStringLiteral("65535"));
    ui.type("Text7", QStringLiteral("255"));
    ui.type("Text16", QStringLiteral("3"));
    ui.combo("Combo6")->setCurrentIndex(5);
    ui.combo("Combo8")->setCurrentIndex(25);
    ui.type("Text17", QStringLiteral("c"));
    ui.combo("Combo11")->setCurrentIndex(13);
    ui.click("Command1");
    QVERIFY(answers.texts().isEmpty());
    const QByteArray exe = game.exe();
    const qint64 head = unitStart(2);
    QCOMPARE(wordAt(exe, head), 700u);
    QCOMPARE(exe.mid(head + 4, 2), QByteArray::fromHex("3412"));
    QCOMPARE(dwordAt(exe, head + 8), 0xFFFFFFFEu);
    QCOMPARE(wordAt(exe, head + 18), 65535u);
    QCOMPARE(quint8(exe[head + 22]), 255);
    QCOMPARE(quint8(exe[head + 37]), 3);
    QCOMPARE(quint8(exe[head + 42]), 5);
    QCOMPARE(quint8(exe[head + 45]), 25);
    QCOMPARE(quint8(exe[head + 60]), 0x0C);
    QCOMPARE(quint8(exe[head + 61]), 13);
  }

  // A number written the way an input method or a spreadsheet writes it means what
  // it means in an import; a range box takes it without announcing a replacement.
  void numbersAreTakenInEveryFormAnImportTakes() {
    SampleGame game;
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(5);
    ui.type("Text1", QStringLiteral("１２３４"));
    ui.type("Text5", QStringLiteral("12.0"));
    ui.type("Text7", QStringLiteral("　７　"));
    ui.type("Text33", QStringLiteral("１０００"));
    ui.type("Text13", QStringLiteral("20.0"));
    QVERIFY2(answers.texts().isEmpty(), qPrintable(answers.texts().join('\n')));
    ui.click("Command1");
    QVERIFY2(answers.texts().isEmpty(), qPrintable(answers.texts().join('\n')));
    const QByteArray exe = game.exe();
    const qint64 head = unitStart(5);
    QCOMPARE(dwordAt(exe, head + 8), 1234u);
    QCOMPARE(wordAt(exe, head + 18), 12u);
    QCOMPARE(quint8(exe[head + 22]), 7);
    QCOMPARE(dwordAt(exe, head + 32) & 0x3FF, 1000u);
    QCOMPARE((dwordAt(exe, head + 32) >> 19) & 0xFF, 20u);
  }

  void upgradeRangeWordIsShownAndComposed_data() {
    QTest::addColumn<quint32>("word");
    QTest::addColumn<QString>("wordText");
    QTest::addColumn<QStringList>("ranges"); // Text13 armor, Text14 mobility, Text15 EN, Text33 HP
    QTest::newRow("all at maximum")
        << 0x07FFFFFFu << "FFFFFF07" << QStringList{"255", "15", "31", "1023"};
    QTest::newRow("mixed") << 0x01009040u << "40900001" << QStringList{"32", "1", "4", "64"};
    QTest::newRow("all at 1") << 0x00088401u << "01840800" << QStringList{"1", "1", "1", "1"};
  }
  void upgradeRangeWordIsShownAndComposed() {
    QFETCH(quint32, word);
    QFETCH(QString, wordText);
    QFETCH(QStringList, ranges);
    const char *boxes[] = {"Text13", "Text14", "Text15", "Text33"};
    SampleGame game;
    ModalAnswerer answers;
    Form2Harness ui;

    game.patchExe(unitStart(7) + 32, QByteArray::fromHex(wordText.toLatin1()));
    ui.pickUnit(7);
    QCOMPARE(ui.text("Text12"), wordText);
    for (int k = 0; k < 4; ++k)
      QCOMPARE(ui.text(boxes[k]), ranges[k]);

    ui.pickUnit(8);
    for (int k = 0; k < 4; ++k)
      ui.type(boxes[k], ranges[k]);
    ui.click("Command1");
    QCOMPARE(dwordAt(game.exe(), unitStart(8) + 32), word);
    QCOMPARE(ui.text("Text12"), wordText);
    QVERIFY(answers.texts().isEmpty());
  }

  void upgradeRangeHighBitsAreShownButWrittenAsZero() {
    SampleGame game;
    game.patchExe(unitStart(3) + 32, QByteArray::fromHex("018408F8")); // 0xF8088401
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(3);
    QCOMPARE(ui.text("Text12"), QStringLiteral("018408F8"));
    QCOMPARE(ui.text("Text33"), QStringLiteral("1"));
    QCOMPARE(ui.text("Text13"), QStringLiteral("1"));
    ui.click("Command1");
    QCOMPARE(dwordAt(game.exe(), unitStart(3) + 32), 0x00088401u);
    QCOMPARE(ui.text("Text12"), QStringLiteral("01840800"));
  }

  void rangeCheckAnnouncesAndReplacesEntriesOutOfRange() {
    SampleGame game;
    game.patchExe(unitStart(4) + 32, QByteArray::fromHex("00FCFF07")); // HP range 0
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(4);
    QCOMPARE(answers.texts().size(), 1);
    QVERIFY2(answers.last().startsWith(QStringLiteral(
                 "“HP(1023)”：文件中是 0，不在 1 到 1023 之间，窗口中换成了 1023。")),
             qPrintable(answers.last()));
    QCOMPARE(ui.text("Text33"), QStringLiteral("1023"));

    answers.clear();
    ui.type("Text13", QStringLiteral("300"));
    ui.type("Text13", QStringLiteral("200x")); // its leading number is in range
    ui.type("Text13", QString());
    ui.type("Text14", QStringLiteral("15"));
    ui.type("Text15", QStringLiteral("-1"));
    QCOMPARE(answers.texts(),
             (QStringList{kArmor255, kArmor255, QStringLiteral("请填入1-31范围的整数")}));
    QCOMPARE(ui.text("Text13"), QStringLiteral("255"));
    QCOMPARE(ui.text("Text15"), QStringLiteral("31"));
  }

  // A range replaced on show is never written unasked: the save names the box, the
  // stored value and the one it would write; Cancel writes nothing.
  void aRangeReplacedOnShowIsWrittenOnlyWhenConfirmed() {
    SampleGame game;
    game.patchExe(unitStart(4) + 32, QByteArray::fromHex("00FCFF07")); // HP range 0
    const QByteArray before = game.exe();
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(4);
    answers.clear();
    ui.type("Text1", QStringLiteral("12345"));
    answers.answer({QMessageBox::Cancel});
    ui.click("Command1");
    QCOMPARE(answers.texts().size(), 1);
    QVERIFY2(answers.last().contains(QStringLiteral("“HP(1023)”：文件中是 0，将写入 1023")),
             qPrintable(answers.last()));
    QCOMPARE(game.exe(), before);

    ui.click("Command1"); // OK
    QCOMPARE(answers.texts().size(), 2);
    QCOMPARE(dwordAt(game.exe(), unitStart(4) + 8), 12345u);
    QCOMPARE(dwordAt(game.exe(), unitStart(4) + 32) & 0x3FF, 1023u);
    ui.click("Command1"); // the file holds it now
    QCOMPARE(answers.texts().size(), 2);

    // A value typed over the replacement is the user's own.
    game.patchExe(unitStart(4) + 32, QByteArray::fromHex("00FCFF07"));
    ui.pickUnit(5);
    ui.pickUnit(4);
    answers.clear();
    ui.type("Text33", QStringLiteral("500"));
    ui.click("Command1");
    QCOMPARE(answers.texts(), QStringList{});
    QCOMPARE(dwordAt(game.exe(), unitStart(4) + 32) & 0x3FF, 500u);
  }

  void tickedRowsAreTheEquipmentAndAbilityBits() {
    SampleGame game;
    game.patchExe(unitStart(1) + 54, QByteArray::fromHex("05"));
    game.patchExe(unitStart(1) + 56, QByteArray::fromHex("0100"));
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(1);
    QCOMPARE(ui.tickedRows("List2"), (QList<int>{0, 2}));
    QCOMPARE(ui.tickedRows("List3"), (QList<int>{15}));

    ui.tickOnly("List2", {0, 3});
    ui.tickOnly("List3", {0});
    ui.click("Command1");
    QCOMPARE(quint8(game.exe()[unitStart(1) + 54]), 9);
    QCOMPARE(game.exe().mid(unitStart(1) + 56, 2), QByteArray::fromHex("0080"));
    ui.tickOnly("List3", {15});
    ui.click("Command1");
    QCOMPARE(game.exe().mid(unitStart(1) + 56, 2), QByteArray::fromHex("0100"));
  }

  void codesBeyondTheirListAreKeptUnlessARowIsPicked() {
    SampleGame game;
    game.patchExe(unitStart(6), QByteArray::fromHex("8403"));    // unit code 900
    game.patchExe(unitStart(6) + 20, QByteArray::fromHex("06")); // size 6
    game.patchExe(unitStart(6) + 61, QByteArray::fromHex("FF"));
    const QByteArray before = game.exe();
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(6);
    QCOMPARE(ui.combo("Combo22")->currentIndex(), -1);
    QVERIFY(ui.combo("Combo22")->placeholderText().contains(QStringLiteral("900")));
    QCOMPARE(ui.combo("Combo1")->currentIndex(), -1);
    ui.click("Command1");
    QCOMPARE(differences(before, game.exe()), QList<qint64>{});

    ui.combo("Combo1")->setCurrentIndex(2);
    ui.click("Command1");
    QCOMPARE(differences(before, game.exe()), QList<qint64>{unitStart(6) + 20});
    QCOMPARE(quint8(game.exe()[unitStart(6) + 20]), 2);
  }

  void savingWithNoUnitPickedWritesNothing() {
    SampleGame game;
    const QByteArray before = game.exe();
    ModalAnswerer answers;
    Form2Harness ui;
    ui.click("Command1");
    QCOMPARE(answers.texts().size(), 1);
    QCOMPARE(game.exe(), before);
  }

  // A field that cannot take its entry refuses the whole save, naming the field.
  void aBadEntryRefusesTheWholeSave_data() {
    QTest::addColumn<QByteArray>("box");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("named");
    QTest::newRow("word too large") << QByteArray("Text2") << "70000"
                                    << "EN";
    QTest::newRow("byte too large") << QByteArray("Text6") << "300"
                                    << "編成占位";
    QTest::newRow("letters in HP") << QByteArray("Text1") << "12a"
                                   << "HP";
    QTest::newRow("not hex") << QByteArray("Text17") << "G1"
                             << "敌我判定";
    QTest::newRow("range with text") << QByteArray("Text33") << "12abc"
                                     << "HP(1023)";
  }
  void aBadEntryRefusesTheWholeSave() {
    QFETCH(QByteArray, box);
    QFETCH(QString, entry);
    QFETCH(QString, named);
    SampleGame game;
    const QByteArray before = game.exe();
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(10);
    ui.type("Text3", QStringLiteral("9")); // a good edit that must not be written either
    ui.type(box.constData(), entry);
    ui.click("Command1");
    QCOMPARE(answers.texts().size(), 1);
    QVERIFY2(answers.last().contains(named), qPrintable(answers.last()));
    QCOMPARE(game.exe(), before);
  }

  void aFileTooShortForTheRecordIsRefused() {
    SampleGame game;
    const QByteArray shortExe = game.exe().left(unitStart(836) + 20);
    game.setExe(shortExe);
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(836); // not shown as zeros: refused, and the pick is undone
    QCOMPARE(answers.texts().size(), 1);
    QVERIFY(answers.last().contains(QStringLiteral("机体数据")));
    QVERIFY(answers.last().contains(QStringLiteral("SLPS_255.37")));
    QCOMPARE(ui.list("List1")->currentRow(), -1);
    answers.clear();
    ui.click("Command1");
    QCOMPARE(answers.texts(), QStringList{korvane::pickRecordMessage()});
    QCOMPARE(game.exe(), shortExe);
  }

  // A show that fails leaves the page holding the unit picked before; that must
  // not be saveable over the newly picked one.
  void aFailedShowLeavesNoUnitToSaveOver() {
    SampleGame game;
    const QByteArray before = game.exe();
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(1);
    korvane::gamePaths().ExePath =
        korvane::GameFileRef::plain(game.dir() + QStringLiteral("/missing"));
    ui.pickUnit(2);
    QCOMPARE(answers.texts().size(), 1);
    QCOMPARE(ui.list("List1")->currentRow(), -1);
    QCOMPARE(ui.list("List4")->count(), 0);
    korvane::gamePaths().ExePath = korvane::GameFileRef::plain(game.exePath());
    ui.click("Command1");
    QCOMPARE(answers.texts().size(), 2);
    QCOMPARE(game.exe(), before);
  }

  void returnClosesTheWindow() {
    SampleGame game;
    ModalAnswerer answers;
    Form2Harness ui;
    ui.click("Command3");
    QTRY_VERIFY(!ui.form());
  }
};

QTEST_MAIN(TestForm2UnitPage)
#include "tst_form2_unit_page.moc"
