// The writers' lock and the rollback journal: a commit in several places is
// undone when it was cut short, and a second writer never interleaves.

#include "io/module1.h"
#include "io/regular_file.h"
#include "io/rollback_journal.h"
#include "tests/support/sample_game.h"

#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <chrono>

using namespace korvane;
using korvane::test::SampleGame;
using namespace std::chrono_literals;

namespace {

QStringList &notices() {
  static QStringList told;
  return told;
}

QByteArray counting(int size) {
  QByteArray bytes(size, Qt::Uninitialized);
  for (int i = 0; i < size; ++i)
    bytes[i] = char(i * 13 + 1);
  return bytes;
}

} // namespace

class TestRollbackJournal : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  const QByteArray original_ = counting(64 * 1024);

  QString fileWith(const QByteArray &bytes) {
    const QString path = dir_.filePath(QStringLiteral("SLPS_255.37"));
    SampleGame::writeFile(path, bytes);
    QFile::remove(journalPathOf(path));
    return path;
  }

  // A commit cut short after writing its first span: the journal holds the
  // original bytes of both, the file the first one's new bytes.
  QString halfWritten() {
    const QString path = fileWith(original_);
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
      return {};
    if (!writeJournal(file, path, {{100, original_.mid(100, 4)}, {40000, original_.mid(40000, 2)}})
             .isEmpty())
      return {};
    file.seek(100);
    file.write("ABCD");
    return path;
  }

private slots:
  void init() {
    notices().clear();
    setJournalNoticeHandler([](const QString &notice) { notices().append(notice); });
  }

  void aCommitInSeveralPlacesLeavesNoJournal() {
    const QString path = fileWith(original_);
    Module1::Operation op(GameFileRef::plain(path));
    op.writeBytes(10, "xy");
    op.writeBytes(50000, "z");
    QVERIFY2(op.close(), qPrintable(op.error()));
    QByteArray expected = original_;
    expected.replace(10, 2, "xy").replace(50000, 1, "z");
    QCOMPARE(SampleGame::readFile(path), expected);
    QVERIFY(!QFile::exists(journalPathOf(path)));
    QVERIFY(notices().isEmpty());
  }

  // Opened for writing or only read, the file is first put back as it was.
  void theNextOpenRestoresACommitCutShort_data() {
    QTest::addColumn<bool>("write");
    QTest::newRow("operation") << true;
    QTest::newRow("read whole") << false;
  }
  void theNextOpenRestoresACommitCutShort() {
    QFETCH(bool, write);
    const QString path = halfWritten();
    QVERIFY(!path.isEmpty());
    if (write) {
      Module1::Operation op(GameFileRef::plain(path));
      QVERIFY2(op.ok(), qPrintable(op.error()));
      QCOMPARE(op.readBytes(100, 4), original_.mid(100, 4));
      QVERIFY(op.close());
    } else {
      const FileContents contents = Module1::readWholeFile(GameFileRef::plain(path), 1 << 20);
      QVERIFY2(contents.ok(), qPrintable(contents.error));
      QCOMPARE(contents.bytes, original_);
    }
    QCOMPARE(SampleGame::readFile(path), original_);
    QVERIFY(!QFile::exists(journalPathOf(path)));
    QCOMPARE(notices().size(), 1);
    QVERIFY(notices().first().contains(QStringLiteral("已按回滚日志")));
  }

  void aJournalCutShortIsDroppedAndOneOfAnotherFileRefused() {
    QString path = halfWritten();
    const QString journal = journalPathOf(path);
    QByteArray bytes = SampleGame::readFile(journal);
    // Cut while it was written: the file was not touched yet.
    SampleGame::writeFile(path, original_);
    SampleGame::writeFile(journal, bytes.left(bytes.size() - 3));
    {
      Module1::Operation op(GameFileRef::plain(path));
      QVERIFY(op.ok());
    }
    QVERIFY(!QFile::exists(journal));
    QCOMPARE(SampleGame::readFile(path), original_);
    QVERIFY(notices().last().contains(QStringLiteral("没有改动")));

    // A journal whose file has another size now is no journal of it.
    SampleGame::writeFile(path, original_ + "more");
    SampleGame::writeFile(journal, bytes);
    Module1::Operation op(GameFileRef::plain(path));
    QVERIFY(!op.ok());
    QVERIFY2(op.error().contains(QStringLiteral("不属于")), qPrintable(op.error()));
    QCOMPARE(SampleGame::readFile(path), original_ + "more");
    QVERIFY(QFile::exists(journal));
  }

  // The lock is shared within a thread and waited for by another.
  void aSecondWriterWaitsThenIsRefused() {
    const QString path = fileWith(original_);
    FileLock held(path);
    QVERIFY(held.ok());
    {
      FileLock again(path, 0ms);
      QVERIFY(again.ok());
      Module1::Operation inside(GameFileRef::plain(path));
      QVERIFY(inside.ok());
    }
    QString refusal;
    qint64 waited = 0;
    QThread *other = QThread::create([&] {
      QElapsedTimer timer;
      timer.start();
      Module1::Operation op(GameFileRef::plain(path));
      waited = timer.elapsed();
      op.writeBytes(0, "!");
      QVERIFY(!op.close());
      refusal = op.error();
    });
    other->start();
    other->wait();
    delete other;
    QVERIFY(waited >= 1500);
    QVERIFY2(refusal.contains(QStringLiteral("正在被另一个写入者使用")), qPrintable(refusal));
#ifndef Q_OS_WIN // Windows does not tell who holds a byte-range lock
    QVERIFY(refusal.contains(QString::number(QCoreApplication::applicationPid())));
#endif
    QCOMPARE(SampleGame::readFile(path), original_);
  }
};

QTEST_GUILESS_MAIN(TestRollbackJournal)
#include "tst_rollback_journal.moc"
