#include "editors/shared/record_clipboard.h"
#include "editors/tables/form6.h"
#include "tests/editors/tables/table_harness.h"

using namespace korvane;
using namespace korvane::test;

namespace {

constexpr qint64 kAbilityTable = 0x3792F0;
constexpr int kLastPilot = 734;

qint64 entryAt(int pilot) { return kAbilityTable + 2 * qint64(pilot); }

using Harness = TableHarness<Form6>;

const QString kFirst = QStringLiteral("Combo1_0");
const QString kSecond = QStringLiteral("Combo1_1");

} // namespace

class TestForm6 : public QObject {
  Q_OBJECT

private slots:
  void opensFromItsMainWindowRowWithNothingPicked() {
    Form1 main;      // starts with no game files chosen
    SampleGame game; // then both are chosen
    ModalAnswerer answers;
    QWidget *form = openFromMainWindow(main, Section::LeaderAbilities);
    QVERIFY(form && form->isVisible());
    QCOMPARE(form->objectName(), QStringLiteral("Form6"));
    QCOMPARE(form->windowTitle(), QStringLiteral("小队长能力"));
    QCOMPARE(form->findChild<QListWidget *>(QStringLiteral("List1"))->currentRow(), -1);
    for (const QString &combo : {kFirst, kSecond})
      QCOMPARE(form->findChild<QComboBox *>(combo)->currentIndex(), -1);
    QVERIFY(closesWithReturn(main, Section::LeaderAbilities, QStringLiteral("Open")));
    QVERIFY(answers.texts().isEmpty());
  }

  void listsThePilotsAndTheAbilitiesTwice() {
    Harness h;
    h.open();
    QCOMPARE(h.list()->count(), 735);
    QCOMPARE(h.list()->item(kLastPilot)->text(), QStringLiteral("机师0734"));
    QVERIFY(h.form()->findChild<QLineEdit *>(QStringLiteral("List1Filter")));
    for (const QString &combo : {kFirst, kSecond}) {
      QCOMPARE(h.combo(combo)->count(), 63);
      QCOMPARE(h.combo(combo)->itemText(0), QStringLiteral("----"));
      QCOMPARE(h.combo(combo)->itemText(29),
               QStringLiteral("对男性攻击力＋２０％,对女性攻撃力－２０％"));
      QCOMPARE(h.combo(combo)->itemText(62), QStringLiteral("小队全员『サイズ差補正無視』"));
    }
    QCOMPARE(h.headingOver(kFirst), QStringLiteral("小队长能力1"));
    QCOMPARE(h.headingOver(kSecond), QStringLiteral("小队长能力2"));
    QVERIFY(h.combo(kSecond)->y() > h.combo(kFirst)->y());
    // "返回" and "保存" side by side at the bottom right.
    auto *back = h.control<QPushButton>(QStringLiteral("Open"));
    auto *save = h.control<QPushButton>(QStringLiteral("save"));
    QCOMPARE(back->y(), save->y());
    QVERIFY(back->x() < save->x() && save->y() > h.combo(kSecond)->y());
    QVERIFY(back->x() > h.list()->geometry().right());
  }

  // The worked example: 05 00 shows the first ability only; row 62 second stores 05 3E.
  void showsAndSavesTheFirstAndLastPilots() {
    Harness h;
    h.game.patchExe(entryAt(0), QByteArray::fromHex("0500"));
    h.game.patchExe(entryAt(kLastPilot), QByteArray::fromHex("3E01"));
    h.open();
    h.pick(0);
    QCOMPARE(h.combo(kFirst)->currentText(), QStringLiteral("武器消費ＥＮ－１０％"));
    QCOMPARE(h.combo(kSecond)->currentText(), QStringLiteral("----"));
    QByteArray before = h.game.exe();
    h.combo(kSecond)->setCurrentIndex(62);
    h.click("save");
    QVERIFY2(h.answers.texts().isEmpty(), qPrintable(h.answers.last()));
    QByteArray after = h.game.exe();
    QCOMPARE(after.mid(0x3792F0, 2), QByteArray::fromHex("053E"));
    QCOMPARE(differences(before, after), QList<qint64>{0x3792F1});

    h.pick(kLastPilot);
    QCOMPARE(h.combo(kFirst)->currentIndex(), 62);
    QCOMPARE(h.combo(kSecond)->currentIndex(), 1);
    before = h.game.exe();
    h.combo(kFirst)->setCurrentIndex(7);
    h.combo(kSecond)->setCurrentIndex(0);
    h.click("save");
    after = h.game.exe();
    QCOMPARE(after.mid(0x3798AC, 2), QByteArray::fromHex("0700"));
    QCOMPARE(differences(before, after), (QList<qint64>{0x3798AC, 0x3798AD}));
  }

  void savingWhatWasShownChangesNoByte() {
    Harness h;
    h.open();
    const QByteArray before = h.game.exe();
    for (int row : {0, 1, 400, kLastPilot}) {
      h.pick(row);
      h.click("save");
    }
    QVERIFY(h.answers.texts().isEmpty());
    QVERIFY(h.game.exe() == before);
  }

  void anotherPickDiscardsUnsavedEdits() {
    Harness h;
    h.game.patchExe(entryAt(10), QByteArray::fromHex("0102"));
    h.game.patchExe(entryAt(11), QByteArray::fromHex("0304"));
    h.open();
    h.pick(10);
    h.combo(kFirst)->setCurrentIndex(40);
    h.pick(11);
    QCOMPARE(h.combo(kFirst)->currentIndex(), 3);
    QCOMPARE(h.combo(kSecond)->currentIndex(), 4);
    h.pick(10);
    QCOMPARE(h.combo(kFirst)->currentIndex(), 1);
  }

  // An ability above 62 shows its value and goes back unchanged until a row is picked.
  void abilitiesBeyondTheListArePreserved() {
    Harness h;
    h.game.patchExe(entryAt(20), QByteArray::fromHex("3FFF"));
    h.open();
    const QByteArray before = h.game.exe();
    h.pick(20);
    QCOMPARE(h.combo(kFirst)->currentIndex(), -1);
    QVERIFY(h.combo(kFirst)->placeholderText().contains(QStringLiteral("63")));
    QVERIFY(h.combo(kSecond)->placeholderText().contains(QStringLiteral("255")));
    h.click("save");
    QVERIFY(h.game.exe() == before);
    h.combo(kSecond)->setCurrentIndex(2);
    h.click("save");
    QCOMPARE(h.game.exe().mid(entryAt(20), 2), QByteArray::fromHex("3F02"));
  }

  void savingWithNoPilotPickedAsksForOne() {
    Harness h;
    h.open();
    const QByteArray before = h.game.exe();
    h.combo(kFirst)->setCurrentIndex(5);
    h.click("save");
    QCOMPARE(h.answers.texts(), QStringList{pickRecordMessage()});
    QVERIFY(h.game.exe() == before);
  }

  // The filter only hides rows: a pick still reaches the pilot's own entry.
  void aFilteredPickShowsThatPilot() {
    Harness h;
    h.game.patchExe(entryAt(600), QByteArray::fromHex("2A2B"));
    h.open();
    h.control<QLineEdit>(QStringLiteral("List1Filter"))->setText(QStringLiteral("机师0600"));
    QCOMPARE(h.list()->item(599)->isHidden(), true);
    h.pick(600);
    QCOMPARE(h.combo(kFirst)->currentIndex(), 42);
    QCOMPARE(h.combo(kSecond)->currentIndex(), 43);
  }

  // An entry that the file does not hold is refused rather than shown as "----".
  void aShortGameFileIsRefused() {
    Harness h;
    h.game.setExe(h.game.exe().left(entryAt(kLastPilot) + 1));
    h.open();
    const QByteArray before = h.game.exe();
    h.pick(kLastPilot);
    QVERIFY(h.answers.last().contains(QStringLiteral("小队长能力数据")));
    QCOMPARE(h.list()->currentRow(), -1);
    h.click("save");
    QCOMPARE(h.answers.last(), pickRecordMessage());
    QVERIFY(h.game.exe() == before);
  }
};

QTEST_MAIN(TestForm6)
#include "tst_form6.moc"
