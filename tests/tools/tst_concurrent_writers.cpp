// korvane-tool run twice at once, or killed in the middle of a write: the file
// always ends as one serial order of the writers left it, and only the writers
// whose bytes are there report success.

#include "io/bps.h"
#include "io/regular_file.h"
#include "io/rollback_journal.h"
#include "tests/support/sample_game.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace korvane;
using korvane::test::SampleGame;

namespace {

QByteArray counting(qsizetype size) {
  QByteArray bytes(size, Qt::Uninitialized);
  for (qsizetype i = 0; i < size; ++i)
    bytes[i] = char(i * 7 + i / 4093);
  return bytes;
}

// `bytes` with every `step`-th byte changed by `delta`.
QByteArray changedEvery(QByteArray bytes, qsizetype step, char delta) {
  for (qsizetype at = step / 2; at < bytes.size(); at += step)
    bytes[at] = char(bytes[at] + delta);
  return bytes;
}

QProcess *startTool(const QStringList &arguments) {
  auto *process = new QProcess;
  process->start(QStringLiteral(KORVANE_TOOL_PATH), arguments);
  return process;
}

struct Outcome {
  int status = -1;
  QString out;
  QString err;
};

Outcome finished(QProcess *process) {
  Outcome outcome;
  if (process->waitForFinished(120000) && process->exitStatus() == QProcess::NormalExit)
    outcome.status = process->exitCode();
  outcome.out = QString::fromUtf8(process->readAllStandardOutput());
  outcome.err = QString::fromUtf8(process->readAllStandardError());
  delete process;
  return outcome;
}

} // namespace

class TestConcurrentWriters : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

  QString write(const QString &name, const QByteArray &bytes) {
    const QString path = dir_.filePath(name);
    SampleGame::writeFile(path, bytes);
    QFile::remove(journalPathOf(path));
    return path;
  }

private slots:
  // A writer that finds the file locked waits, then names the holder and
  // writes nothing.
  void aLockedFileIsRefusedNamingItsHolder() {
    const QByteArray source = counting(100000);
    const QString file = write(QStringLiteral("SLPS_255.37"), source);
    const QString patch =
        write(QStringLiteral("a.bps"), encodeBps(source, changedEvery(source, 5000, 1)));
    const FileLock held(file);
    QVERIFY(held.ok());
    const Outcome outcome = finished(startTool({QStringLiteral("apply"), file, patch}));
    QCOMPARE(outcome.status, 2);
    QVERIFY2(outcome.err.contains(QStringLiteral("正在被另一个写入者使用")),
             qPrintable(outcome.err));
    QVERIFY(outcome.err.contains(QString::number(QCoreApplication::applicationPid())));
    QCOMPARE(SampleGame::readFile(file), source);
  }

  // Two patches of the same bytes, made for the same file: one is applied and
  // says so, the other finds the file changed and says so.
  void twoAppliesAtOnceLeaveOneOfThem() {
    const QByteArray source = counting(2 << 20);
    const QByteArray targets[] = {changedEvery(source, 3000, 1), changedEvery(source, 3000, 2)};
    const QString patches[] = {write(QStringLiteral("one.bps"), encodeBps(source, targets[0])),
                               write(QStringLiteral("two.bps"), encodeBps(source, targets[1]))};
    for (int trial = 0; trial < 6; ++trial) {
      const QString file = write(QStringLiteral("SLPS_255.37"), source);
      QProcess *first = startTool({QStringLiteral("apply"), file, patches[0]});
      QProcess *second = startTool({QStringLiteral("apply"), file, patches[1]});
      const Outcome outcomes[] = {finished(first), finished(second)};
      const QByteArray result = SampleGame::readFile(file);
      int applied = 0;
      for (int i = 0; i < 2; ++i) {
        const bool succeeded = outcomes[i].status == 0;
        QVERIFY2(succeeded == outcomes[i].out.contains(QStringLiteral("已应用")),
                 qPrintable(outcomes[i].out + outcomes[i].err));
        QCOMPARE(succeeded, result == targets[i]);
        applied += succeeded;
      }
      QCOMPARE(applied, 1);
      QVERIFY(!QFile::exists(journalPathOf(file)));
    }
  }

  // An apply killed while it writes leaves its journal; the next command that
  // opens the file puts every original byte back first and says so.
  void aKilledApplyIsUndoneByTheNextCommand() {
    const QByteArray source = counting(32 << 20);
    const QByteArray target = changedEvery(source, 4096, 1);
    const QString patch = write(QStringLiteral("big.bps"), encodeBps(source, target));
    bool caught = false;
    for (int attempt = 0; attempt < 8 && !caught; ++attempt) {
      const QString file = write(QStringLiteral("SLPS_255.37"), source);
      QProcess *apply = startTool({QStringLiteral("apply"), file, patch});
      while (apply->state() != QProcess::NotRunning && !caught) {
        caught = QFile::exists(journalPathOf(file));
        if (caught)
          apply->kill();
        else
          QThread::usleep(100);
      }
      apply->waitForFinished();
      delete apply;
      if (!caught) {
        QCOMPARE(SampleGame::readFile(file), target);
        continue;
      }
      QVERIFY(QFile::exists(journalPathOf(file)));
      const Outcome next =
          finished(startTool({QStringLiteral("apply"), QStringLiteral("--dry-run"), file, patch}));
      // Killed while the journal was written, the file was not touched yet.
      QVERIFY2(next.err.contains(QStringLiteral("回滚日志")), qPrintable(next.err));
      QCOMPARE(next.status, 0);
      QVERIFY(SampleGame::readFile(file) == source);
      QVERIFY(!QFile::exists(journalPathOf(file)));
    }
    if (!caught)
      QSKIP("every apply finished before it could be killed");
  }
};

QTEST_GUILESS_MAIN(TestConcurrentWriters)
#include "tst_concurrent_writers.moc"
