#include "io/gbk_text.h"
#include "io/name_list.h"
#include "tests/support/sample_game.h"
#include "tools/sample_data.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace korvane;

class TestNameList : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

  QString listWith(const QString &text) {
    const QString path = dir_.filePath(QStringLiteral("list.txt"));
    test::SampleGame::writeFile(path, encodeGbk(text));
    return path;
  }

private slots:
  void splitsItemsLikeDelimitedInput_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("lines") << "甲\n乙\n丙\n" << QStringList{"甲", "乙", "丙"};
    QTest::newRow("crlf") << "甲\r\n乙\r\n" << QStringList{"甲", "乙"};
    QTest::newRow("cr only") << "甲\r乙\r\r丙" << QStringList{"甲", "乙", "", "丙"};
    QTest::newRow("unquoted comma splits") << "高达,改\n次" << QStringList{"高达", "改", "次"};
    QTest::newRow("quoted comma stays") << "\"高达,改\"\n次" << QStringList{"高达,改", "次"};
    QTest::newRow("leading blanks skipped") << "  \t甲 \n乙" << QStringList{"甲 ", "乙"};
    QTest::newRow("blank then quotes") << "  \" 甲 \"  ,乙" << QStringList{" 甲 ", "乙"};
    QTest::newRow("empty line is an empty item") << "甲\n\n乙" << QStringList{"甲", "", "乙"};
    QTest::newRow("no final line end") << "甲\n乙" << QStringList{"甲", "乙"};
    QTest::newRow("full-width comma is text") << "1A0，12" << QStringList{"1A0，12"};
  }
  void splitsItemsLikeDelimitedInput() {
    QFETCH(QString, text);
    QFETCH(QStringList, items);
    QCOMPARE(splitNameItems(text, 100), items);
  }

  void readsExactlyTheCountAndIgnoresTheRest() {
    QStringList lines;
    for (int i = 0; i < 900; ++i)
      lines << QStringLiteral("机体%1").arg(i, 4, 10, QLatin1Char('0'));
    const NameListResult result = readNameListFrom(listWith(lines.join('\n')), 837);
    QVERIFY(result.complete());
    QCOMPARE(result.items.size(), 837);
    QCOMPARE(result.items.first(), QStringLiteral("机体0000"));
    QCOMPARE(result.items.last(), QStringLiteral("机体0836"));
    QVERIFY(result.problem().isEmpty());
  }

  void decodesGbk() {
    const QString path = dir_.filePath(QStringLiteral("gbk.txt"));
    test::SampleGame::writeFile(path, samples::encodeGbk({"ガンダム", "高达", "ＡＢ"}));
    QCOMPARE(readNameListFrom(path, 3).items, (QStringList{"ガンダム", "高达", "ＡＢ"}));
    // The same bytes on every system, whoever converts them.
    const QByteArray bytes = QByteArray::fromHex("b8dfb4efa5aca5f3a5c0a5e0a3c1a3c2");
    QCOMPARE(encodeGbk(u"高达ガンダムＡＢ"), bytes);
    QCOMPARE(decodeGbk(bytes), QStringLiteral("高达ガンダムＡＢ"));
  }

  // Lists saved by other editors: the names come out right, with nothing to report.
  void recognisesTheListsEncoding_data() {
    const QString text = QStringLiteral("ガンダム\n高达\nＡＢ\n");
    QStringEncoder utf16le(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    QStringEncoder utf16be(QStringConverter::Utf16BE, QStringConverter::Flag::WriteBom);
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("encoding");
    QTest::newRow("gbk") << samples::encodeGbk({"ガンダム", "高达", "ＡＢ"}) << "GBK";
    QTest::newRow("utf-8") << text.toUtf8() << "UTF-8";
    QTest::newRow("utf-8 with mark") << "\xEF\xBB\xBF" + text.toUtf8() << "UTF-8";
    QTest::newRow("utf-16le with mark") << QByteArray(utf16le.encode(text)) << "UTF-16LE";
    QTest::newRow("utf-16be with mark") << QByteArray(utf16be.encode(text)) << "UTF-16BE";
  }
  void recognisesTheListsEncoding() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, encoding);
    const QString path = dir_.filePath(QStringLiteral("encoded.txt"));
    test::SampleGame::writeFile(path, bytes);
    const NameListResult result = readNameListFrom(path, 3);
    QCOMPARE(result.items, (QStringList{"ガンダム", "高达", "ＡＢ"}));
    QCOMPARE(result.encoding, encoding);
    QVERIFY(result.sound());
  }

  // GBK bytes that happen to be valid UTF-8 ("һλ") are still GBK, the default.
  void textThatIsAlsoPlausibleGbkStaysGbk() {
    const NameListResult result = readNameListFrom(listWith("一位\n什么\n"), 2);
    QCOMPARE(result.items, (QStringList{"一位", "什么"}));
    QCOMPARE(result.encoding, QStringLiteral("GBK"));
  }

  // UTF-16 without its mark, or bytes GBK has no character for: the lines are named.
  void undecodableLinesAreReported() {
    QStringEncoder utf16(QStringConverter::Utf16BE);
    const QString path = dir_.filePath(QStringLiteral("unit.txt"));
    test::SampleGame::writeFile(path, utf16.encode(QStringLiteral("甲\n乙\n")));
    NameListResult result = readNameListFrom(path, 2);
    QVERIFY(result.complete());
    QVERIFY(!result.sound());
    QCOMPARE(result.unreadableLines, (QList<int>{1, 2}));
    QString message = result.problem();
    QVERIFY2(message.contains(QStringLiteral("名称列表“unit.txt”中有无法识别的文字")),
             qPrintable(message));
    QVERIFY(message.contains(path));
    QVERIFY(message.contains(QStringLiteral("行：1、2")));

    test::SampleGame::writeFile(path, samples::encodeGbk({"甲", "乙"}) + "\x81\x20\n");
    result = readNameListFrom(path, 4);
    QCOMPARE(result.unreadableLines, QList<int>{3});
    message = result.problem();
    QVERIFY2(message.contains(QStringLiteral("不完整")) &&
                 message.contains(QStringLiteral("：3。")),
             qPrintable(message));

    // Lines past those the windows read are not looked at.
    QCOMPARE(readNameListFrom(path, 2).problem(), QString());
  }

  void aShortListIsFilledWithNumberedPlaceholdersAndReported() {
    const NameListResult result = readNameListFrom(listWith("甲\n乙\n丙\n"), 5);
    QVERIFY(!result.complete());
    QCOMPARE(result.found, 3);
    QCOMPARE(result.items.size(), 5);
    QCOMPARE(result.items[3], missingNamePlaceholder(3));
    QVERIFY(result.items[4].contains(QStringLiteral("4")));
    const QString message = result.problem();
    QVERIFY(message.contains(QStringLiteral("list.txt")));
    QVERIFY(message.contains(result.path));
    QVERIFY(message.contains(QStringLiteral("3")) && message.contains(QStringLiteral("5")));
  }

  void aMissingListIsReportedWithItsPath() {
    const QString path = dir_.filePath(QStringLiteral("nowhere/unit.txt"));
    const NameListResult result = readNameListFrom(path, 837);
    QVERIFY(result.missing);
    QCOMPARE(result.items.size(), 837);
    QVERIFY(result.problem().contains(QStringLiteral("unit.txt")));
    QVERIFY(result.problem().contains(path));
    QVERIFY(result.problem().contains(QStringLiteral("837")));
  }

  void listsLieInDataDirAndItsDataFolder() {
    setDataDirOverride(dir_.path());
    QCOMPARE(dataFilePath(kUnitNames.fileName),
             QDir::toNativeSeparators(dir_.filePath("unit.txt")));
    QCOMPARE(dataFilePath(kEnemyStageNames.fileName),
             QDir::toNativeSeparators(dir_.filePath("data/zcstage.txt")));
    setDataDirOverride({});
    QCOMPARE(DataDir(), QCoreApplication::applicationDirPath());
  }
};

QTEST_GUILESS_MAIN(TestNameList)
#include "tst_name_list.moc"
