#include "editors/shared/choice_lists.h"
#include "editors/shared/record_clipboard.h"
#include "editors/tables/form4.h"
#include "tests/editors/tables/table_harness.h"

using namespace korvane;
using namespace korvane::test;

namespace {

constexpr qint64 kPartTable = 2739332;
constexpr int kPartSize = 36;
constexpr qint64 kPartTableEnd = 2741240;
constexpr int kLastPart = 52;

qint64 partAt(int row) { return kPartTable + qint64(kPartSize) * row; }

using Harness = TableHarness<Form4>;

// The text boxes in record order, with the record offset and width of each.
struct Box {
  const char *name;
  int offset;
  int width;
};
constexpr Box kBoxes[] = {{"Text1_0", 4, 2},   {"Text1_1", 6, 2},   {"Text1_2", 8, 2},
                          {"Text1_3", 10, 2},  {"Text1_4", 12, 1},  {"Text1_5", 13, 1},
                          {"Text1_6", 14, 1},  {"Text1_7", 15, 1},  {"Text1_8", 16, 1},
                          {"Text1_9", 17, 1},  {"Text1_10", 18, 1}, {"Text1_11", 19, 1},
                          {"Text1_14", 22, 1}, {"Text1_18", 26, 1}};
constexpr const char *kCombos[] = {"Combo1", "Combo2", "Combo3", "Combo4", "Combo5"};
constexpr int kComboOffsets[] = {20, 21, 23, 24, 25};

} // namespace

class TestForm4 : public QObject {
  Q_OBJECT

private slots:
  void opensFromItsMainWindowRowWithNothingPicked() {
    Form1 main;      // starts with no game files chosen
    SampleGame game; // then both are chosen
    ModalAnswerer answers;
    QWidget *form = openFromMainWindow(main, Section::Parts);
    QVERIFY(form && form->isVisible());
    QCOMPARE(form->objectName(), QStringLiteral("Form4"));
    QCOMPARE(form->windowTitle(), QStringLiteral("Korvane强化部件编辑"));
    auto *list = form->findChild<QListWidget *>(QStringLiteral("List1"));
    QCOMPARE(list->count(), 53);
    QCOMPARE(list->currentRow(), -1);
    QVERIFY(form->findChild<QLineEdit *>(QStringLiteral("List1Filter")));
    for (const Box &box : kBoxes)
      QVERIFY(form->findChild<QLineEdit *>(box.name)->text().isEmpty());
    for (const char *combo : kCombos)
      QCOMPARE(form->findChild<QComboBox *>(combo)->currentIndex(), -1);
    QVERIFY(closesWithReturn(main, Section::Parts, QStringLiteral("open")));
    QVERIFY(answers.texts().isEmpty());
  }

  void controlsStandUnderTheirHeadings() {
    Harness h;
    h.open();
    for (int missing : {12, 13, 15, 16, 17})
      QVERIFY(!h.form()->findChild<QWidget *>(QStringLiteral("Text1_%1").arg(missing)));
    const std::pair<const char *, const char *> headings[] = {
        {"Text1_0", "移動力"},    {"Text1_5", "命中率%"}, {"Text1_8", "分身 1"},
        {"Text1_11", "空移动 1"}, {"Combo1", "地形适应"}, {"Text1_14", "气力"},
        {"Text1_18", "编成-"},    {"Combo2", "特技装备"}, {"Combo3", "回复道具"},
        {"Combo4", "特殊效果"},   {"Combo5", "SP回复"}};
    for (const auto &[control, heading] : headings)
      QCOMPARE(h.headingOver(control), QString::fromUtf8(heading));
    // Rows: Text1_0..5, Text1_6..11, Combo1 Text1_14 Text1_18, Combo2 Combo3, Combo4 Combo5.
    const auto y = [&h](const char *name) { return h.form()->findChild<QWidget *>(name)->y(); };
    QCOMPARE(y("Text1_5"), y("Text1_0"));
    QVERIFY(y("Text1_6") > y("Text1_0"));
    QVERIFY(y("Combo1") > y("Text1_11") && y("Combo2") > y("Text1_18"));
    QVERIFY(y("Combo4") > y("Combo3"));
    QCOMPARE(h.list()->item(kLastPart)->text(), PartNames().at(kLastPart));
  }

  void codeListsHoldTheirRows() {
    Harness h;
    h.open();
    const int rows[] = {9, 4, 5, 5, 5};
    for (int i = 0; i < 5; ++i)
      QCOMPARE(h.combo(kCombos[i])->count(), rows[i]);
    for (int code : {0, 2, 3})
      QCOMPARE(h.combo("Combo1")->itemText(code), QStringLiteral("------"));
    QCOMPARE(h.combo("Combo1")->itemText(5), QStringLiteral("05-陆A\\移动类型陆"));
    QCOMPARE(h.combo("Combo2")->itemText(3), QStringLiteral("03-グラビティ?テリトリー"));
    QCOMPARE(h.combo("Combo5")->itemText(1), QStringLiteral("01-ＯＶＡのコロッケ"));
  }

  // Row 0 and the last row: what is shown, what a save writes, and nothing else.
  void showsAndSavesTheFirstAndLastParts() {
    Harness h;
    h.game.patchExe(partAt(0), QByteArray::fromHex("AABBCCDD"
                                                   "0100E803FFFF3412"
                                                   "0A0B0C0D0E0F1011"
                                                   "0801FE0203040C"));
    h.open();
    h.pick(0);
    const QStringList shown{"1",  "1000", "65535", "4660", "10", "11",  "12",
                            "13", "14",   "15",    "16",   "17", "254", "12"};
    for (size_t i = 0; i < std::size(kBoxes); ++i)
      QCOMPARE(h.text(kBoxes[i].name), shown[int(i)]);
    const int codes[] = {8, 1, 2, 3, 4};
    for (int i = 0; i < 5; ++i)
      QCOMPARE(h.combo(kCombos[i])->currentIndex(), codes[i]);

    h.pick(kLastPart);
    const QByteArray before = h.game.exe();
    for (size_t i = 0; i < std::size(kBoxes); ++i)
      h.type(kBoxes[i].name, QString::number(kBoxes[i].width == 2 ? 65000 + int(i) : 200 + int(i)));
    for (int i = 0; i < 5; ++i)
      h.combo(kCombos[i])->setCurrentIndex(i % 2 ? 0 : 3);
    h.click("save");
    QVERIFY2(h.answers.texts().isEmpty(), qPrintable(h.answers.last()));

    const QByteArray after = h.game.exe();
    const qint64 record = partAt(kLastPart);
    for (size_t i = 0; i < std::size(kBoxes); ++i) {
      const qint64 at = record + kBoxes[i].offset;
      if (kBoxes[i].width == 2)
        QCOMPARE(wordAt(after, at), quint32(65000 + i));
      else
        QCOMPARE(int(quint8(after[at])), 200 + int(i));
    }
    for (int i = 0; i < 5; ++i)
      QCOMPARE(int(after[record + kComboOffsets[i]]), i % 2 ? 0 : 3);
    for (qint64 offset : differences(before, after))
      QVERIFY2(offset >= record + 4 && offset <= record + 26 && offset < kPartTableEnd,
               qPrintable(QString::number(offset)));
  }

  // The unshown bytes of the sample are random: a save that touched them would show.
  void savingWhatWasShownChangesNoByte() {
    Harness h;
    h.open();
    const QByteArray before = h.game.exe();
    for (int row : {0, 24, kLastPart}) {
      h.pick(row);
      h.click("save");
    }
    QVERIFY(h.answers.texts().isEmpty());
    QVERIFY(h.game.exe() == before);
  }

  void aWordOf1000IsStoredAsE803() {
    Harness h;
    h.open();
    h.pick(39);
    h.type("Text1_3", QStringLiteral("1000"));
    h.click("save");
    QCOMPARE(h.game.exe().mid(partAt(39) + 10, 2), QByteArray::fromHex("E803"));
  }

  // Codes 2 and 3 have no name: they show "------" and go back as the row shown.
  void unnamedTerrainCodesKeepTheirRow() {
    Harness h;
    h.game.patchExe(partAt(7) + 20, QByteArray(1, 2));
    h.game.patchExe(partAt(8) + 20, QByteArray(1, 3));
    h.open();
    const QByteArray before = h.game.exe();
    for (int row : {7, 8}) {
      h.pick(row);
      QCOMPARE(h.combo("Combo1")->currentText(), QStringLiteral("------"));
      QCOMPARE(h.combo("Combo1")->currentIndex(), row - 5);
      h.click("save");
    }
    QVERIFY(h.game.exe() == before);
  }

  // A code beyond its list shows its value and goes back unchanged until a row is picked.
  void codesBeyondTheirListsArePreserved() {
    Harness h;
    h.game.patchExe(partAt(30) + 20, QByteArray::fromHex("0904"));
    h.game.patchExe(partAt(30) + 23, QByteArray::fromHex("05FF07"));
    h.open();
    const QByteArray before = h.game.exe();
    h.pick(30);
    for (const char *combo : kCombos)
      QCOMPARE(h.combo(combo)->currentIndex(), -1);
    QVERIFY(h.combo("Combo4")->placeholderText().contains(QStringLiteral("255")));
    h.click("save");
    QVERIFY2(h.answers.texts().isEmpty(), qPrintable(h.answers.last()));
    QVERIFY(h.game.exe() == before);
    h.combo("Combo1")->setCurrentIndex(7);
    h.click("save");
    QCOMPARE(h.game.exe().mid(partAt(30) + 20, 2), QByteArray::fromHex("0704"));
    QCOMPARE(h.game.exe().mid(partAt(30) + 23, 3), QByteArray::fromHex("05FF07"));
  }

  void refusedEntriesNameTheirHeadingAndWriteNothing_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("heading");
    QTest::newRow("word above 65535") << "Text1_0"
                                      << "65536"
                                      << "“移動力”";
    QTest::newRow("byte above 255") << "Text1_4"
                                    << "256"
                                    << "“運動性”";
    QTest::newRow("negative") << "Text1_14"
                              << "-1"
                              << "“气力”";
    QTest::newRow("empty") << "Text1_18"
                           << ""
                           << "“编成-”";
    QTest::newRow("not a number") << "Text1_11"
                                  << "1x"
                                  << "“空移动 1”";
  }
  void refusedEntriesNameTheirHeadingAndWriteNothing() {
    QFETCH(QString, control);
    QFETCH(QString, entry);
    QFETCH(QString, heading);
    Harness h;
    QWidget *form = h.open();
    const QByteArray before = h.game.exe();
    h.pick(11);
    h.type("Text1_1", QStringLiteral("9")); // an edit that must not be written either
    h.type(control, entry);
    h.click("save");
    QCOMPARE(h.answers.texts().size(), 1);
    QVERIFY2(h.answers.last().contains(heading), qPrintable(h.answers.last()));
    QCOMPARE(form->focusWidget(), h.box(control));
    QVERIFY(h.game.exe() == before);
  }

  void savingWithNoPartPickedAsksForOne() {
    Harness h;
    h.open();
    const QByteArray before = h.game.exe();
    h.click("save");
    QCOMPARE(h.answers.texts(), QStringList{pickRecordMessage()});
    QVERIFY(h.game.exe() == before);
  }

  void anotherPickDiscardsUnsavedEdits() {
    Harness h;
    h.open();
    h.pick(5);
    const QString stored = h.text("Text1_2");
    h.type("Text1_2", QStringLiteral("4321"));
    h.combo("Combo3")->setCurrentIndex(4);
    const QByteArray before = h.game.exe();
    h.pick(6);
    h.pick(5);
    QCOMPARE(h.text("Text1_2"), stored);
    QCOMPARE(h.combo("Combo3")->currentIndex(), int(before[partAt(5) + 23]));
    QVERIFY(h.game.exe() == before);
  }
};

QTEST_MAIN(TestForm4)
#include "tst_form4.moc"
