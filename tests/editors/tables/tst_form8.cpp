// Skill training, driven through Form8's controls.

#include "editors/tables/form8.h"
#include "tests/editors/tables/growth_harness.h"

using namespace korvane;
using namespace korvane::test;

namespace {

constexpr qint64 kSkillTable = 0x35464C;
constexpr int kSkillSize = 48;

qint64 skillAt(int row) { return kSkillTable + qint64(kSkillSize) * row; }

// The option that is selected, 1 to 4, or 0 for none.
template <typename Harness> int selectedOption(const Harness &h) {
  int selected = 0;
  for (int number = 1; number <= 4; ++number)
    if (h.option(number)->isChecked())
      selected = selected ? -1 : number; // two at once would be a fault
  return selected;
}

} // namespace

class TestForm8 : public QObject {
  Q_OBJECT

private slots:
  // The grid's rows carry no labels: the level headings stand over their columns
  // and name the rows when hovered, as every box's own tip does.
  void levelHeadingsStandOverTheirColumnsAndNameTheRows() {
    GrowthHarness<Form8> h;
    QWidget *form = h.open();
    const QString heading = h.control<QLabel>(QStringLiteral("Label12"))->toolTip();
    QVERIFY2(heading.contains(QStringLiteral("第1组")) && heading.contains(QStringLiteral("第2组")),
             qPrintable(heading));
    for (int level = 0; level < 9; ++level) {
      const QList<QLabel *> column = labelsReading(form, QStringLiteral("L%1").arg(level + 1));
      QCOMPARE(column.size(), 1);
      QVERIFY(column[0]->toolTip().contains(QStringLiteral("第2组")));
      for (int box : {2 * level, 2 * level + 1, 18 + 2 * level, 19 + 2 * level})
        QVERIFY2(standsOver(column[0], h.box(QStringLiteral("Text1_%1").arg(box))),
                 qPrintable(column[0]->text()));
    }
    QCOMPARE(h.box("Text1_1")->toolTip(), QStringLiteral("消耗PP L1 第1组第2格"));
    QCOMPARE(h.box("Text1_18")->toolTip(), QStringLiteral("消耗PP L1 第2组第1格"));
  }

  void listsTheFortySkills() {
    GrowthHarness<Form8> h;
    h.open();
    QCOMPARE(h.list()->count(), 40);
    QCOMPARE(h.list()->item(0)->text(), QStringLiteral("切り払"));
    QCOMPARE(h.list()->item(39)->text(), QStringLiteral("サイズ差補正無視"));
    QCOMPARE(h.list()->currentRow(), -1);
    QCOMPARE(selectedOption(h), 0);
    QCOMPARE(h.cell(0), QString());
  }

  void typeByteSelectsItsOption_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("option");
    QTest::newRow("0") << 0 << 1;
    QTest::newRow("2") << 2 << 2;
    QTest::newRow("5") << 5 << 3;
    QTest::newRow("7") << 7 << 4;
  }
  void typeByteSelectsItsOption() {
    QFETCH(int, stored);
    QFETCH(int, option);
    GrowthHarness<Form8> h;
    h.game.patchExe(skillAt(0) + 8, bytesOf({stored}));
    h.game.patchExe(skillAt(1) + 8, bytesOf({stored == 7 ? 0 : 7}));
    h.open();
    h.pick(1); // another option first: the pick must move the selection
    h.pick(0);
    QCOMPARE(selectedOption(h), option);
    h.saveQuietly();
    QCOMPARE(int(h.game.exe()[skillAt(0) + 8]), stored);
    h.option(5 - option)->click(); // the mirror option: 0 <-> 7, 2 <-> 5
    h.saveQuietly();
    QCOMPARE(int(h.game.exe()[skillAt(0) + 8]), 7 - stored);
  }

  // A type byte with no option shows none selected and is written back as stored.
  void anUnlistedTypeIsKept() {
    GrowthHarness<Form8> h;
    h.game.patchExe(skillAt(5) + 8, bytesOf({5}));
    h.game.patchExe(skillAt(6) + 8, bytesOf({3}));
    h.open();
    const QByteArray before = h.game.exe();
    h.pick(5);
    QCOMPARE(selectedOption(h), 3);
    h.pick(6);
    QCOMPARE(selectedOption(h), 0);
    h.saveQuietly();
    QVERIFY(h.game.exe() == before);
    h.option(2)->click();
    h.saveQuietly();
    QCOMPARE(int(h.game.exe()[skillAt(6) + 8]), 2);
  }

  void costBytesFollowTheGridInFileOrder() {
    GrowthHarness<Form8> h;
    h.game.patchExe(skillAt(39) + 9, QByteArray::fromHex("2C01"));
    h.game.patchExe(skillAt(39) + 27, bytesOf({18}));
    h.game.patchExe(skillAt(39) + 44, bytesOf({35}));
    h.open();
    h.pick(39);
    QCOMPARE(h.cell(0), "44");
    QCOMPARE(h.cell(1), "1");
    QCOMPARE(h.cell(18), "18"); // L1 of the second group
    QCOMPARE(h.cell(35), "35");

    const QByteArray before = h.game.exe();
    for (int box = 0; box < 36; ++box)
      h.setCell(box, 100 + box);
    h.saveQuietly();
    const QByteArray after = h.game.exe();
    for (int box = 0; box < 36; ++box)
      QCOMPARE(int(quint8(after[skillAt(39) + 9 + box])), 100 + box);
    // Offsets 0-7 and 45-47 and the neighbouring records stay as they were.
    QVERIFY(changedOnlyWithin(before, after, skillAt(39) + 8, 37));
  }

  void refusalsNameTheBoxAndWriteNothing() {
    GrowthHarness<Form8> h;
    h.open();
    h.expectSaveAsksForARow();
    h.pick(2);
    h.option(4)->click(); // an edit that must not be written either
    h.expectRefusal("Text1_23", "300", "“消耗PP L3 第2组第2格”");
    h.type("Text1_23", "1");
    h.expectRefusal("Text1_0", "-1", "“消耗PP L1 第1组第1格”");
  }
};

QTEST_MAIN(TestForm8)
#include "tst_form8.moc"
