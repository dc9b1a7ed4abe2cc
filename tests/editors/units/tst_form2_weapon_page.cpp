// The weapon page: where an entry lies, how its signed and packed fields are shown
// and written, and every refusal.

#include "tests/editors/units/form2_harness.h"
#include "tests/support/modal_answerer.h"

#include <QTest>

using namespace korvane::test;

namespace {

const char *const kTraitBoxes[] = {"Check1_0", "Check1_1", "Check1_2", "Check1_3"};

QList<bool> ticks(const Form2Harness &ui) {
  QList<bool> ticked;
  for (const char *name : kTraitBoxes)
    ticked.append(ui.check(name)->isChecked());
  return ticked;
}

// Every shown field of the entry set to 1, or to 0x0101 for the words: with the
// entry zeroed before, every shown byte then changes and no other.
void setEveryFieldToOne(const Form2Harness &ui) {
  for (const char *box : {"Text19", "Text22", "Text23"})
    ui.type(box, QStringLiteral("257"));
  for (const char *box : {"Text20", "Text21", "Text24", "Text25", "Text26", "Text31", "Text32"})
    ui.type(box, QStringLiteral("1"));
  for (const char *box : {"Text27", "Text28"})
    ui.type(box, QStringLiteral("01"));
  for (const char *combo : {"Combo12", "Combo13", "Combo14", "Combo15", "Combo16", "Combo17",
                            "Combo18", "Combo19", "Combo23", "Combo20", "Combo21"})
    ui.combo(combo)->setCurrentIndex(1);
}

} // namespace

class TestForm2WeaponPage : public QObject {
  Q_OBJECT

private slots:
  void aSaveWritesExactlyTheShownBytesOfItsEntry_data() {
    QTest::addColumn<int>("unit");
    QTest::addColumn<int>("weapon");
    QTest::addColumn<qint64>("first");
    QTest::addColumn<qint64>("last");
    QTest::newRow("first entry") << 0 << 0 << qint64(2877294) << qint64(2877319);
    QTest::newRow("last entry") << 0 << 17 << qint64(2877906) << qint64(2877931);
    QTest::newRow("last unit") << 836 << 17 << entryStart(836, 17) + 10 << qint64(0x35405B);
  }
  void aSaveWritesExactlyTheShownBytesOfItsEntry() {
    QFETCH(int, unit);
    QFETCH(int, weapon);
    QFETCH(qint64, first);
    QFETCH(qint64, last);
    SampleGame game;
    game.patchExe(entryStart(unit, weapon) + 10, QByteArray(26, '\0'));
    const QByteArray before = game.exe();
    ModalAnswerer answers;
    Form2Harness ui;
    ui.showWeaponPage();
    ui.pickUnit(unit);
    ui.pickWeapon(weapon);
    setEveryFieldToOne(ui);
    ui.check("Check1_3")->setChecked(true);
    ui.click("Command2");
    QCOMPARE(answers.texts(), QStringList{});
    QCOMPARE(differences(before, game.exe()), span(first, last));
  }

  void pickShowsTheEntryAndRereadsTheHead() {
    SampleGame game;
    game.patchExe(entryStart(5, 2) + 10, QByteArray::fromHex("D007")); // attack 2000
    game.patchExe(entryStart(5, 2) + 28, QByteArray::fromHex("0AFF")); // ranges as hex
    game.patchExe(entryStart(5, 2) + 31, QByteArray::fromHex("38"));   // last animation
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(5);
    const QString hp = ui.text("Text1");
    ui.type("Text1", QStringLiteral("1"));
    ui.pickWeapon(2);
    QCOMPARE(ui.text("Text1"), hp); // the unsaved head edit is dropped
    QCOMPARE(ui.text("Text19"), QStringLiteral("2000"));
    QCOMPARE(ui.text("Text27"), QStringLiteral("0A"));
    QCOMPARE(ui.text("Text28"), QStringLiteral("FF"));
    QCOMPARE(ui.combo("Combo23")->currentIndex(), 56);
  }

  void bonusesAreSignedAndShowTheirStoredFormAfterASave() {
    SampleGame game;
    game.patchExe(entryStart(1, 4) + 14, QByteArray::fromHex("FFFF0A00"));
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(1);
    ui.pickWeapon(4);
    QCOMPARE(ui.text("Text22"), QStringLiteral("-1"));
    QCOMPARE(ui.text("Text23"), QStringLiteral("10"));
    ui.type("Text23", QStringLiteral("-10"));
    ui.click("Command2");
    QCOMPARE(game.exe().mid(entryStart(1, 4) + 14, 4), QByteArray::fromHex("FFFFF6FF"));
    QCOMPARE(ui.text("Text22"), QStringLiteral("65535"));
    QCOMPARE(ui.text("Text23"), QStringLiteral("65526"));
    // The stored form saves to the same bytes.
    ui.click("Command2");
    QCOMPARE(game.exe().mid(entryStart(1, 4) + 14, 4), QByteArray::fromHex("FFFFF6FF"));
    QCOMPARE(answers.texts(), QStringList{});
  }

  void skillAndTraitsByteIsSplitAndComposed() {
    SampleGame game;
    game.patchExe(entryStart(2, 0) + 33, QByteArray::fromHex("25"));
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(2);
    ui.pickWeapon(0);
    QCOMPARE(ui.text("Text30"), QStringLiteral("25"));
    QCOMPARE(ui.combo("Combo21")->currentText(), QStringLiteral("20-ニュータイプ"));
    QCOMPARE(ui.check("Check1_1")->text(), QStringLiteral("サイズ補正無視"));
    QCOMPARE(ui.check("Check1_3")->text(), QStringLiteral("物理属性"));
    QCOMPARE(ticks(ui), (QList<bool>{false, true, false, true}));
    ui.click("Command2");
    QCOMPARE(quint8(game.exe()[entryStart(2, 0) + 33]), 0x25);

    ui.combo("Combo21")->setCurrentIndex(0);
    for (const char *name : kTraitBoxes)
      ui.check(name)->setChecked(false);
    ui.click("Command2");
    QCOMPARE(quint8(game.exe()[entryStart(2, 0) + 33]), 0x00);
    QCOMPARE(ui.text("Text30"), QStringLiteral("25")); // not rewritten by a save
    for (const char *name : kTraitBoxes)
      ui.check(name)->setChecked(true);
    ui.click("Command2");
    QCOMPARE(quint8(game.exe()[entryStart(2, 0) + 33]), 0x0F);
    ui.check("Check1_0")->setChecked(false);
    ui.combo("Combo21")->setCurrentIndex(3);
    ui.click("Command2");
    QCOMPARE(quint8(game.exe()[entryStart(2, 0) + 33]), 0x37);
  }

  void codesBeyondTheirListAreKept() {
    SampleGame game;
    game.patchExe(entryStart(3, 9) + 31,
                  QByteArray::fromHex("FA7E5A")); // animation, effect, skill
    const QByteArray before = game.exe();
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(3);
    ui.pickWeapon(9);
    QCOMPARE(ui.combo("Combo21")->currentIndex(), -1);
    QCOMPARE(ui.combo("Combo23")->currentIndex(), -1);
    QCOMPARE(ui.combo("Combo20")->currentIndex(), -1);
    QCOMPARE(ticks(ui), (QList<bool>{true, false, true, false}));
    ui.click("Command2");
    QCOMPARE(differences(before, game.exe()), QList<qint64>{});
    ui.check("Check1_3")->setChecked(true);
    ui.click("Command2");
    QCOMPARE(quint8(game.exe()[entryStart(3, 9) + 33]), 0x5B);
  }

  void savingWithoutAPickedWeaponWritesNothing() {
    SampleGame game;
    const QByteArray before = game.exe();
    ModalAnswerer answers;
    Form2Harness ui;
    ui.click("Command2"); // no unit
    ui.pickUnit(4);
    ui.click("Command2"); // no weapon yet
    ui.pickWeapon(1);
    ui.pickUnit(5); // a new unit leaves no weapon picked
    QCOMPARE(ui.list("List4")->currentRow(), -1);
    ui.click("Command2");
    QCOMPARE(answers.texts().size(), 3);
    QCOMPARE(answers.last(), QStringLiteral("请先在武器列表中选择一项武器。"));
    QCOMPARE(game.exe(), before);
  }

  void aBadEntryRefusesTheWholeSave_data() {
    QTest::addColumn<QByteArray>("box");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("named");
    QTest::newRow("range byte") << QByteArray("Text20") << "300"
                                << "射程";
    QTest::newRow("bonus below a word") << QByteArray("Text22") << "-40000"
                                        << "命中";
    QTest::newRow("not hex") << QByteArray("Text27") << "XY"
                             << "中心.方向范围";
    QTest::newRow("empty skill level") << QByteArray("Text32") << ""
                                       << "技能等级";
  }
  void aBadEntryRefusesTheWholeSave() {
    QFETCH(QByteArray, box);
    QFETCH(QString, entry);
    QFETCH(QString, named);
    SampleGame game;
    const QByteArray before = game.exe();
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(11);
    ui.pickWeapon(6);
    ui.type("Text24", QStringLiteral("7"));
    ui.type(box.constData(), entry);
    ui.click("Command2");
    QCOMPARE(answers.texts().size(), 1);
    QVERIFY2(answers.last().contains(named), qPrintable(answers.last()));
    QCOMPARE(game.exe(), before);
  }
};

QTEST_MAIN(TestForm2WeaponPage)
#include "tst_form2_weapon_page.moc"
