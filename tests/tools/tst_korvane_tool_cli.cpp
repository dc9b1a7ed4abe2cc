// The built korvane-tool: its exit status, and what it prints where.

#include "tests/support/sample_game.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace korvane::test;

namespace {

struct Result {
  int status;
  QString out;
  QString err;
};

// With `names`, the sample game's name lists are given last on the line.
Result korvaneTool(const SampleGame &game, QStringList arguments, bool names = true) {
  QProcess process;
  if (names)
    arguments << QStringLiteral("--names") << game.dir();
  process.start(QStringLiteral(KORVANE_TOOL_PATH), arguments);
  if (!process.waitForFinished(60000))
    return {-1, {}, QStringLiteral("did not finish")};
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
    QVERIFY(text.startsWith("\xEF\xBB\xBF序号,名称,"));
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
};

QTEST_GUILESS_MAIN(TestKorvaneToolCli)
#include "tst_korvane_tool_cli.moc"
