// The change history: one entry per committed edit that changed a byte, holding
// exactly the stretches the operation's commit changed.

#include "io/change_history.h"
#include "io/edit.h"
#include "io/module1.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/sample_game.h"

#include <QTemporaryDir>
#include <QTest>

using korvane::ChangeEntry;
using korvane::changeHistory;
using korvane::GameFileRef;
using korvane::test::FileSizeLimit;
using korvane::test::SampleGame;
using Module1::FilePos;
using Module1::Operation;

class TestChangeHistory : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

  QString fileWith(const QByteArray &bytes) { return korvane::test::scratchGameFile(dir_, bytes); }

private slots:
  void init() {
    changeHistory().clear();
    changeHistory().setEnabled(true);
  }

  void aCommitKeepsTheChangedStretches() {
    QByteArray bytes(4096, '\x11');
    const QString path = fileWith(bytes);
    korvane::gamePaths() = {{},
                            GameFileRef::plain(path)}; // the chosen stage file, whatever its name
    {
      Operation op(GameFileRef::plain(path));
      FilePos = 11; // a word that changes one of its bytes: kept whole
      op.WriteWord(0x1122);
      op.WriteByte(0x11); // written next to it, unchanged: part of the same stretch
      FilePos = 31;       // written as it stands: no stretch
      op.WriteDword(0x11111111);
      FilePos = 2001; // far off, changed
      op.WriteByte(0x7F);
      QVERIFY(op.close());
      changeHistory().record(op.file(), op.gameFile(), op.takeCommitted(),
                             {QStringLiteral("窗口乙"), QStringLiteral("保存")});
    }
    QCOMPARE(changeHistory().entries().size(), size_t(1));
    const ChangeEntry &entry = changeHistory().entries().back();
    QCOMPARE(entry.id, quint64(1));
    QCOMPARE(entry.location, GameFileRef::plain(path));
    // Which game file it was is noted when the operation opened, not asked later.
    korvane::gamePaths() = {};
    QCOMPARE(entry.file, korvane::GameFile::Stage);
    QCOMPARE(entry.window, QStringLiteral("窗口乙"));
    QCOMPARE(entry.action, QStringLiteral("保存"));
    QCOMPARE(entry.reverts, quint64(0));
    QCOMPARE(entry.spans.size(), size_t(2));
    QCOMPARE(entry.spans.at(0).start, qint64(10));
    QCOMPARE(entry.spans.at(0).before.toByteArray(), QByteArray::fromHex("111111"));
    QCOMPARE(entry.spans.at(0).after.toByteArray(), QByteArray::fromHex("221111"));
    QCOMPARE(entry.spans.at(1).start, qint64(2000));
    QCOMPARE(entry.spans.at(1).after.toByteArray(), QByteArray::fromHex("7F"));

    // An edit is recorded under its own label, and says so to whoever listens.
    quint64 announced = 0;
    const QMetaObject::Connection listening = connect(
        &changeHistory(), &korvane::ChangeHistory::entryAdded, [&](quint64 id) { announced = id; });
    korvane::Edit edit;
    edit.file = GameFileRef::plain(path);
    edit.label = {QStringLiteral("修改记录"), QStringLiteral("撤销"), 1};
    edit.spans = {{0, QByteArray(1, '\0'), {}}};
    QCOMPARE(korvane::commitEdit(edit).entry, quint64(2));
    disconnect(listening);
    QCOMPARE(announced, quint64(2));
    QCOMPARE(changeHistory().entries().back().action, QStringLiteral("撤销"));
    QCOMPARE(changeHistory().entries().back().reverts, quint64(1));
  }

  void operationsThatChangeNothingOrFailMakeNoEntry() {
    const QByteArray bytes(8192, '\x01');
    const QString path = fileWith(bytes);
    {
      Operation op(GameFileRef::plain(path)); // writes what the file holds
      FilePos = 1;
      op.WriteWord(0x0101);
      QVERIFY(op.close());
      QVERIFY(op.takeCommitted().empty());
    }
    {
      Operation op(GameFileRef::plain(path)); // refused entry text
      FilePos = 1;
      op.WriteByte(2);
      op.WriteWordHex(u"XY");
      QVERIFY(!op.close());
      QVERIFY(op.takeCommitted().empty());
    }
    {
      Operation op(GameFileRef::plain(path)); // refused record
      FilePos = 1;
      op.WriteByte(2);
      QVERIFY(!op.requireSpan(8000, 732, QStringLiteral("机体数据")));
      QVERIFY(!op.close());
      QVERIFY(op.takeCommitted().empty());
    }
    // The system refuses the write (a file-size limit, as a full disk would).
    bool closed = true;
    {
      if (!FileSizeLimit::kSupported)
        QSKIP("no file size limit on this system");
      const FileSizeLimit limit(4096);
      QVERIFY(limit.isSet());
      Operation op(GameFileRef::plain(path));
      FilePos = 6001;
      op.WriteWord(0x0202);
      closed = op.close();
      QVERIFY(op.takeCommitted().empty());
    }
    QVERIFY(!closed);
    QCOMPARE(SampleGame::readFile(path), bytes);

    // An edit that changes nothing, or is refused, or is made with the history
    // switched off, makes no entry.
    korvane::Edit edit;
    edit.file = GameFileRef::plain(path);
    edit.spans = {{0, QByteArray(2, '\x01'), {}}};
    QVERIFY(korvane::commitEdit(edit).written());
    edit.spans = {{8000, QByteArray(732, '\x02'), {}}};
    QVERIFY(!korvane::commitEdit(edit).written());
    changeHistory().setEnabled(false);
    edit.spans = {{0, QByteArray(1, '\x09'), {}}};
    QVERIFY(korvane::commitEdit(edit).written());
    QVERIFY(changeHistory().entries().empty());
  }

  void keepsTheLastThousandEntriesAndCountsTheDropped() {
    int calls = 0;
    const QMetaObject::Connection connection =
        connect(&changeHistory(), &korvane::ChangeHistory::entryAdded, [&calls] { ++calls; });
    const QString path = dir_.filePath(QStringLiteral("anything"));
    for (int i = 0; i < 1003; ++i)
      changeHistory().record(GameFileRef::plain(path), std::nullopt,
                             {{i, QByteArray(1, '\0'), QByteArray(1, '\1')}});
    disconnect(connection);
    changeHistory().record(GameFileRef::plain(path), std::nullopt,
                           {{0, QByteArray(1, '\1'), QByteArray(1, '\0')}});
    QCOMPARE(calls, 1003);
    QCOMPARE(changeHistory().entries().size(), size_t(1000));
    QCOMPARE(changeHistory().dropped(), quint64(4));
    QCOMPARE(changeHistory().entries().front().id, quint64(5));
    QVERIFY(!changeHistory().find(4));
    QCOMPARE(changeHistory().find(500)->spans.front().start, qint64(499));
  }
};

QTEST_MAIN(TestChangeHistory)
#include "tst_change_history.moc"
