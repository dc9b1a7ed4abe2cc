// The protagonist's spirit commands, driven through Form7's controls.

#include "editors/tables/form7.h"
#include "tests/editors/tables/growth_harness.h"

using namespace korvane;
using namespace korvane::test;

namespace {

constexpr qint64 kProfileTable = 0x355240;
constexpr int kProfileSize = 24;

qint64 profileAt(int row) { return kProfileTable + qint64(kProfileSize) * row; }

QString slot(const char *array, int k) { return QStringLiteral("%1_%2").arg(array).arg(k); }

} // namespace

class TestForm7 : public QObject {
  Q_OBJECT

private slots:
  void profilesFollowTheZodiacRule_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("text");
    QTest::newRow("first") << 0 << "S男金牛座[4/20~5/20]A型";
    QTest::newRow("second sign") << 16 << "S男双子座[5/21~6/21]A型";
    QTest::newRow("scorpio") << 105 << "R男天蝎座[10/24~11/21]B型";
    QTest::newRow("last sign") << 191 << "R女白羊座[3/21~4/19]O型";
    QTest::newRow("special 1") << 192 << "S男 光棍节 B型";
    QTest::newRow("special 2") << 193 << "S女 光棍节 B型";
    QTest::newRow("special 3") << 194 << "R男 光棍节 B型";
    QTest::newRow("special 4") << 195 << "R女 光棍节 B型";
  }
  // The row's text, and the record that its pick reads.
  void profilesFollowTheZodiacRule() {
    QFETCH(int, row);
    QFETCH(QString, text);
    GrowthHarness<Form7> h;
    h.game.patchExe(profileAt(row), QByteArray::fromHex("0C2A2B2C"));
    h.open();
    QCOMPARE(h.list()->count(), 196);
    QCOMPARE(h.list()->item(row)->text(), text);
    QVERIFY(h.form()->findChild<QLineEdit *>(QStringLiteral("List1Filter")));
    QCOMPARE(h.list()->currentRow(), -1);
    h.pick(row);
    QCOMPARE(h.combo("Combo1_0")->currentIndex(), 12);
    QCOMPARE(h.text("Text1_0") + h.text("Text2_0") + h.text("Text3_0"), "424344");
  }

  void aWorkedEntryShowsAndSavesBothWays() {
    GrowthHarness<Form7> h;
    h.game.patchExe(profileAt(16) + 8, QByteArray::fromHex("010A1400"));
    h.open();
    const QByteArray before = h.game.exe();
    h.pick(16);
    QCOMPARE(h.combo("Combo1_2")->currentText(), QStringLiteral("熱血"));
    QCOMPARE(h.text("Text1_2"), "10");
    QCOMPARE(h.text("Text2_2"), "20");
    QCOMPARE(h.text("Text3_2"), "0");
    h.saveQuietly();
    QVERIFY(h.game.exe() == before);

    // "----" stores 00; the entry's other bytes still come from their boxes.
    h.combo("Combo1_2")->setCurrentIndex(0);
    h.type("Text3_2", "7");
    h.saveQuietly();
    QCOMPARE(h.game.exe().mid(profileAt(16) + 8, 4), QByteArray::fromHex("000A1407"));
  }

  void aSaveWritesEveryEntryOfItsRecordOnly() {
    GrowthHarness<Form7> h;
    h.open();
    const QByteArray before = h.game.exe();
    h.pick(195);
    for (int k = 0; k < 6; ++k) {
      h.combo(slot("Combo1", k))->setCurrentIndex(30 + k);
      h.type(slot("Text1", k), QString::number(200 + k));
      h.type(slot("Text2", k), QString::number(10 * k));
      h.type(slot("Text3", k), QString::number(255 - k));
    }
    h.saveQuietly();
    const QByteArray after = h.game.exe();
    QVERIFY(changedOnlyWithin(before, after, 0x356488, kProfileSize));
    for (int k = 0; k < 6; ++k)
      QCOMPARE(after.mid(0x356488 + 4 * k, 4), bytesOf({30 + k, 200 + k, 10 * k, 255 - k}));
  }

  // A command with no row shows its code and goes back unchanged until a row is picked.
  void anUnlistedCommandIsKept() {
    GrowthHarness<Form7> h;
    h.game.patchExe(profileAt(40) + 20, QByteArray(1, char(0x90)));
    h.open();
    const QByteArray before = h.game.exe();
    h.pick(40);
    QCOMPARE(h.combo("Combo1_5")->currentIndex(), -1);
    QVERIFY(h.combo("Combo1_5")->placeholderText().contains(QStringLiteral("144")));
    h.saveQuietly();
    QVERIFY(h.game.exe() == before);
    h.combo("Combo1_5")->setCurrentIndex(35);
    h.saveQuietly();
    QCOMPARE(int(h.game.exe()[profileAt(40) + 20]), 35);
  }

  void refusalsNameTheBoxAndWriteNothing() {
    GrowthHarness<Form7> h;
    h.open();
    h.expectSaveAsksForARow();
    h.pick(3);
    h.type("Text1_0", "99"); // an edit that must not be written either
    h.expectRefusal("Text1_2", "256", "“习得等级（第3行）”");
    h.type("Text1_2", "1");
    h.expectRefusal("Text3_5", "", "“消耗SP 右格（第6行）”");
  }
};

QTEST_MAIN(TestForm7)
#include "tst_form7.moc"
