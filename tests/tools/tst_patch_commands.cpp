// korvane-tool's patches: BPS made, checked and applied all or nothing, IPS kept
// for what it can express, and both read from peers' patches.

#include "io/bps.h"
#include "tests/support/sample_game.h"
#include "tests/tools/tool_harness.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace korvane;
using namespace korvane::test;
using korvane::tool::kFailed;
using korvane::tool::kSuccess;
using korvane::tool::Tool;

namespace {

constexpr qint64 kUnitTable = 0x2BE710;
constexpr qint64 kUnitSize = 732;

void putWord(QByteArray &bytes, qint64 offset, quint32 value) {
  bytes[offset] = char(value & 0xFF);
  bytes[offset + 1] = char(value >> 8);
}

// The sample executable with three unit fields changed: the recipe of the stored
// patch data/units.bps, made by the npm package bps ("bps create").
QByteArray withUnitsChanged(QByteArray exe) {
  putWord(exe, kUnitTable + 8, 1234);                  // unit 0's HP
  putWord(exe, kUnitTable + kUnitSize * 12 + 8, 4200); // unit 12's HP
  exe[kUnitTable + kUnitSize * 300 + 12] = char(exe[kUnitTable + kUnitSize * 300 + 12] ^ 1);
  return exe;
}

QString storedPatch(const char *name) {
  return QDir(QStringLiteral(KORVANE_TEST_DATA)).filePath(QString::fromLatin1(name));
}

struct Result {
  int status;
  QString out;
  QString err;
};

Result run(const QString &program, const QStringList &arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(120000))
    return {-1, {}, QStringLiteral("did not finish")};
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardOutput()),
          QString::fromUtf8(process.readAllStandardError())};
}

Result korvaneTool(const SampleGame &game, QStringList arguments) {
  return run(QStringLiteral(KORVANE_TOOL_PATH),
             arguments << QStringLiteral("--names") << game.dir());
}

// The command-line tool of the npm package bps: KORVANE_BPS_CLI, or "bps" on the PATH.
QString bpsCli() {
  const QString given = qEnvironmentVariable("KORVANE_BPS_CLI");
  if (!given.isEmpty())
    return given;
  if (QStandardPaths::findExecutable(QStringLiteral("node")).isEmpty())
    return {};
  return QStandardPaths::findExecutable(QStringLiteral("bps"));
}

QByteArray ipsRecord(qint64 offset, const QByteArray &bytes) {
  QByteArray record;
  record += char(offset >> 16);
  record += char(offset >> 8);
  record += char(offset);
  record += char(bytes.size() >> 8);
  record += char(bytes.size());
  return record + bytes;
}

} // namespace

class TestPatchCommands : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

  QString write(const char *name, const QByteArray &bytes) {
    const QString path = dir_.filePath(QString::fromLatin1(name));
    SampleGame::writeFile(path, bytes);
    return path;
  }

private slots:
  // patch, patch --check and apply: BPS by default, and refused on a file it was
  // not made for (here the modified file itself) with nothing written.
  void bpsPatchesAreMadeCheckedAndAppliedOnlyToTheirFile() {
    SampleGame game;
    const QByteArray original = game.exe();
    const QByteArray modified = withUnitsChanged(original);
    const QString modifiedPath = write("modified.37", modified);
    const QString patch = dir_.filePath(QStringLiteral("units.bps"));
    ToolRun result = runTool(game, [&](Tool &tool) {
      return tool.patch(GameFileRef::plain(game.exePath()), GameFileRef::plain(modifiedPath),
                        patch);
    });
    QCOMPARE(result.status, int(kSuccess));
    QVERIFY2(result.out.contains(QStringLiteral("BPS 补丁已写入")), qPrintable(result.out));
    QVERIFY(SampleGame::readFile(patch).startsWith("BPS1"));

    result = runTool(game, [&](Tool &tool) {
      return tool.apply(GameFileRef::plain(game.exePath()), patch, true);
    });
    QCOMPARE(result.status, int(kSuccess));
    QVERIFY2(result.out.contains(QStringLiteral("机体&武器 / 机体0012 / HP: ")) &&
                 result.out.contains(QStringLiteral(" → 4200\n")),
             qPrintable(result.out));
    QVERIFY(game.exe() == original);

    result = runTool(
        game, [&](Tool &tool) { return tool.apply(GameFileRef::plain(modifiedPath), patch); });
    QCOMPARE(result.status, int(kFailed));
    QVERIFY2(result.err.contains(QStringLiteral("这个补丁不是为这个文件做的：文件的 CRC32 是")),
             qPrintable(result.err));
    QVERIFY(result.err.contains(QStringLiteral("没有写入任何内容")));
    QVERIFY(SampleGame::readFile(modifiedPath) == modified);

    result = runTool(
        game, [&](Tool &tool) { return tool.apply(GameFileRef::plain(game.exePath()), patch); });
    QCOMPARE(result.status, int(kSuccess));
    QVERIFY(game.exe() == modified);
  }

  void aDamagedOrResizingPatchWritesNothing() {
    SampleGame game;
    const QByteArray original = game.exe();
    QByteArray flipped = encodeBps(original, withUnitsChanged(original));
    flipped[flipped.size() / 2] = char(flipped[flipped.size() / 2] ^ 0x20);
    const QString damaged = write("damaged.bps", flipped);
    ToolRun result = runTool(
        game, [&](Tool &tool) { return tool.apply(GameFileRef::plain(game.exePath()), damaged); });
    QCOMPARE(result.status, int(kFailed));
    QVERIFY(result.err.contains(QStringLiteral("补丁文件已损坏")));
    QVERIFY(game.exe() == original);

    const QString longer = write("longer.bps", encodeBps(original, original + "tail"));
    result = runTool(
        game, [&](Tool &tool) { return tool.apply(GameFileRef::plain(game.exePath()), longer); });
    QCOMPARE(result.status, int(kFailed));
    QVERIFY(result.err.contains(QStringLiteral("游戏文件的长度不会改变")));
    QVERIFY(game.exe() == original);
  }

  // data/change.xdelta was made by Debian's xdelta3 ("xdelta3 -e -s old new").
  void anXdeltaPatchIsNamedWithWhatToDo() {
    SampleGame game;
    const QByteArray before = game.exe();
    const ToolRun run = runTool(game, [&](Tool &tool) {
      return tool.apply(GameFileRef::plain(game.exePath()), storedPatch("change.xdelta"));
    });
    QCOMPARE(run.status, int(kFailed));
    QVERIFY2(run.err.contains(QStringLiteral("xdelta3（VCDIFF）补丁")) &&
                 run.err.contains(QStringLiteral("xdelta3 -d")),
             qPrintable(run.err));
    QVERIFY(game.exe() == before);
  }

  // Changed patches, some with a matching CRC32, never write a byte.
  void mutatedPatchesNeverWrite() {
    SampleGame game;
    QByteArray source(4096, Qt::Uninitialized);
    QRandomGenerator random(17);
    for (char &byte : source)
      byte = char(random.bounded(256));
    QByteArray target = source;
    target.replace(1000, 30, QByteArray(30, '\x01'));
    const QByteArray patch = encodeBps(source, target);
    const QString file = write("small.bin", source);
    const QString patchPath = dir_.filePath(QStringLiteral("mutated.bps"));
    for (int round = 0; round < 300; ++round) {
      QByteArray mutated = patch;
      mutated[random.bounded(qsizetype(mutated.size() - 4))] = char(random.bounded(256));
      if (round % 2 == 0) {
        const quint32 crc = crc32Of(QByteArrayView(mutated).first(mutated.size() - 4));
        for (int i = 0; i < 4; ++i)
          mutated[mutated.size() - 4 + i] = char(quint8(crc >> (8 * i)));
      }
      SampleGame::writeFile(patchPath, mutated);
      const ToolRun result = runTool(
          game, [&](Tool &tool) { return tool.apply(GameFileRef::plain(file), patchPath); });
      const QByteArray now = SampleGame::readFile(file);
      if (result.status == kSuccess) {
        QCOMPARE(now, target);
        SampleGame::writeFile(file, source);
      } else {
        QVERIFY(now == source);
      }
    }
  }

  // IPS stops at 16 MiB and says BPS is the way out; BPS goes on.
  void changesPastSixteenMebibytesNeedBps() {
    SampleGame game;
    const QByteArray large(0x1000000 + 0x1000, '\x33');
    QByteArray changed = large;
    changed[0x1000800] = '\x44';
    const QString original = write("large.bin", large);
    const QString modified = write("large-mod.bin", changed);
    const QString ips = dir_.filePath(QStringLiteral("large.ips"));
    ToolRun result = runTool(game, [&](Tool &tool) {
      return tool.patch(GameFileRef::plain(original), GameFileRef::plain(modified), ips);
    });
    QCOMPARE(result.status, int(kFailed));
    QVERIFY2(result.err.contains(QStringLiteral("BPS")), qPrintable(result.err));
    QVERIFY(!QFile::exists(ips));

    const QString bps = dir_.filePath(QStringLiteral("large.patch"));
    result = runTool(game, [&](Tool &tool) {
      return tool.patch(GameFileRef::plain(original), GameFileRef::plain(modified), bps);
    });
    QCOMPARE(result.status, int(kSuccess));
    result =
        runTool(game, [&](Tool &tool) { return tool.apply(GameFileRef::plain(original), bps); });
    QCOMPARE(result.status, int(kSuccess));
    QVERIFY(SampleGame::readFile(original) == changed);
  }

  // IPS records apply in their order, the later over the earlier, in any order
  // of offsets.
  void ipsRecordsInDescendingOrderApplyInOrder() {
    SampleGame game;
    QByteArray patch("PATCH");
    for (qint64 offset = 0x3000; offset >= 0x1000; offset -= 4)
      patch += ipsRecord(offset, QByteArray::fromHex("A1A2A3A4A5A6"));
    patch += "EOF";
    const QString ips = write("descending.ips", patch);
    QByteArray expected = game.exe();
    for (qint64 offset = 0x3000; offset >= 0x1000; offset -= 4)
      expected.replace(offset, 6, QByteArray::fromHex("A1A2A3A4A5A6"));
    const Result result = korvaneTool(game, {QStringLiteral("apply"), game.exePath(), ips});
    QCOMPARE(result.status, 0);
    QVERIFY(game.exe() == expected);
  }

  void anIpsRecordAtTheEofOffsetIsNamedAsSuch() {
    SampleGame game;
    QByteArray large(0x460000, '\0');
    const QString file = write("large.bin", large);
    const QString ips = write(
        "eof.ips", QByteArray("PATCH") + ipsRecord(0x454F46, QByteArray::fromHex("0102")) + "EOF");
    const Result result = korvaneTool(game, {QStringLiteral("apply"), file, ips});
    QCOMPARE(result.status, 2);
    QVERIFY2(result.err.contains(QStringLiteral("IPS 补丁不能在这个偏移放记录")),
             qPrintable(result.err));
    QVERIFY(!result.err.contains(QStringLiteral("截断")));
    QVERIFY(SampleGame::readFile(file) == large);
  }

  void theCommandLineChoosesTheFormat() {
    SampleGame game;
    const QString modified = write("modified.37", withUnitsChanged(game.exe()));
    const QString ips = dir_.filePath(QStringLiteral("mod.ips"));
    QCOMPARE(korvaneTool(game, {QStringLiteral("patch"), game.exePath(), modified,
                                QStringLiteral("-o"), ips})
                 .status,
             0);
    QVERIFY(SampleGame::readFile(ips).startsWith("PATCH"));
    const QString forced = dir_.filePath(QStringLiteral("mod.ips-as-bps"));
    QCOMPARE(
        korvaneTool(game, {QStringLiteral("patch"), game.exePath(), modified, QStringLiteral("-o"),
                           forced, QStringLiteral("--format"), QStringLiteral("bps")})
            .status,
        0);
    QVERIFY(SampleGame::readFile(forced).startsWith("BPS1"));
    Result result = korvaneTool(
        game, {QStringLiteral("patch"), QStringLiteral("--check"), game.exePath(), forced});
    QCOMPARE(result.status, 0);
    QVERIFY2(result.out.contains(QStringLiteral("机体0000 / HP: ")), qPrintable(result.out));
    result =
        korvaneTool(game, {QStringLiteral("apply"), QStringLiteral("--dry-run"), modified, forced});
    QCOMPARE(result.status, 2);
    QVERIFY(result.err.contains(QStringLiteral("不是为这个文件做的")));
    result =
        korvaneTool(game, {QStringLiteral("patch"), game.exePath(), modified, QStringLiteral("-o"),
                           ips, QStringLiteral("--format"), QStringLiteral("ups")});
    QCOMPARE(result.status, 2);
    QVERIFY(result.err.contains(QStringLiteral("bps 或 ips")));
  }

  // A patch made by the npm package bps ("bps create"), kept in the test data.
  void aPatchMadeByBpsCreateApplies() {
    SampleGame game;
    const QByteArray expected = withUnitsChanged(game.exe());
    const Result result =
        korvaneTool(game, {QStringLiteral("apply"), game.exePath(), storedPatch("units.bps")});
    QCOMPARE(result.status, 0);
    QVERIFY(game.exe() == expected);
  }

  // Both ways with the npm package bps, where node and it are installed.
  void theNpmBpsToolAgreesBothWays() {
    const QString cli = bpsCli();
    if (cli.isEmpty())
      QSKIP("node with the npm package bps is not installed (or set KORVANE_BPS_CLI)");
    SampleGame game;
    const QByteArray original = game.exe();
    const QByteArray modified = withUnitsChanged(original);
    const QString originalPath = write("original.37", original);
    const QString modifiedPath = write("modified.37", modified);

    const QString ours = dir_.filePath(QStringLiteral("ours.bps"));
    QCOMPARE(korvaneTool(game, {QStringLiteral("patch"), originalPath, modifiedPath,
                                QStringLiteral("-o"), ours})
                 .status,
             0);
    Result result = run(cli, {QStringLiteral("verify"), ours});
    QVERIFY2(result.status == 0, qPrintable(result.out + result.err));
    const QString built = dir_.filePath(QStringLiteral("built.37"));
    result = run(cli, {QStringLiteral("apply"), ours, originalPath, built});
    QVERIFY2(result.status == 0, qPrintable(result.out + result.err));
    QVERIFY(SampleGame::readFile(built) == modified);

    const QString theirs = dir_.filePath(QStringLiteral("theirs.bps"));
    result = run(cli, {QStringLiteral("create"), originalPath, modifiedPath, theirs});
    QVERIFY2(result.status == 0, qPrintable(result.out + result.err));
    result = korvaneTool(game, {QStringLiteral("apply"), originalPath, theirs});
    QVERIFY2(result.status == 0, qPrintable(result.err));
    QVERIFY(SampleGame::readFile(originalPath) == modified);
  }
};

QTEST_GUILESS_MAIN(TestPatchCommands)
#include "tst_patch_commands.moc"
