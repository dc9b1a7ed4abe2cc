// korvane-tool on a disc image: the table decides the entry, and every command
// reads or writes that entry as it would the extracted file.

#include "tests/support/game_image.h"
#include "tests/tools/tool_harness.h"

#include <QTest>

using namespace korvane;
using namespace korvane::test;
using korvane::tool::CsvRow;
using korvane::tool::csvRow;
using korvane::tool::Format;
using korvane::tool::kDiffers;
using korvane::tool::kFailed;
using korvane::tool::kSuccess;
using korvane::tool::parseCsv;
using korvane::tool::Tool;

namespace {

QByteArray shiftedDifferences(const QByteArray &before, const QByteArray &after, qint64 by) {
  QByteArray text;
  for (qint64 offset : differences(before, after))
    text += QByteArray::number(offset - by) + ' ';
  return text;
}

} // namespace

class TestImageCommands : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  int made_ = 0;

  QString imageOf(const SampleGame &game) {
    return gameImageOf(dir_, QStringLiteral("image%1").arg(++made_), game.exe(), game.stage());
  }

private slots:
  void initTestCase() {
    if (!samples::imageMakerPresent(samples::ImageMaker::Xorriso))
      QSKIP("xorriso is not installed");
  }

  void dumpOfAnImageIsTheDumpOfItsEntry_data() {
    QTest::addColumn<QString>("table");
    QTest::newRow("units") << QStringLiteral("units");
    QTest::newRow("enemies") << QStringLiteral("enemies");
  }
  void dumpOfAnImageIsTheDumpOfItsEntry() {
    QFETCH(QString, table);
    SampleGame game;
    const QString image = imageOf(game);
    QVERIFY(!image.isEmpty());
    const QString fromImage = dir_.filePath(table + QStringLiteral("-image.csv"));
    const QString fromFile = dir_.filePath(table + QStringLiteral("-file.csv"));
    QCOMPARE(dumpTable(game, image, table, fromImage), int(kSuccess));
    QCOMPARE(dumpTable(game, gamePath(game, *findTable(table)), table, fromFile), int(kSuccess));
    QCOMPARE(SampleGame::readFile(fromImage), SampleGame::readFile(fromFile));
  }

  // The same edit imported into the image and into the plain file changes the
  // same bytes, counted from the entry's start.
  void importIntoAnImageChangesOnlyThatField() {
    SampleGame game;
    const QString image = imageOf(game);
    QVERIFY(!image.isEmpty());
    const QString csv = dir_.filePath(QStringLiteral("units.csv"));
    QCOMPARE(dumpTable(game, image, QStringLiteral("units"), csv), int(kSuccess));
    QList<QStringList> rows = csvRows(csv);
    rows[6][rows[0].indexOf(QStringLiteral("HP"))] = QStringLiteral("4321");
    writeText(csv, csvText(rows));

    const QByteArray imageBefore = SampleGame::readFile(image);
    const QByteArray exeBefore = game.exe();
    for (const QString &target : {image, game.exePath()}) {
      const ToolRun run = runTool(game, [&](Tool &tool) {
        return tool.importCsv(
            {GameFileRef::plain(target), QStringLiteral("units"), csv, false, {}});
      });
      QCOMPARE(run.status, int(kSuccess));
    }
    const QByteArray inFile = shiftedDifferences(exeBefore, game.exe(), 0);
    QVERIFY(!inFile.isEmpty());
    QCOMPARE(shiftedDifferences(imageBefore, SampleGame::readFile(image),
                                imageEntryStart(image, kExeEntryName)),
             inFile);
  }

  void diffAndPatchTakeImages() {
    SampleGame game;
    const QString original = imageOf(game);
    game.patchExe(0x2BE710 + 732 * 5 + 18, QByteArray::fromHex("3412"));
    const QString modified = imageOf(game);
    QVERIFY(!original.isEmpty() && !modified.isEmpty());
    const auto diffOf = [&](const QString &a, const QString &b) {
      return runTool(game, [&](Tool &tool) {
        return tool.diff({GameFileRef::plain(a), GameFileRef::plain(b), tool::Format::Text, {}});
      });
    };
    const ToolRun images = diffOf(original, modified);
    QCOMPARE(images.status, int(kDiffers));
    QCOMPARE(diffOf(original, game.exePath()).out, images.out);
    QCOMPARE(diffOf(modified, game.exePath()).status, int(kSuccess));

    // A patch of one entry applies to the extracted file; a patch of the whole
    // image turns one image into the other.
    const QString entryPatch = dir_.filePath(QStringLiteral("entry.bps"));
    const QString wholePatch = dir_.filePath(QStringLiteral("whole.bps"));
    const QString extracted = dir_.filePath(QStringLiteral("extracted"));
    const QByteArray wanted = SampleGame::readFile(modified);
    const ToolRun made = runTool(game, [&](Tool &tool) {
      return tool.patch(GameFileRef::plain(original), GameFileRef::plain(modified), entryPatch, {},
                        GameFile::Exe) +
             tool.patch(GameFileRef::plain(original), GameFileRef::plain(modified), wholePatch) +
             tool.extract(original, extracted);
    });
    QCOMPARE(made.status, int(kSuccess));
    const QString extractedExe = extracted + QStringLiteral("/SLPS_255.37");
    const ToolRun applied = runTool(game, [&](Tool &tool) {
      return tool.apply(GameFileRef::plain(extractedExe), entryPatch) +
             tool.apply(GameFileRef::plain(original), wholePatch);
    });
    QCOMPARE(applied.status, int(kSuccess));
    QCOMPARE(SampleGame::readFile(extractedExe), game.exe());
    QCOMPARE(SampleGame::readFile(original), wanted);
    QVERIFY(QFile::exists(extracted + QStringLiteral("/stage.bin")));
  }

  // dump all of an image that lacks stage.bin writes no table at all.
  void dumpAllWritesNothingWhenAnEntryIsMissing() {
    SampleGame game;
    const QString image = masterTestImage(dir_, QStringLiteral("exe-only"),
                                          {{QStringLiteral("GAME/SLPS_255.37"), game.exe()}});
    QVERIFY(!image.isEmpty());
    const QString folder = dir_.filePath(QStringLiteral("dumped"));
    const ToolRun run = runTool(game, [&](Tool &tool) {
      return tool.dump(
          {GameFileRef::plain(image), QStringLiteral("all"), Format::Csv, false, folder, {}});
    });
    QCOMPARE(run.status, int(kFailed));
    QVERIFY2(run.err.contains(QStringLiteral("找不到 stage.bin")), qPrintable(run.err));
    QVERIFY(QDir(folder).entryList(QDir::Files).isEmpty());
  }

  // A game file whose first bytes happen to look like a compressed or raw image
  // is still the game file its name says.
  void aStageFileThatLooksLikeAnImageIsAGameFile() {
    SampleGame game;
    for (const QByteArray &head :
         {QByteArray::fromHex("1F8B"), QByteArray::fromHex("00FFFFFFFFFFFFFFFFFFFF00")}) {
      QByteArray stage = game.stage();
      stage.replace(0, head.size(), head);
      SampleGame::writeFile(game.stagePath(), stage);
      QVERIFY(!tool::namesImage(GameFileRef::plain(game.stagePath())));
      const ToolRun run = runTool(game, [&](Tool &tool) {
        return tool.dump({GameFileRef::plain(game.stagePath()),
                          QStringLiteral("enemies"),
                          Format::Csv,
                          false,
                          {},
                          {}});
      });
      QVERIFY2(run.status == kSuccess, qPrintable(run.err));
    }
  }

  // extract never writes through a link in the folder (a dangling one would
  // create its target elsewhere) and leaves nothing behind when it refuses.
  void extractRefusesLinksAndLeavesNothing() {
    SampleGame game;
    const QString image = imageOf(game);
    QVERIFY(!image.isEmpty());
    const QString folder = dir_.filePath(QStringLiteral("linked"));
    QDir().mkpath(folder);
    const QString elsewhere = dir_.filePath(QStringLiteral("elsewhere.bin"));
    QVERIFY(QFile::link(elsewhere, folder + QStringLiteral("/stage.bin")));
    const ToolRun run = runTool(game, [&](Tool &tool) { return tool.extract(image, folder); });
    QCOMPARE(run.status, int(kFailed));
    QVERIFY2(run.err.contains(QStringLiteral("符号链接")), qPrintable(run.err));
    QVERIFY(!QFile::exists(elsewhere));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System),
             QStringList{QStringLiteral("stage.bin")});

    QFile::remove(folder + QStringLiteral("/stage.bin"));
    const ToolRun fine = runTool(game, [&](Tool &tool) { return tool.extract(image, folder); });
    QCOMPARE(fine.status, int(kSuccess));
    QCOMPARE(SampleGame::readFile(folder + QStringLiteral("/stage.bin")), game.stage());
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2);
  }

  // An image the tool cannot edit in place is refused before anything is written.
  // Only a path typed on the command line is read back as an image and its entry;
  // a file that exists under the whole text is that file.
  void aTypedPathNamesAnEntryOrAFile() {
    const GameFileRef typed = tool::typedGameFile(QStringLiteral("/g/srw.iso › STAGE.BIN"));
    QCOMPARE(typed.path, QStringLiteral("/g/srw.iso"));
    QCOMPARE(typed.entry, kStageEntryName);
    QVERIFY(!tool::typedGameFile(QStringLiteral("/g/srw.iso › other.bin")).inImage());
    QVERIFY(!tool::typedGameFile(QStringLiteral("/g/SLPS_255.37")).inImage());
    const QString odd = dir_.filePath(QStringLiteral("copy.iso › SLPS_255.37"));
    SampleGame::writeFile(odd, QByteArray(16, '\0'));
    QCOMPARE(tool::typedGameFile(odd).path, odd);
    QVERIFY(!tool::typedGameFile(odd).inImage());
  }

  void aRawSectorImageIsRefused() {
    SampleGame game;
    const QString image = imageOf(game);
    QVERIFY(!image.isEmpty());
    const QString raw = dir_.filePath(QStringLiteral("game.bin"));
    QByteArray bytes;
    const QByteArray iso = SampleGame::readFile(image);
    for (qint64 at = 0; at < iso.size(); at += 2048)
      bytes += QByteArray::fromHex("00FFFFFFFFFFFFFFFFFFFF0000020001") + iso.mid(at, 2048) +
               QByteArray(288, '\0');
    SampleGame::writeFile(raw, bytes);
    const QString csv = dir_.filePath(QStringLiteral("raw.csv"));
    QCOMPARE(dumpTable(game, game.exePath(), QStringLiteral("units"), csv), int(kSuccess));
    const ToolRun run = runTool(game, [&](Tool &tool) {
      return tool.importCsv({GameFileRef::plain(raw), QStringLiteral("units"), csv, false, {}});
    });
    QCOMPARE(run.status, int(kFailed));
    QVERIFY2(run.err.contains(QStringLiteral("2352")), qPrintable(run.err));
    QCOMPARE(SampleGame::readFile(raw), bytes);
  }
};

QTEST_GUILESS_MAIN(TestImageCommands)
#include "tst_image_commands.moc"
