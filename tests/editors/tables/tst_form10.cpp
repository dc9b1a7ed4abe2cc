// Potential correction, driven through Form10's controls.

#include "editors/tables/form10.h"
#include "tests/editors/tables/growth_harness.h"

using namespace korvane;
using namespace korvane::test;

namespace {

constexpr qint64 kLevelTable = 0x37AF68;
constexpr int kLevelSize = 40;

qint64 levelAt(int row) { return kLevelTable + qint64(kLevelSize) * row; }

} // namespace

class TestForm10 : public QObject {
  Q_OBJECT

private slots:
  void listsTheNineLevels() {
    GrowthHarness<Form10> h;
    h.open();
    QCOMPARE(h.list()->count(), 9);
    QCOMPARE(h.list()->item(0)->text(), "L1");
    QCOMPARE(h.list()->item(8)->text(), "L9");
    QCOMPARE(h.list()->currentRow(), -1);
  }

  void gridCornersShowAndSaveTheirBytes_data() {
    QTest::addColumn<int>("row");
    QTest::newRow("L1") << 0;
    QTest::newRow("L9") << 8;
  }
  void gridCornersShowAndSaveTheirBytes() {
    QFETCH(int, row);
    GrowthHarness<Form10> h;
    h.game.patchExe(levelAt(row), QByteArray::fromHex("0A050000"));
    h.game.patchExe(levelAt(row) + 36, QByteArray::fromHex("01020304"));
    h.open();
    h.pick(row);
    QCOMPARE(h.cell(0) + ',' + h.cell(1) + ',' + h.cell(2) + ',' + h.cell(3), "10,5,0,0");
    QCOMPARE(h.cell(36), "1"); // HP10%, 命中補正
    QCOMPARE(h.cell(39), "4"); // HP10%, 必杀補正

    const QByteArray before = h.game.exe();
    for (int box = 0; box < 40; ++box)
      h.setCell(box, 200 + box);
    h.saveQuietly();
    const QByteArray after = h.game.exe();
    for (int box = 0; box < 40; ++box)
      QCOMPARE(int(quint8(after[levelAt(row) + box])), 200 + box);
    QVERIFY(changedOnlyWithin(before, after, levelAt(row), kLevelSize));
  }

  void refusalsNameTheBoxAndWriteNothing() {
    GrowthHarness<Form10> h;
    h.open();
    h.expectSaveAsksForARow();
    h.pick(4);
    h.setCell(0, 77); // an edit that must not be written either
    h.expectRefusal("Text1_26", "256", "“HP40% 装甲補正”");
    h.setCell(26, 1);
    h.expectRefusal("Text1_39", "1.5", "“HP10% 必杀補正”");
  }
};

QTEST_MAIN(TestForm10)
#include "tst_form10.moc"
