// The whole-record commands of the unit page: copy, paste and four part slots
// for every unit.

#include "tests/editors/units/form2_harness.h"
#include "tests/support/modal_answerer.h"

#include <QTest>

using namespace korvane::test;

namespace {

const QString kCopyQuestion = QStringLiteral("将要复制选定机体的数据,是否进行操作");
const QString kPasteQuestion =
    QStringLiteral("将要把复制的数据粘贴到选定机体的上,并且直接写入文件,是否进行操作");

QByteArray record(const QByteArray &exe, int row) { return exe.mid(unitStart(row), 732); }

} // namespace

class TestForm2Commands : public QObject {
  Q_OBJECT

private slots:
  void pasteWritesTheCopiedRecordOverAnother() {
    SampleGame game;
    const QByteArray before = game.exe();
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(5);
    ui.click("Command5");
    QCOMPARE(answers.texts(),
             (QStringList{kCopyQuestion, QStringLiteral("已经复制机体0005的数据")}));
    QCOMPARE(game.exe(), before);

    answers.clear();
    ui.pickUnit(9);
    ui.click("Command6");
    QCOMPARE(answers.texts(),
             (QStringList{kPasteQuestion, QStringLiteral("已经把机体0005的数据粘贴到机体0009上")}));
    const QByteArray after = game.exe();
    QCOMPARE(record(after, 9), record(before, 5));
    QCOMPARE(after.left(unitStart(9)), before.left(unitStart(9)));
    QCOMPARE(after.mid(unitStart(10)), before.mid(unitStart(10)));

    // One copy pastes onto several units.
    ui.pickUnit(836);
    ui.click("Command6");
    QCOMPARE(record(game.exe(), 836), record(before, 5));
  }

  void pastingAUnitOntoItselfChangesNothing() {
    SampleGame game;
    const QByteArray before = game.exe();
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(0);
    ui.click("Command5");
    ui.click("Command6");
    QCOMPARE(answers.texts().size(), 4);
    QCOMPARE(game.exe(), before);
  }

  void cancelledCommandsSayNothingWasDone() {
    SampleGame game;
    const QByteArray before = game.exe();
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(1);
    ui.click("Command5");
    answers.clear();
    ui.pickUnit(2);
    answers.answer({QMessageBox::Cancel});
    ui.click("Command5"); // the copy of unit 1 stays
    QCOMPARE(answers.texts(), (QStringList{kCopyQuestion, QStringLiteral("没有进行复制操作")}));

    answers.clear();
    answers.answer({QMessageBox::Cancel});
    ui.click("Command6");
    QCOMPARE(answers.texts(), (QStringList{kPasteQuestion, QStringLiteral("没有进行粘贴操作")}));
    QCOMPARE(game.exe(), before);

    ui.click("Command6");
    QCOMPARE(answers.last(), QStringLiteral("已经把机体0001的数据粘贴到机体0002上"));
    QCOMPARE(record(game.exe(), 2), record(before, 1));
  }

  void pasteBeforeAnyCopyIsRefused() {
    SampleGame game;
    const QByteArray before = game.exe();
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(3);
    ui.click("Command6");
    QCOMPARE(answers.texts().size(), 1);
    QVERIFY(answers.last() != kPasteQuestion);
    QCOMPARE(game.exe(), before);
  }

  void copyAndPasteWithNoUnitPickedAreRefused() {
    SampleGame game;
    const QByteArray before = game.exe();
    ModalAnswerer answers;
    Form2Harness ui;
    ui.click("Command5");
    ui.click("Command6");
    QCOMPARE(answers.texts().size(), 2);
    QVERIFY(!answers.texts().contains(kCopyQuestion));
    QVERIFY(!answers.texts().contains(kPasteQuestion));
    QCOMPARE(game.exe(), before);
  }

  void everyUnitGetsFourPartSlotsSilently() {
    SampleGame game;
    QByteArray exe = game.exe();
    for (int row = 0; row < 837; ++row)
      exe[unitStart(row) + 37] = 0;
    game.setExe(exe);
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(7);
    ui.click("Command4");
    QCOMPARE(answers.texts(), QStringList{});
    const QByteArray after = game.exe();
    const QList<qint64> changed = differences(exe, after);
    QCOMPARE(changed.size(), 837);
    QCOMPARE(changed.first(), qint64(2877237));
    QCOMPARE(changed.last(), qint64(3489189));
    for (qint64 offset : changed)
      QCOMPARE(int(after[offset]), 4);
    QCOMPARE(ui.text("Text16"), QStringLiteral("4")); // the shown unit is shown again
  }

  // The commands work on the whole table; a file too short to hold it is refused
  // before anything is read or written.
  void aFileTooShortForTheTableIsRefused() {
    SampleGame game;
    const QByteArray shortExe = game.exe().left(kUnitTableEnd - 1);
    game.setExe(shortExe);
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(0);
    ui.click("Command4");
    QCOMPARE(answers.texts().size(), 1);
    QVERIFY(answers.last().contains(QStringLiteral("机体数据")));
    answers.clear();
    ui.click("Command5");
    QCOMPARE(answers.texts().size(), 2);
    QVERIFY(answers.last().contains(QStringLiteral("机体数据")));
    ui.click("Command6"); // nothing was copied
    QCOMPARE(answers.texts().size(), 3);
    QCOMPARE(game.exe(), shortExe);
  }
};

QTEST_MAIN(TestForm2Commands)
#include "tst_form2_commands.moc"
