// The unit editor on a game file inside a disc image: a save changes exactly the
// bytes at the entry's start plus each field's offset, and nothing else in the image.

#include "editors/shared/game_paths.h"
#include "tests/editors/units/form2_harness.h"
#include "tests/support/game_image.h"
#include "tests/support/modal_answerer.h"

#include <QTest>

using namespace korvane;
using korvane::samples::ImageMaker;
using namespace korvane::test;

class TestForm2Image : public QObject {
  Q_OBJECT

private slots:
  void aSaveWritesOnlyInsideTheEntry_data() {
    QTest::addColumn<ImageMaker>("maker");
    QTest::addColumn<bool>("udf");
    QTest::addColumn<QString>("folder");
    QTest::newRow("xorriso root") << ImageMaker::Xorriso << false << QString();
    QTest::newRow("xorriso folder") << ImageMaker::Xorriso << false << QStringLiteral("GAME/");
    QTest::newRow("genisoimage udf folder")
        << ImageMaker::Genisoimage << true << QStringLiteral("GAME/");
  }
  void aSaveWritesOnlyInsideTheEntry() {
    QFETCH(ImageMaker, maker);
    QFETCH(bool, udf);
    QFETCH(QString, folder);
    if (!samples::imageMakerPresent(maker))
      QSKIP("the image maker is not installed");
    SampleGame game;
    const QString image = gameImageOf(dir_, QStringLiteral("image%1").arg(++made_), game.exe(),
                                      game.stage(), maker, udf, folder);
    QVERIFY(!image.isEmpty());
    const qint64 start = imageEntryStart(image, kExeEntryName);
    gamePaths() = {entryPath(image, kExeEntryName), entryPath(image, kStageEntryName)};
    // Bits the page cannot show, set by hand: a save of the unchanged page clears them.
    QByteArray before = SampleGame::readFile(image);
    const qint64 head = start + unitStart(418);
    before[head + 54] = char(quint8(before[head + 54]) | 0xA0);
    before[head + 35] = char(quint8(before[head + 35]) | 0xF8);
    SampleGame::writeFile(image, before);

    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(418);
    QCOMPARE(ui.text("Text12"), before.mid(head + 32, 4).toHex().toUpper());
    ui.type("Text5", QStringLiteral("65535"));
    ui.click("Command1");
    QVERIFY2(answers.texts().isEmpty(), qPrintable(answers.last()));
    const QByteArray after = SampleGame::readFile(image);
    QList<qint64> changed{head + 35, head + 54};
    if (wordAt(before, head + 18) != 65535)
      changed = QList<qint64>{head + 18, head + 19, head + 35, head + 54};
    QCOMPARE(differences(before, after), changed);
    QCOMPARE(wordAt(after, head + 18), 65535u);
    QCOMPARE(quint8(after[head + 54]), quint8(before[head + 54]) & 0x0F);
    QCOMPARE(game.exe(), SampleGame::readFile(game.exePath())); // the plain file is untouched
  }

  // An image without the executable is refused when a unit is picked, naming
  // what it lacks; no save follows and nothing is written.
  void aRefusedImageIsReportedOnPickAndSave() {
    SampleGame game;
    const QString image = masterTestImage(dir_, QStringLiteral("stageonly"),
                                          {{QStringLiteral("stage.bin"), game.stage()}});
    QVERIFY(!image.isEmpty());
    gamePaths().ExePath = entryPath(image, kExeEntryName);
    const QByteArray before = SampleGame::readFile(image);
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(3);
    ui.click("Command1");
    QVERIFY(!answers.texts().isEmpty());
    QVERIFY2(answers.texts().constFirst().contains(QStringLiteral("找不到 SLPS_255.37")),
             qPrintable(answers.texts().constFirst()));
    QCOMPARE(SampleGame::readFile(image), before);
  }

private:
  QTemporaryDir dir_;
  int made_ = 0;
};

QTEST_MAIN(TestForm2Image)
#include "tst_form2_image.moc"
