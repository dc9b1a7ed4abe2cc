// The built korvane-tool: its exit status, and what it prints where.

#include "tests/support/game_image.h"
#include "tests/support/sample_game.h"
#include "tools/sample_data.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

using namespace korvane::test;

namespace {

// Puts something that is no regular file at `path`: a FIFO, which would block a
// careless reader, or on Windows, which has none in its file system, a folder.
bool makeNonRegularFile(const QString &path) {
#ifdef Q_OS_WIN
  return QDir().mkdir(path);
#else
  return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
#endif
}

struct Result {
  int status;
  QString out;
  QString err;
};

// With `names`, the sample game's name lists are given last on the line. With
// `output`, standard output goes to that file.
Result korvaneTool(const SampleGame &game, QStringList arguments, bool names = true,
                   const QString &output = {}) {
  QProcess process;
  if (names)
    arguments << QStringLiteral("--names") << game.dir();
  if (!output.isEmpty())
    process.setStandardOutputFile(output);
  process.start(QStringLiteral(KORVANE_TOOL_PATH), arguments);
  // Every command here is done in well under this; one that waits on a pipe is not.
  if (!process.waitForFinished(20000)) {
    process.kill();
    process.waitForFinished();
    return {-1, {}, QStringLiteral("did not finish")};
  }
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardOutput()),
          QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

class TestKorvaneToolCli : public QObject {
  Q_OBJECT

private slots:
  void diffExitsWithZeroOneOrTwo() {
    SampleGame game;
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("SLPS_255.37"));
    SampleGame::writeFile(copy, game.exe());
    Result result = korvaneTool(game, {QStringLiteral("diff"), game.exePath(), copy});
    QCOMPARE(result.status, 0);
    QVERIFY(result.out.isEmpty());

    QByteArray changed = game.exe();
    changed[0x2BE710 + 12] = char(changed[0x2BE710 + 12] ^ 1); // unit 0's EN
    SampleGame::writeFile(copy, changed);
    result = korvaneTool(game, {QStringLiteral("diff"), game.exePath(), copy});
    QCOMPARE(result.status, 1);
    QVERIFY2(result.out.startsWith(QStringLiteral("机体&武器 / 机体0000 / EN: ")),
             qPrintable(result.out));

    result = korvaneTool(game, {QStringLiteral("diff"), game.exePath(), dir.filePath("none")});
    QCOMPARE(result.status, 2);
    QVERIFY(result.out.isEmpty());
    QVERIFY(result.err.contains(QStringLiteral("无法打开文件")));
  }

  // Files that differ only in bits no field shows are listed as differing there.
  void diffListsBitsNoFieldShows() {
    SampleGame game;
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("SLPS_255.37"));
    QByteArray changed = game.exe();
    const qint64 equipment = 0x2BE710 + 732 * 12 + 54;
    changed[equipment] = char(0x83);
    SampleGame::writeFile(copy, changed);
    changed[equipment] = char(0x03);
    game.setExe(changed);
    const Result result = korvaneTool(game, {QStringLiteral("diff"), copy, game.exePath()});
    QCOMPARE(result.status, 1);
    QCOMPARE(result.out,
             QStringLiteral("机体&武器 / 机体0012 / 未显示的位（偏移 +54）: 0x83 → 0x03\n"));
  }

  void commandsAndOptionsAreChecked() {
    SampleGame game;
    Result result = korvaneTool(game, {QStringLiteral("tables")});
    QCOMPARE(result.status, 0);
    QVERIFY(result.out.contains(QStringLiteral("units\t机体&武器\tSLPS_255.37\t837")));

    result = korvaneTool(game, {QStringLiteral("dump"), game.exePath(), QStringLiteral("units"),
                                QStringLiteral("--format"), QStringLiteral("xml")});
    QCOMPARE(result.status, 2);
    QVERIFY(result.err.contains(QStringLiteral("csv 或 json")));
    result = korvaneTool(
        game, {QStringLiteral("diff"), game.exePath(), game.exePath(), QStringLiteral("--bom")});
    QCOMPARE(result.status, 2);
    QVERIFY(result.err.contains(QStringLiteral("不适用于")));
    result = korvaneTool(game, {QStringLiteral("merge")});
    QCOMPARE(result.status, 2);
    result = korvaneTool(game, {QStringLiteral("dump"), game.exePath()});
    QCOMPARE(result.status, 2);
    result = korvaneTool(game, {QStringLiteral("--nothing")});
    QCOMPARE(result.status, 2);
    QVERIFY(result.err.contains(QStringLiteral("不认识的选项")));
    // An option without its value, last on the line.
    result = korvaneTool(game, {QStringLiteral("tables"), QStringLiteral("--names")}, false);
    QCOMPARE(result.status, 2);
    QVERIFY2(result.err.contains(QStringLiteral("选项 --names 后面缺少它的值")),
             qPrintable(result.err));
  }

  // A dump sent to standard output is the very bytes -o writes: rows end in
  // "\r\n" on every system, with nothing added to them on the way out.
  void standardOutputCarriesTheDumpUnchanged() {
    SampleGame game;
    QTemporaryDir dir;
    const QString printed = dir.filePath(QStringLiteral("printed.csv"));
    const QString written = dir.filePath(QStringLiteral("written.csv"));
    const QStringList dump{QStringLiteral("dump"), game.exePath(), QStringLiteral("units")};
    QCOMPARE(korvaneTool(game, dump, true, printed).status, 0);
    QCOMPARE(korvaneTool(game, dump + QStringList{QStringLiteral("-o"), written}).status, 0);
    const QByteArray text = SampleGame::readFile(written);
    QVERIFY(text.contains("\r\n12,") && !text.contains("\r\r"));
    QCOMPARE(SampleGame::readFile(printed), text);
  }

  // A full disk under standard output fails the command, and says why in Chinese;
  // an import that did write says so.
  void outputThatCannotBeWrittenFails() {
    SampleGame game;
    const QString full = QStringLiteral("/dev/full");
    if (!QFileInfo::exists(full))
      QSKIP("no /dev/full");
    Result result = korvaneTool(
        game, {QStringLiteral("dump"), game.exePath(), QStringLiteral("units")}, true, full);
    QCOMPARE(result.status, 2);
    QVERIFY2(result.err.contains(QStringLiteral("磁盘空间不足")), qPrintable(result.err));

    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("units.csv"));
    QCOMPARE(korvaneTool(game, {QStringLiteral("dump"), game.exePath(), QStringLiteral("units"),
                                QStringLiteral("-o"), csv})
                 .status,
             0);
    QByteArray text = SampleGame::readFile(csv);
    const qsizetype start = text.indexOf("\r\n12,") + 2;
    QList<QByteArray> cells = text.mid(start, text.indexOf("\r\n", start) - start).split(',');
    text.replace(start, text.indexOf("\r\n", start) - start,
                 cells.mid(0, 4).join(',') + ",4200," + cells.mid(5).join(','));
    SampleGame::writeFile(csv, text);
    const QByteArray before = game.exe();
    result = korvaneTool(
        game, {QStringLiteral("import"), game.exePath(), QStringLiteral("units"), csv}, true, full);
    QCOMPARE(result.status, 2);
    QVERIFY2(result.err.contains(QStringLiteral("导入已经写入了游戏文件")), qPrintable(result.err));
    QVERIFY(SampleGame::readFile(game.exePath()) != before);
  }

  void outputFolderProblemsAreToldInChinese() {
    SampleGame game;
    QTemporaryDir dir;
    Result result =
        korvaneTool(game, {QStringLiteral("dump"), game.exePath(), QStringLiteral("units"),
                           QStringLiteral("-o"), dir.filePath(QStringLiteral("none/units.csv"))});
    QCOMPARE(result.status, 2);
    QVERIFY2(result.err.contains(QStringLiteral("原因：文件或文件夹不存在")),
             qPrintable(result.err));
    // Not even root may create files in sysfs.
    if (QFileInfo(QStringLiteral("/sys/kernel")).isDir()) {
      result = korvaneTool(game, {QStringLiteral("dump"), game.exePath(), QStringLiteral("units"),
                                  QStringLiteral("-o"), QStringLiteral("/sys/units.csv")});
      QCOMPARE(result.status, 2);
      QVERIFY2(result.err.contains(QStringLiteral("原因：没有权限")), qPrintable(result.err));
    }
  }

  // A FIFO in place of any file the tool reads is refused at once, never waited on.
  void pipesAreRefusedAtOnce() {
    SampleGame game;
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("SLPS_255.37"));
    QVERIFY(makeNonRegularFile(fifo));
    const QString patch = dir.filePath(QStringLiteral("mod.bps"));
    SampleGame::writeFile(patch, "BPS1");
    const QString notRegular = QStringLiteral("不是普通文件");
    const QList<QStringList> commands{
        {QStringLiteral("dump"), fifo, QStringLiteral("units")},
        {QStringLiteral("diff"), game.exePath(), fifo},
        {QStringLiteral("import"), game.exePath(), QStringLiteral("units"), fifo},
        {QStringLiteral("apply"), game.exePath(), fifo},
        {QStringLiteral("apply"), fifo, patch},
        {QStringLiteral("patch"), fifo, game.exePath(), QStringLiteral("-o"), patch},
    };
    const QByteArray exe = game.exe();
    for (const QStringList &command : commands) {
      const Result result = korvaneTool(game, command);
      QVERIFY2(result.status == 2 && result.err.contains(notRegular),
               qPrintable(command.join(u' ') + u'\n' + result.err));
    }
    QVERIFY(SampleGame::readFile(game.exePath()) == exe);

    // A name list that is a FIFO is a missing list, with the reason.
    const QString names = dir.filePath(QStringLiteral("names"));
    QVERIFY(QDir().mkpath(names + QStringLiteral("/data")));
    QVERIFY(makeNonRegularFile(names + QStringLiteral("/data/zcoffset.txt")));
    const Result result =
        korvaneTool(game, {QStringLiteral("tables"), QStringLiteral("--names"), names}, false);
    QCOMPARE(result.status, 0);
    QVERIFY2(result.err.contains(QStringLiteral("zcoffset.txt")) && result.err.contains(notRegular),
             qPrintable(result.err));
  }

  // A list another editor saved as UTF-8 reads as its names; one that still does not
  // decode is named on standard error with its line, and the command goes on.
  void nameListsInOtherEncodingsAreRecognised() {
    SampleGame game;
    const QString unitList = game.listPath("unit.txt");
    QStringList names = korvane::samples::unitNames();
    names[12] = QStringLiteral("ガンダム改");
    SampleGame::writeFile(unitList, names.join(QStringLiteral("\n")).toUtf8());
    const QStringList dump{QStringLiteral("dump"), game.exePath(), QStringLiteral("units")};
    Result result = korvaneTool(game, dump);
    QCOMPARE(result.status, 0);
    QVERIFY2(result.err.isEmpty(), qPrintable(result.err));
    QVERIFY(result.out.contains(QStringLiteral("\n12,ガンダム改,")));

    QByteArray broken = korvane::samples::encodeGbk(names);
    broken.insert(broken.indexOf("\r\n") + 2, "\x81\x20");
    SampleGame::writeFile(unitList, broken);
    result = korvaneTool(game, dump);
    QCOMPARE(result.status, 0);
    QVERIFY2(result.err.contains(QStringLiteral("名称列表“unit.txt”中有无法识别的文字")),
             qPrintable(result.err));
    QVERIFY(result.err.contains(unitList) && result.err.contains(QStringLiteral("行：2")));
  }

  // LibreOffice's CSV dialog splits on ";" and Tab as well as ",": the dump quotes
  // every cell holding one, and what Calc saves of it imports as no change. A CSV
  // saved with ";" between cells is refused, naming the separator. The LibreOffice
  // files are kept; they are made afresh with KORVANE_REMAKE_SPREADSHEETS set where
  // LibreOffice is installed.
  void csvSurvivesLibreOfficesImportDialog() {
    SampleGame game;
    QTemporaryDir dir;
    const QString dumped = dir.filePath(QStringLiteral("units.csv"));
    QCOMPARE(korvaneTool(game, {QStringLiteral("dump"), game.exePath(), QStringLiteral("units"),
                                QStringLiteral("-o"), dumped})
                 .status,
             0);
    QString unquoted = QString::fromUtf8(SampleGame::readFile(dumped));
    QVERIFY(unquoted.contains(QStringLiteral("合体;分離")));
    unquoted.remove(QRegularExpression(QStringLiteral("\"[^\"]*\"")));
    QVERIFY(!unquoted.contains(u';') && !unquoted.contains(u'\t'));

    QString folder = QStringLiteral(KORVANE_TEST_DATA "/spreadsheets");
    // Starting Calc takes minutes on a busy machine: asked for, not by default.
    if (qEnvironmentVariableIsSet("KORVANE_REMAKE_SPREADSHEETS") &&
        !QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty()) {
      QProcess make;
      make.start(folder + QStringLiteral("/make_dialog.sh"),
                 {QFileInfo(QStringLiteral(KORVANE_TOOL_PATH)).absolutePath(), dir.path()});
      QVERIFY(make.waitForFinished(280000));
      QVERIFY2(make.exitCode() == 0, make.readAllStandardError().constData());
      folder = dir.path();
    }
    // Calc's first 30 units, then the rest of the dump: an import takes every unit.
    QByteArray calc = SampleGame::readFile(folder + QStringLiteral("/dialog/units.csv"));
    const QList<QByteArray> dumpLines = SampleGame::readFile(dumped).split('\n');
    QVERIFY(calc.endsWith('\n') && calc.count('\n') == 31);
    calc += QList<QByteArray>(dumpLines.begin() + 31, dumpLines.end()).join('\n');
    const QString spliced = dir.filePath(QStringLiteral("spliced.csv"));
    SampleGame::writeFile(spliced, calc);
    const QByteArray before = game.exe();
    const QStringList import{QStringLiteral("import"), game.exePath(), QStringLiteral("units")};
    Result result = korvaneTool(game, import + QStringList{spliced});
    QVERIFY2(result.status == 0, qPrintable(result.err));
    QVERIFY2(result.out.contains(QStringLiteral("没有写入任何内容")), qPrintable(result.out));
    result =
        korvaneTool(game, import + QStringList{folder + QStringLiteral("/semicolon/units.csv")});
    QCOMPARE(result.status, 2);
    QVERIFY2(result.err.contains(QStringLiteral("CSV 文件的格子是用分号“;”分隔的")),
             qPrintable(result.err));
    QVERIFY(game.exe() == before);
  }

  // dump, edit one cell, import, diff, patch, apply: the README's walk.
  void theWorkedExampleRuns() {
    SampleGame game;
    QTemporaryDir dir;
    const QString original = dir.filePath(QStringLiteral("原版.37"));
    SampleGame::writeFile(original, game.exe());
    const QString csv = dir.filePath(QStringLiteral("units.csv"));
    Result result =
        korvaneTool(game, {QStringLiteral("dump"), game.exePath(), QStringLiteral("units"),
                           QStringLiteral("--bom"), QStringLiteral("-o"), csv});
    QCOMPARE(result.status, 0);
    QByteArray text = SampleGame::readFile(csv);
    QVERIFY(text.startsWith("\xEF\xBB\xBF\"序号\",名称,"));
    // Unit 12's row; HP is its fifth cell, and no cell before it holds a comma.
    const qsizetype start = text.indexOf("\r\n12,") + 2;
    const qsizetype end = text.indexOf("\r\n", start);
    QList<QByteArray> cells = text.mid(start, end - start).split(',');
    cells[4] = "4200";
    text.replace(start, end - start, cells.join(','));
    SampleGame::writeFile(csv, text);

    result =
        korvaneTool(game, {QStringLiteral("import"), game.exePath(), QStringLiteral("units"), csv});
    QCOMPARE(result.status, 0);
    QVERIFY2(result.out.contains(QStringLiteral(" → 4200")), qPrintable(result.out + result.err));
    result = korvaneTool(game, {QStringLiteral("diff"), original, game.exePath()});
    QCOMPARE(result.status, 1);
    QVERIFY(result.out.startsWith(QStringLiteral("机体&武器 / 机体0012 / HP: ")));
    QVERIFY(result.out.endsWith(QStringLiteral(" → 4200\n")));

    const QString ips = dir.filePath(QStringLiteral("mod.ips"));
    QCOMPARE(korvaneTool(game, {QStringLiteral("patch"), original, game.exePath(),
                                QStringLiteral("-o"), ips})
                 .status,
             0);
    const QString copy = dir.filePath(QStringLiteral("copy.37"));
    SampleGame::writeFile(copy, SampleGame::readFile(original));
    QCOMPARE(korvaneTool(game, {QStringLiteral("apply"), copy, ips}).status, 0);
    QVERIFY(SampleGame::readFile(copy) == game.exe());
  }
  // A game file typed as an entry of a disc image ("game.iso › stage.bin") is
  // that entry for every command, and tells which game file it is; a file whose
  // own name holds the separator is that file.
  void anEntryOfAnImageIsTypedWithTheSeparator() {
    if (!korvane::samples::imageMakerPresent(korvane::samples::ImageMaker::Xorriso))
      QSKIP("xorriso is not installed");
    SampleGame game;
    QTemporaryDir dir;
    const QString image = gameImageOf(dir, QStringLiteral("game"), game.exe(), game.stage());
    QVERIFY(!image.isEmpty());
    const QString exeEntry = image + QStringLiteral(" › SLPS_255.37");
    const QString stageEntry = image + QStringLiteral(" › STAGE.BIN");
    const Result plain = korvaneTool(game, {QStringLiteral("dump"), game.exePath(), "units"});
    QCOMPARE(plain.status, 0);
    const Result typed = korvaneTool(game, {QStringLiteral("dump"), exeEntry, "units"});
    QCOMPARE(typed.status, 0);
    QCOMPARE(typed.out, plain.out);
    Result compared = korvaneTool(game, {QStringLiteral("diff"), stageEntry, game.stagePath()});
    QVERIFY2(compared.status == 0 && compared.out.isEmpty(), qPrintable(compared.err));

    // A patch applied to the typed entry changes it as it changes the plain file.
    const QString patch = QStringLiteral(KORVANE_TEST_DATA "/units.bps");
    const QByteArray imageBefore = SampleGame::readFile(image);
    QCOMPARE(korvaneTool(game, {QStringLiteral("apply"), exeEntry, patch}).status, 0);
    QVERIFY(SampleGame::readFile(image) != imageBefore);
    QCOMPARE(korvaneTool(game, {QStringLiteral("diff"), exeEntry, game.exePath()}).status, 1);
    QCOMPARE(korvaneTool(game, {QStringLiteral("apply"), game.exePath(), patch}).status, 0);
    QCOMPARE(korvaneTool(game, {QStringLiteral("diff"), exeEntry, game.exePath()}).status, 0);

    const QString odd = dir.filePath(QStringLiteral("copy.iso › SLPS_255.37"));
    SampleGame::writeFile(odd, game.exe());
    const Result named = korvaneTool(game, {QStringLiteral("dump"), odd, "units"});
    QCOMPARE(named.status, 0);
    QCOMPARE(named.out, korvaneTool(game, {QStringLiteral("dump"), game.exePath(), "units"}).out);
  }
};

QTEST_GUILESS_MAIN(TestKorvaneToolCli)
#include "tst_korvane_tool_cli.moc"
