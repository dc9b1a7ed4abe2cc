#include "editors/shared/record_clipboard.h"
#include "tests/editors/characters/form3_harness.h"

using namespace korvane;
using namespace korvane::test;

namespace {

const QString kCopyQuestion = QStringLiteral("将要复制选定人物的数据,是否进行操作");
const QString kPasteQuestion =
    QStringLiteral("将要把复制的数据粘贴到选定的人物上,并且直接写入文件,是否进行操作");

} // namespace

class TestForm3Clipboard : public QObject {
  Q_OBJECT

private slots:
  void pasteMakesTheTargetByteIdenticalToTheCopy() {
    Form3Harness h;
    h.open();
    const QByteArray before = h.game.exe();
    h.pick(3);
    h.click("Command2");
    QCOMPARE(h.answers.texts(),
             (QStringList{kCopyQuestion, QStringLiteral("已经复制机师0003的数据")}));
    h.answers.clear();
    h.pick(kLastPilot);
    h.click("Command3");
    QCOMPARE(h.answers.texts(),
             (QStringList{kPasteQuestion, QStringLiteral("已经把机师0003的数据粘贴到机师0734上")}));
    const QByteArray after = h.game.exe();
    QCOMPARE(characterBytes(after, kLastPilot), characterBytes(before, 3));
    for (qint64 offset : differences(before, after))
      QVERIFY(offset >= characterAt(kLastPilot) && offset < kCharacterTableEnd);

    // The fields show the pasted record at once, as a new pick of the pilot does.
    QCOMPARE(h.combo("Combo7")->currentIndex(), 3);
    h.pick(0);
    h.pick(kLastPilot);
    QCOMPARE(h.combo("Combo7")->currentIndex(), 3);
  }

  void cancellingTheCopyKeepsTheEarlierCopy() {
    Form3Harness h;
    h.open();
    const QByteArray before = h.game.exe();
    h.pick(1);
    h.click("Command2");
    h.pick(2);
    h.answers.clear();
    h.answers.answer({QMessageBox::Cancel});
    h.click("Command2");
    QCOMPARE(h.answers.texts(), (QStringList{kCopyQuestion, QStringLiteral("没有进行复制操作")}));
    h.pick(8);
    h.click("Command3");
    QCOMPARE(h.answers.last(), QStringLiteral("已经把机师0001的数据粘贴到机师0008上"));
    QCOMPARE(characterBytes(h.game.exe(), 8), characterBytes(before, 1));
  }

  void cancellingThePasteWritesNothingAndKeepsTheEdits() {
    Form3Harness h;
    h.open();
    const QByteArray before = h.game.exe();
    h.pick(1);
    h.click("Command2");
    h.pick(2);
    h.box("Text3")->setText(QStringLiteral("42"));
    h.answers.clear();
    h.answers.answer({QMessageBox::Cancel});
    h.click("Command3");
    QCOMPARE(h.answers.texts(), (QStringList{kPasteQuestion, QStringLiteral("没有进行粘贴操作")}));
    QVERIFY(h.game.exe() == before);
    QCOMPARE(h.box("Text3")->text(), QStringLiteral("42"));
  }

  // Before any copy, and in a new window after "返回" closed the one that copied.
  void pasteWithoutACopyIsRefused() {
    Form3Harness h;
    QPointer<QWidget> first = h.open();
    const QByteArray before = h.game.exe();
    h.pick(4);
    h.click("Command3");
    QCOMPARE(h.answers.texts().size(), 1);
    h.click("Command2");
    h.click("Command1");
    QTRY_VERIFY(first.isNull());

    h.open();
    h.pick(5);
    h.answers.clear();
    h.click("Command3");
    QCOMPARE(h.answers.texts().size(), 1);
    QVERIFY(h.answers.last() != kPasteQuestion);
    QVERIFY(h.game.exe() == before);
  }

  void aShortGameFileRefusesThePaste() {
    Form3Harness h;
    h.open();
    h.pick(0);
    h.click("Command2");
    h.game.setExe(h.game.exe().left(kCharacterTableEnd - 1));
    const QByteArray before = h.game.exe();
    h.answers.clear();
    h.click("Command3");
    QCOMPARE(h.answers.texts().size(), 2);
    QVERIFY(h.answers.last().contains(QStringLiteral("人物数据")));
    QVERIFY(h.game.exe() == before);
  }
};

QTEST_MAIN(TestForm3Clipboard)
#include "tst_form3_clipboard.moc"
