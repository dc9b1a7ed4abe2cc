#include "editors/shared/record_clipboard.h"
#include "editors/tables/form5.h"
#include "tests/editors/tables/table_harness.h"

using namespace korvane;
using namespace korvane::test;

namespace {

constexpr qint64 kFieldTable = 3632096;
constexpr int kFieldSize = 16;
constexpr qint64 kFieldTableEnd = 3632496;
constexpr int kLastField = 24;

qint64 fieldAt(int row) { return kFieldTable + qint64(kFieldSize) * row; }

using Harness = TableHarness<Form5>;

} // namespace

class TestForm5 : public QObject {
  Q_OBJECT

private slots:
  void opensFromItsMainWindowRowWithNothingPicked() {
    Form1 main;      // starts with no game files chosen
    SampleGame game; // then both are chosen
    ModalAnswerer answers;
    QWidget *form = openFromMainWindow(main, Section::DefensiveFields);
    QVERIFY(form && form->isVisible());
    QCOMPARE(form->objectName(), QStringLiteral("Form5"));
    QCOMPARE(form->windowTitle(), QStringLiteral("Korvane防御力场"));
    QCOMPARE(form->findChild<QListWidget *>(QStringLiteral("List1"))->currentRow(), -1);
    QCOMPARE(form->findChild<QComboBox *>(QStringLiteral("Combo4"))->currentIndex(), -1);
    QVERIFY(form->findChild<QLineEdit *>(QStringLiteral("Text5"))->text().isEmpty());
    QVERIFY(answers.texts().isEmpty());
    main.registry().closeAll();
  }

  // The game's own spelling, not the unit page's: a middle dot and ASCII hyphens.
  void listsTheFieldsAsTheGameNamesThem() {
    Harness h;
    h.open();
    QCOMPARE(h.list()->count(), 25);
    QCOMPARE(h.list()->item(0)->text(), QStringLiteral("ビームコート"));
    QCOMPARE(h.list()->item(13)->text(), QStringLiteral("グラビティ\u00B7テリトリー"));
    QCOMPARE(h.list()->item(20)->text(), QStringLiteral("ラミネ-ト装甲"));
    QCOMPARE(h.list()->item(kLastField)->text(), QStringLiteral("ディフレクトフィ-ルド"));
    QCOMPARE(h.combo("Combo4")->count(), 2);
    const std::pair<const char *, const char *> headings[] = {{"Text1", "消费EN"},
                                                              {"Text2", "需要气力"},
                                                              {"Text5", "防御伤害值"},
                                                              {"Combo4", "防御类型"}};
    int above = -1;
    for (const auto &[control, heading] : headings) {
      QCOMPARE(h.headingOver(control), QString::fromUtf8(heading));
      const int y = h.form()->findChild<QWidget *>(control)->y();
      QVERIFY(y > above); // one column, in record order
      above = y;
    }
  }

  // Row 0 and the last row: the four shown places and nothing else.
  void showsAndSavesTheFirstAndLastFields() {
    Harness h;
    h.game.patchExe(fieldAt(0), QByteArray::fromHex("0A11"
                                                    "6E112233"
                                                    "D007"
                                                    "44556677"
                                                    "01"));
    h.open();
    h.pick(0);
    QCOMPARE(h.text("Text1"), QStringLiteral("10"));
    QCOMPARE(h.text("Text2"), QStringLiteral("110"));
    QCOMPARE(h.text("Text5"), QStringLiteral("2000"));
    QCOMPARE(h.combo("Combo4")->currentText(), QStringLiteral("伤害减轻"));

    for (int row : {0, kLastField}) {
      h.pick(row);
      const QByteArray before = h.game.exe();
      h.type("Text1", QStringLiteral("255"));
      h.type("Text2", QStringLiteral(" 130 "));
      h.type("Text5", QStringLiteral("2000"));
      h.combo("Combo4")->setCurrentIndex(row == 0 ? 0 : 1);
      h.click("save");
      QVERIFY2(h.answers.texts().isEmpty(), qPrintable(h.answers.last()));
      const QByteArray after = h.game.exe();
      const qint64 record = fieldAt(row);
      QCOMPARE(int(quint8(after[record])), 255);
      QCOMPARE(int(quint8(after[record + 2])), 130);
      QCOMPARE(after.mid(record + 6, 2), QByteArray::fromHex("D007"));
      QCOMPARE(int(after[record + 12]), row == 0 ? 0 : 1);
      for (qint64 offset : differences(before, after)) {
        const qint64 inRecord = offset - record;
        QVERIFY2(offset < kFieldTableEnd && (inRecord == 0 || inRecord == 2 || inRecord == 6 ||
                                             inRecord == 7 || inRecord == 12),
                 qPrintable(QString::number(offset)));
      }
    }
  }

  // The unshown bytes of the sample are random: a save that touched them would show.
  void savingWhatWasShownChangesNoByte() {
    Harness h;
    h.open();
    const QByteArray before = h.game.exe();
    for (int row : {0, 13, kLastField}) {
      h.pick(row);
      h.click("save");
    }
    QVERIFY(h.answers.texts().isEmpty());
    QVERIFY(h.game.exe() == before);
  }

  // A type beyond the two rows shows its value and goes back unchanged until a row is picked.
  void aDefenseTypeBeyondTheListIsPreserved() {
    Harness h;
    h.game.patchExe(fieldAt(5) + 12, QByteArray(1, 2));
    h.open();
    const QByteArray before = h.game.exe();
    h.pick(5);
    QCOMPARE(h.combo("Combo4")->currentIndex(), -1);
    QVERIFY(h.combo("Combo4")->placeholderText().contains(u'2'));
    h.click("save");
    QVERIFY(h.game.exe() == before);
    h.combo("Combo4")->setCurrentIndex(0);
    h.click("save");
    QCOMPARE(int(h.game.exe()[fieldAt(5) + 12]), 0);
  }

  void refusedEntriesNameTheirHeadingAndWriteNothing_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("heading");
    QTest::newRow("EN above a byte") << "Text1"
                                     << "256"
                                     << "“消费EN”";
    QTest::newRow("morale empty") << "Text2"
                                  << ""
                                  << "“需要气力”";
    QTest::newRow("damage above a word") << "Text5"
                                         << "65536"
                                         << "“防御伤害值”";
    QTest::newRow("damage not a number") << "Text5"
                                         << "2,000"
                                         << "“防御伤害值”";
  }
  void refusedEntriesNameTheirHeadingAndWriteNothing() {
    QFETCH(QString, control);
    QFETCH(QString, entry);
    QFETCH(QString, heading);
    Harness h;
    h.open();
    const QByteArray before = h.game.exe();
    h.pick(9);
    h.combo("Combo4")->setCurrentIndex(1 - h.combo("Combo4")->currentIndex());
    h.type(control, entry);
    h.click("save");
    QCOMPARE(h.answers.texts().size(), 1);
    QVERIFY2(h.answers.last().contains(heading), qPrintable(h.answers.last()));
    QVERIFY(h.game.exe() == before);
  }

  void savingWithNoFieldPickedAsksForOne() {
    Harness h;
    h.open();
    const QByteArray before = h.game.exe();
    h.click("save");
    QCOMPARE(h.answers.texts(), QStringList{pickRecordMessage()});
    QVERIFY(h.game.exe() == before);
  }
};

QTEST_MAIN(TestForm5)
#include "tst_form5.moc"
