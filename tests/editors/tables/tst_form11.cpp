#include "editors/tables/form11.h"
#include "tests/editors/tables/area_harness.h"

#include <QLabel>

using namespace korvane;
using namespace korvane::test;

namespace {

constexpr qint64 kArea = 0x379E20;
constexpr qint64 kAreaEnd = 0x37A0D6;

qint64 costAt(int column, int step) { return kArea + 60 * column + 4 * step; }
qint64 gainAt(int column, int step) { return kArea + 544 + 30 * column + 2 * step; }

QString cell(int j) { return QStringLiteral("Text1_%1").arg(j); }

using Harness = AreaHarness<Form11>;

// The edge values of both parts, as a hand-edited file would hold them.
void patchEdges(const SampleGame &game) {
  game.patchExe(costAt(0, 0), QByteArray::fromHex("10270000"));  // HP L1: 10000
  game.patchExe(costAt(0, 14), QByteArray::fromHex("11110000")); // HP L15: 4369
  game.patchExe(costAt(1, 0), QByteArray::fromHex("FFFFFFFF"));  // EN L1: -1
  game.patchExe(costAt(8, 14), QByteArray::fromHex("00000080")); // 类型5 L15
  game.patchExe(gainAt(0, 0), QByteArray::fromHex("6400"));      // 类型1 L1: 100
  game.patchExe(gainAt(4, 14), QByteArray::fromHex("FFFF"));     // 类型5 L15: 65535
}

} // namespace

class TestForm11 : public QObject {
  Q_OBJECT

private slots:
  void showsTheAreaColumnByColumn() {
    Harness h;
    patchEdges(h.game);
    QWidget *form = h.open();
    QVERIFY2(h.answers.texts().isEmpty(), qPrintable(h.answers.last()));
    QCOMPARE(form->objectName(), QStringLiteral("Form11"));
    QCOMPARE(form->windowTitle(), QStringLiteral("Korvane机体武器改造相关"));
    QCOMPARE(h.text(cell(0)), QStringLiteral("10000"));
    QCOMPARE(h.text(cell(14)), QStringLiteral("4369"));
    QCOMPARE(h.text(cell(15)), QStringLiteral("-1"));
    QCOMPARE(h.text(cell(134)), QStringLiteral("-2147483648"));
    QCOMPARE(h.text(cell(135)), QStringLiteral("100"));
    QCOMPARE(h.text(cell(209)), QStringLiteral("65535"));
    // The sample's other cells: money grows with the step, gains jump at L11.
    QCOMPARE(h.text(cell(31)), QStringLiteral("4000")); // 运动性 L2
    QCOMPARE(h.text(cell(175)), QStringLiteral("130")); // 武器增加攻击力 类型3 L11

    // Down a column first, then across: L15 of HP under its L1, EN L1 beside it.
    const QRect hpL1 = h.box(cell(0))->geometry();
    QCOMPARE(h.box(cell(14))->geometry().x(), hpL1.x());
    QVERIFY(h.box(cell(14))->geometry().y() > hpL1.y());
    QCOMPARE(h.box(cell(15))->geometry().y(), hpL1.y());
    QVERIFY(h.box(cell(15))->geometry().x() > hpL1.x());
    QVERIFY(h.box(cell(135))->geometry().x() > h.box(cell(120))->geometry().x());

    QStringList labels;
    for (const QLabel *label : form->findChildren<QLabel *>())
      labels.append(label->text());
    for (const char *text :
         {"L1", "L15", "HP", "运动性", "装甲", "类型5", "消耗资金", "武器增加攻击力"})
      QVERIFY2(labels.contains(QString::fromUtf8(text)), text);
    QCOMPARE(labels.count(QStringLiteral("类型3")), 2);
  }

  // A save writes all 690 shown bytes and nothing else: unchanged boxes write the
  // bytes they were read from, the four unshown bytes keep theirs.
  void savesTheWholeAreaAndNothingElse() {
    Harness h;
    patchEdges(h.game);
    h.open();
    const QByteArray before = h.game.exe();
    QCOMPARE(h.save(), QStringList());
    QCOMPARE(h.game.exe(), before);

    h.type(cell(0), QStringLiteral("12000"));
    h.type(cell(14), QStringLiteral(" 7 "));
    h.type(cell(15), QStringLiteral("-2147483648"));
    h.type(cell(134), QStringLiteral("2147483647"));
    h.type(cell(135), QStringLiteral("0"));
    h.type(cell(209), QStringLiteral("65534"));
    QCOMPARE(h.save(), QStringList());
    QByteArray expected = patched(before, costAt(0, 0), QByteArray::fromHex("E02E0000"));
    expected = patched(expected, costAt(0, 14), QByteArray::fromHex("07000000"));
    expected = patched(expected, costAt(1, 0), QByteArray::fromHex("00000080"));
    expected = patched(expected, costAt(8, 14), QByteArray::fromHex("FFFFFF7F"));
    expected = patched(expected, gainAt(0, 0), QByteArray::fromHex("0000"));
    expected = patched(expected, gainAt(4, 14), QByteArray::fromHex("FEFF"));
    QCOMPARE(h.game.exe(), expected);
    QCOMPARE(h.text(cell(0)), QStringLiteral("12000")); // the window reads nothing again
  }

  void refusesEntriesOutsideTheirRange_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("accepted");
    const QString money = QStringLiteral("-2147483648 到 2147483647");
    const QString gain = QStringLiteral("0 到 65535");
    QTest::newRow("money above") << 96 << "2147483648"
                                 << "消耗资金 类型3 L7" << money;
    QTest::newRow("money below") << 96 << "-2147483649"
                                 << "消耗资金 类型3 L7" << money;
    QTest::newRow("money empty") << 0 << ""
                                 << "消耗资金 HP L1" << money;
    QTest::newRow("money fraction") << 50 << "1.5"
                                    << "消耗资金 装甲 L6" << money;
    QTest::newRow("gain above") << 171 << "65536"
                                << "武器增加攻击力 类型3 L7" << gain;
    QTest::newRow("gain negative") << 171 << "-1"
                                   << "武器增加攻击力 类型3 L7" << gain;
    QTest::newRow("gain text") << 209 << "abc"
                               << "武器增加攻击力 类型5 L15" << gain;
  }
  // One bad box keeps every other change out of the file too.
  void refusesEntriesOutsideTheirRange() {
    QFETCH(int, box);
    QFETCH(QString, entry);
    QFETCH(QString, caption);
    QFETCH(QString, accepted);
    Harness h;
    h.open();
    const QByteArray before = h.game.exe();
    h.type(cell(box == 0 ? 1 : 0), QStringLiteral("12000"));
    h.type(cell(209 - (box == 209)), QStringLiteral("1"));
    h.type(cell(box), entry);
    const QStringList messages = h.save();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].contains(caption) && messages[0].contains(accepted),
             qPrintable(messages[0]));
    QCOMPARE(h.game.exe(), before);
  }

  // A file that ends inside the area is refused when the window opens, and the save
  // then writes nothing; one that ends with the area is whole.
  void refusesAnAreaTheFileDoesNotHold() {
    Harness h;
    const QByteArray shortFile = h.game.exe().left(kAreaEnd - 1);
    h.game.setExe(shortFile);
    h.open();
    QCOMPARE(h.answers.texts().size(), 1);
    QVERIFY2(h.answers.last().contains(QStringLiteral("容纳不下")), qPrintable(h.answers.last()));
    QCOMPARE(h.text(cell(0)), QString());
    for (int j = 0; j < 210; ++j)
      h.type(cell(j), QStringLiteral("1"));
    QCOMPARE(h.save().size(), 1);
    QCOMPARE(h.game.exe(), shortFile);

    Harness whole;
    whole.game.setExe(whole.game.exe().left(kAreaEnd));
    whole.open();
    QVERIFY2(whole.answers.texts().isEmpty(), qPrintable(whole.answers.last()));
    whole.type(cell(209), QStringLiteral("513"));
    QCOMPARE(whole.save(), QStringList());
    QCOMPARE(whole.game.exe().right(2), QByteArray::fromHex("0102"));
  }

  void theMainWindowOpensItFromItsRow() {
    Form1 main; // clears the game paths
    SampleGame game;
    ModalAnswerer answers;
    QPointer<QWidget> form = openFromMainWindow(main, Section::Upgrades);
    QVERIFY(form && form->isVisible());
    QCOMPARE(form->objectName(), QStringLiteral("Form11"));
    QCOMPARE(form->findChild<QLineEdit *>(cell(0))->text(), QStringLiteral("1000"));
    QVERIFY(closesWithReturn(main, Section::Upgrades, QStringLiteral("open")));
    QVERIFY(answers.texts().isEmpty());
  }
};

QTEST_MAIN(TestForm11)
#include "tst_form11.moc"
