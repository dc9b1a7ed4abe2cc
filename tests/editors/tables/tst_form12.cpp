#include "editors/tables/form12.h"
#include "tests/editors/tables/area_harness.h"

#include <QLabel>

using namespace korvane;
using namespace korvane::test;

namespace {

struct Setting {
  qint64 offset;
  int width;
};

// Text1 .. Text27 and where each setting lies.
QList<Setting> settings() {
  QList<Setting> list{{0xA3F84, 4}, {0xA3FA0, 4}, {0xBE7B4, 2}, {0xC86B8, 2}, {0xCE5B0, 2},
                      {0xCE610, 2}, {0xCE660, 2}, {0xCE6B8, 2}, {0xCE748, 2}};
  for (int k = 0; k < 5; ++k)
    list.append({0x376B88 + 2 * k, 2});
  for (int k = 0; k < 8; ++k)
    list.append({0x376D70 + 2 * k, 2});
  for (int k = 0; k < 5; ++k)
    list.append({0x37B258 + 2 * k, 2});
  return list;
}

constexpr qint64 kAfterLastSetting = 0x37B262;

QString box(int n) { return QStringLiteral("Text%1").arg(n); }

using Harness = AreaHarness<Form12>;

} // namespace

class TestForm12 : public QObject {
  Q_OBJECT

private slots:
  void showsEverySetting() {
    Harness h;
    h.game.patchExe(0xA3F84, QByteArray::fromHex("80881100"));
    h.game.patchExe(0xBE7B4, QByteArray::fromHex("9600"));
    h.game.patchExe(0xCE660, QByteArray::fromHex("F6FF"));
    h.game.patchExe(0x37B260, QByteArray::fromHex("F6FF"));
    QWidget *form = h.open();
    QVERIFY2(h.answers.texts().isEmpty(), qPrintable(h.answers.last()));
    QCOMPARE(form->objectName(), QStringLiteral("Form12"));
    QCOMPARE(form->windowTitle(), QStringLiteral("Korvane系统相关"));
    QCOMPARE(h.text(box(1)), QStringLiteral("80881100"));
    QCOMPARE(h.text(box(2)), QStringLiteral("00800C00"));
    QCOMPARE(h.text(box(3)), QStringLiteral("150"));
    QCOMPARE(h.text(box(7)), QStringLiteral("-10"));
    QCOMPARE(h.text(box(27)), QStringLiteral("65526")); // signed only in Text7
    // The runs in file order: weapon terrain S .. D, normal then focused 1人 .. 4人,
    // unit terrain S .. D.
    QStringList shown;
    for (int n = 10; n <= 26; ++n)
      shown.append(h.text(box(n)));
    QCOMPARE(shown.join(u' '),
             QStringLiteral("110 100 80 60 40 100 95 90 85 100 110 120 130 120 110 100 90"));

    QStringList labels;
    for (const QLabel *label : form->findChildren<QLabel *>())
      labels.append(label->text());
    QVERIFY(labels.contains(QStringLiteral("  4倍:808811\n  8倍:008911\n 16倍:008A11\n"
                                           " 32倍:008C11\n 64倍:009011\n128倍:009811\n"
                                           "256倍:00A811")));
    for (const char *text : {"魂倍率", "脱力减少气力", "勇气增加气力", "武器地形补正",
                             "机体地形补正", "All武器补正", "正常攻击", "集束攻击", "4人"})
      QVERIFY2(labels.contains(QString::fromUtf8(text)), text);
    QCOMPARE(labels.count(QStringLiteral("S")), 2);
    // Weapon terrain over unit terrain, the all-weapon rows below both.
    QVERIFY(h.box(box(10))->y() < h.box(box(23))->y());
    QVERIFY(h.box(box(23))->y() < h.box(box(15))->y());
    QVERIFY(h.box(box(15))->y() < h.box(box(19))->y());
  }

  // Every setting is written at its place; the bytes between them, the 24 after
  // the soul multiplier among them, keep theirs.
  void savesEverySettingAndNothingBetween() {
    Harness h;
    h.open();
    const QByteArray before = h.game.exe();
    QCOMPARE(h.save(), QStringList());
    QCOMPARE(h.game.exe(), before);                    // -10 is written F6 FF again
    QCOMPARE(h.text(box(7)), QStringLiteral("65526")); // and then shown as stored

    h.type(box(1), QStringLiteral("123"));
    h.type(box(2), QStringLiteral(" a1b2c3d4 "));
    for (int n = 3; n <= 27; ++n)
      h.type(box(n), QString::number(1000 + n));
    h.type(box(7), QStringLiteral("5"));
    QCOMPARE(h.save(), QStringList());
    QByteArray expected = patched(before, 0xA3F84, QByteArray::fromHex("12030000"));
    expected = patched(expected, 0xA3FA0, QByteArray::fromHex("A1B2C3D4"));
    const QList<Setting> places = settings();
    for (int n = 3; n <= 27; ++n) {
      const int value = n == 7 ? 5 : 1000 + n;
      const char word[] = {char(value & 0xFF), char(value >> 8)};
      expected = patched(expected, places[n - 1].offset, QByteArray(word, 2));
    }
    QCOMPARE(h.game.exe(), expected);
    QCOMPARE(h.text(box(1)), QStringLiteral("123")); // the window reads nothing again
  }

  void weakeningTakesSignedAndStoredForms_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("shownAfter");
    QTest::newRow("-10") << "-10" << QByteArray::fromHex("F6FF") << "65526";
    QTest::newRow("lowest") << "-32768" << QByteArray::fromHex("0080") << "32768";
    QTest::newRow("highest") << "65535" << QByteArray::fromHex("FFFF") << "65535";
    QTest::newRow("5") << "5" << QByteArray::fromHex("0500") << "5";
  }
  void weakeningTakesSignedAndStoredForms() {
    QFETCH(QString, entry);
    QFETCH(QByteArray, stored);
    QFETCH(QString, shownAfter);
    Harness h;
    h.open();
    h.type(box(7), entry);
    QCOMPARE(h.save(), QStringList());
    QCOMPARE(h.game.exe().mid(0xCE660, 2), stored);
    QCOMPARE(h.text(box(7)), shownAfter);
  }

  void refusesEntriesOutsideTheirRange_data() {
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("accepted");
    const QString word = QStringLiteral("0 到 65535");
    const QString weakening = QStringLiteral("-32768 到 65535");
    const QString hex = QStringLiteral("1 到 8 位十六进制数");
    QTest::newRow("weakening below") << 7 << "-32769"
                                     << "脱力减少气力" << weakening;
    QTest::newRow("weakening above") << 7 << "65536"
                                     << "脱力减少气力" << weakening;
    QTest::newRow("limit negative") << 3 << "-1"
                                    << "气力界限" << word;
    QTest::newRow("unit terrain D") << 27 << "70000"
                                    << "机体地形补正 D" << word;
    QTest::newRow("normal 4人") << 18 << "x"
                                << "All武器补正 正常攻击 4人" << word;
    QTest::newRow("focused 1人") << 19 << ""
                                 << "All武器补正 集束攻击 1人" << word;
    QTest::newRow("hex too long") << 1 << "123456789"
                                  << "魂倍率" << hex;
    QTest::newRow("hex letter") << 2 << "12G4"
                                << "热血倍率" << hex;
    QTest::newRow("hex empty") << 1 << ""
                               << "魂倍率" << hex;
  }
  // One bad box keeps every other change out of the file too.
  void refusesEntriesOutsideTheirRange() {
    QFETCH(int, n);
    QFETCH(QString, entry);
    QFETCH(QString, caption);
    QFETCH(QString, accepted);
    Harness h;
    h.open();
    const QByteArray before = h.game.exe();
    h.type(box(n == 3 ? 4 : 3), QStringLiteral("200"));
    h.type(box(n == 27 ? 26 : 27), QStringLiteral("1"));
    h.type(box(n), entry);
    const QStringList messages = h.save();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].contains(QStringLiteral("“%1”").arg(caption)) &&
                 messages[0].contains(accepted),
             qPrintable(messages[0]));
    QCOMPARE(h.game.exe(), before);
    if (n != 7)
      QCOMPARE(h.text(box(7)), QStringLiteral("-10")); // no rewrite without a write
  }

  // A file that ends before the last setting is refused when the window opens, and
  // the save then writes nothing; one that ends with it is whole.
  void refusesSettingsTheFileDoesNotHold() {
    Harness h;
    const QByteArray shortFile = h.game.exe().left(kAfterLastSetting - 1);
    h.game.setExe(shortFile);
    h.open();
    QCOMPARE(h.answers.texts().size(), 1);
    QVERIFY2(h.answers.last().contains(QStringLiteral("容纳不下")), qPrintable(h.answers.last()));
    QCOMPARE(h.text(box(1)), QString());
    h.type(box(1), QStringLiteral("00"));
    for (int n = 2; n <= 27; ++n)
      h.type(box(n), QStringLiteral("1"));
    QCOMPARE(h.save().size(), 1);
    QCOMPARE(h.game.exe(), shortFile);

    Harness whole;
    whole.game.setExe(whole.game.exe().left(kAfterLastSetting));
    whole.open();
    QVERIFY2(whole.answers.texts().isEmpty(), qPrintable(whole.answers.last()));
    whole.type(box(27), QStringLiteral("513"));
    QCOMPARE(whole.save(), QStringList());
    QCOMPARE(whole.game.exe().right(2), QByteArray::fromHex("0102"));
  }

  void theMainWindowOpensItFromItsRow() {
    Form1 main; // clears the game paths
    SampleGame game;
    ModalAnswerer answers;
    QPointer<QWidget> form = openFromMainWindow(main, Section::SystemSettings);
    QVERIFY(form && form->isVisible());
    QCOMPARE(form->objectName(), QStringLiteral("Form12"));
    QCOMPARE(form->findChild<QLineEdit *>(box(3))->text(), QStringLiteral("150"));
    QVERIFY(closesWithReturn(main, Section::SystemSettings, QStringLiteral("open")));
    QVERIFY(answers.texts().isEmpty());
  }
};

QTEST_MAIN(TestForm12)
#include "tst_form12.moc"
