#include "editors/shared/editor_window.h"
#include "editors/shared/record_actions.h"
#include "editors/shared/record_binder.h"
#include "tests/support/modal_answerer.h"
#include "tests/support/sample_game.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace korvane;

namespace {

const QStringList kSlots{"甲", "乙", "空位"}; // the last row stands for 65535

// A record of 8 bytes touching every encoding.
const RecordLayout &testLayout() {
  static const RecordLayout layout = [] {
    RecordLayout l{QStringLiteral("测试数据"), 4, 8, 3, {}};
    l.fields.push_back(choiceField("Slot", 0, 2, "Combo1", QStringLiteral("机体"),
                                   ChoiceSource{&kSlots, nullptr, 65535}));
    FieldPart bonus{"Text1", QStringLiteral("命中"), Encoding::SignedRewrittenOnSave};
    l.fields.push_back(Field{"Bonus", 2, 2, {bonus}});
    Field packed{"Packed", 4, 1, {}, "Text9", false};
    FieldPart high{"Combo2", QStringLiteral("必要技能"), Encoding::Choice, 4, 4};
    high.choices.fixedRows = &kSlots;
    packed.parts = {high,
                    {"Check1_0", QStringLiteral("特性0"), Encoding::Flag, 3, 1},
                    {"Check1_1", QStringLiteral("特性1"), Encoding::Flag, 0, 1}};
    l.fields.push_back(packed);
    l.fields.push_back(Field{
        "Flags", 6, 1, {{"List2", QStringLiteral("装备"), Encoding::FlagRowsReversed, 0, 4}}});
    l.fields.push_back(hexField("Code", 7, 1, "Text2", QStringLiteral("敌我判定")));
    return l;
  }();
  return layout;
}

struct TestForm : QWidget {
  QComboBox *slot = add<QComboBox>("Combo1");
  QLineEdit *bonus = add<QLineEdit>("Text1");
  QComboBox *skill = add<QComboBox>("Combo2");
  QCheckBox *trait0 = add<QCheckBox>("Check1_0");
  QCheckBox *trait1 = add<QCheckBox>("Check1_1");
  QListWidget *flags = add<QListWidget>("List2");
  QLineEdit *code = add<QLineEdit>("Text2");
  QLineEdit *packedHex = add<QLineEdit>("Text9");

  TestForm() {
    fillChoices(slot, kSlots);
    fillChoices(skill, kSlots);
    for (int i = 0; i < 4; ++i) {
      auto *item = new QListWidgetItem(QString::number(i), flags);
      item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
      item->setCheckState(Qt::Unchecked);
    }
  }
  template <class W> W *add(const char *name) {
    auto *w = new W(this);
    w->setObjectName(QString::fromLatin1(name));
    return w;
  }
};

} // namespace

class TestRecordBinding : public QObject {
  Q_OBJECT

private slots:
  void showThenCollectGivesTheStoredValuesBack() {
    TestForm form;
    RecordBinder binder(&form, testLayout());
    const RecordValues stored{1, 0xFFF6, 0x19, 0x9, 0x0C};
    binder.show(stored);
    QCOMPARE(form.bonus->text(), QStringLiteral("-10"));
    QCOMPARE(form.skill->currentIndex(), 1);
    QVERIFY(form.trait0->isChecked() && form.trait1->isChecked());
    QCOMPARE(form.flags->item(0)->checkState(), Qt::Checked); // bit 3
    QCOMPARE(form.flags->item(3)->checkState(), Qt::Checked); // bit 0
    QCOMPARE(form.code->text(), QStringLiteral("0C"));
    QCOMPARE(form.packedHex->text(), QStringLiteral("19"));
    const RecordBinder::Collected collected = binder.collect();
    QVERIFY(collected.ok());
    QCOMPARE(collected.values, stored);
  }

  void bitsThatNoControlShowsAreWrittenAsZero() {
    TestForm form;
    RecordBinder binder(&form, testLayout());
    binder.show({0, 0, 0x76, 0xF0, 0}); // bits 1, 2 of Packed and 4-7 of Flags unshown
    const RecordValues values = binder.collect().values;
    QCOMPARE(values[2], 0x70u);
    QCOMPARE(values[3], 0x00u);
  }

  void anUnlistedCodeIsShownRawAndKeptUntilARowIsPicked() {
    TestForm form;
    RecordBinder binder(&form, testLayout());
    binder.show({2, 0, 0x90, 0, 0}); // code 2 is the empty-slot row's index, not a listed code
    QCOMPARE(form.slot->currentIndex(), -1);
    QVERIFY(form.slot->placeholderText().contains(QStringLiteral("2")));
    QCOMPARE(form.skill->currentIndex(), -1);
    QVERIFY(form.skill->placeholderText().contains(QStringLiteral("9")));
    QCOMPARE(binder.collect().values[0], 2u);
    QCOMPARE(binder.collect().values[2], 0x90u);
    form.skill->setCurrentIndex(0);
    QCOMPARE(binder.collect().values[2], 0x00u);
  }

  void theLastRowCanStandForAnEmptySlotCode() {
    TestForm form;
    RecordBinder binder(&form, testLayout());
    binder.show({65535, 0, 0, 0, 0});
    QCOMPARE(form.slot->currentIndex(), 2);
    QCOMPARE(binder.collect().values[0], 65535u);
    form.slot->setCurrentIndex(1);
    QCOMPARE(binder.collect().values[0], 1u);
  }

  void aRefusalNamesTheFieldAndPointsAtItsControl() {
    TestForm form;
    RecordBinder binder(&form, testLayout());
    binder.show({0, 0, 0, 0, 0});
    form.code->setText(QStringLiteral("XYZ"));
    RecordBinder::Collected collected = binder.collect();
    QVERIFY(!collected.ok());
    QVERIFY(collected.error.contains(QStringLiteral("“敌我判定”")));
    QCOMPARE(collected.culprit, form.code);

    TestForm fresh; // never shown: the pick lists have no row
    RecordBinder unshown(&fresh, testLayout());
    collected = unshown.collect();
    QVERIFY(collected.error.contains(QStringLiteral("“机体”")));
  }

  void aNegativeBonusShowsItsStoredFormAfterTheSave() {
    TestForm form;
    RecordBinder binder(&form, testLayout());
    binder.show({0, 0, 0, 0, 0});
    form.bonus->setText(QStringLiteral("-1"));
    const RecordValues values = binder.collect().values;
    QCOMPARE(values[1], 0xFFFFu);
    binder.showWritten(values);
    QCOMPARE(form.bonus->text(), QStringLiteral("65535"));
    QCOMPARE(form.packedHex->text(),
             QStringLiteral("00")); // not a box that shows the written value
  }

  // A window that lacks a control of its description, or holds one of another
  // kind, fails when its binder is made, naming the window and the control.
  void aWindowThatDisagreesWithItsDescriptionFailsWhenBound_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("ofAnotherKind");
    QTest::newRow("pick list missing") << QStringLiteral("Combo2") << false;
    QTest::newRow("hex display missing") << QStringLiteral("Text9") << false;
    QTest::newRow("check box for a pick list") << QStringLiteral("Combo1") << true;
    QTest::newRow("check box for a text box") << QStringLiteral("Text2") << true;
  }
  void aWindowThatDisagreesWithItsDescriptionFailsWhenBound() {
    QFETCH(QString, control);
    QFETCH(bool, ofAnotherKind);
    TestForm form;
    form.setObjectName(QStringLiteral("Form99"));
    form.findChild<QWidget *>(control)->setObjectName(QStringLiteral("Elsewhere"));
    if (ofAnotherKind)
      (new QCheckBox(&form))->setObjectName(control);
    try {
      RecordBinder binder(&form, testLayout());
      QFAIL("the binder was made");
    } catch (const DescriptionMismatch &mismatch) {
      const QString message = QString::fromUtf8(mismatch.what());
      QVERIFY2(message.contains(QStringLiteral("Form99")) && message.contains(control),
               mismatch.what());
    }
  }

  // The whole protocol against a file: nothing is written when one entry is bad,
  // everything when all are good, and a short file is refused before writing.
  void theSaveProtocolWritesAllOrNothing() {
    QTemporaryDir dir;
    const QString filePath = dir.filePath(QStringLiteral("game.bin"));
    const GameFileRef path = GameFileRef::plain(filePath);
    const QByteArray original = QByteArray::fromHex("AAAAAAAA"
                                                    "0100F6FF19AA090C"
                                                    "BBBBBBBBBBBBBBBB");
    test::SampleGame::writeFile(filePath, original);
    TestForm form;
    RecordBinder binder(&form, testLayout());
    test::ModalAnswerer answerer;
    QVERIFY(showRecord(&form, path, binder, testLayout().recordOffset(0)));
    QCOMPARE(form.bonus->text(), QStringLiteral("-10"));

    form.code->setText(QStringLiteral("100"));
    QVERIFY(!saveRecord(&form, path, binder, testLayout().recordOffset(0)));
    QVERIFY(answerer.last().contains(QStringLiteral("敌我判定")));
    QCOMPARE(test::SampleGame::readFile(filePath), original);

    form.code->setText(QStringLiteral("8"));
    form.bonus->setText(QStringLiteral("5"));
    QVERIFY(saveRecord(&form, path, binder, testLayout().recordOffset(0)));
    QByteArray expected = original;
    expected[6] = 5;
    expected[7] = 0;
    expected[8] = 0x19 & 0xF9;
    expected[11] = 0x08;
    QCOMPARE(test::SampleGame::readFile(filePath), expected);

    answerer.clear();
    QVERIFY(!saveRecord(&form, path, binder, testLayout().recordOffset(3))); // ends past the file
    QVERIFY(answerer.last().contains(QStringLiteral("game.bin")));
    QCOMPARE(test::SampleGame::readFile(filePath), expected);
  }
};

QTEST_MAIN(TestRecordBinding)
#include "tst_record_binding.moc"
