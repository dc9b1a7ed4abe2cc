// The one edit path: what a writer saw is checked before anything is written, a
// drift is asked about with the file closed, and the answer holds only for the
// file the question showed.

#include "io/edit.h"
#include "tests/support/sample_game.h"

#include <QTemporaryDir>
#include <QTest>

using namespace korvane;
using korvane::test::SampleGame;

class TestEdit : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString path_;

  // Two spans: bytes 4..5 seen as 11 11 and written as AA BB, byte 100 written unseen.
  Edit edit() const {
    Edit made;
    made.file = GameFileRef::plain(path_);
    made.label = {QStringLiteral("窗口"), QStringLiteral("保存")};
    made.spans = {{4, QByteArray::fromHex("AABB"), QByteArray::fromHex("1111")},
                  {100, QByteArray::fromHex("CC"), {}}};
    return made;
  }

private slots:
  void init() {
    changeHistory().clear();
    path_ = korvane::test::scratchGameFile(dir_, QByteArray(256, '\x11'));
  }

  void whatTheWriterSawIsWrittenOverOnlyWhenAsked_data() {
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("agreed");
    QTest::addColumn<bool>("changedWhileAsked");
    QTest::addColumn<int>("status");
    QTest::newRow("nobody asked") << false << false << false << int(EditResult::Status::Drifted);
    QTest::newRow("declined") << true << false << false << int(EditResult::Status::Declined);
    QTest::newRow("agreed") << true << true << false << int(EditResult::Status::Written);
    QTest::newRow("changed again while asked")
        << true << true << true << int(EditResult::Status::Drifted);
  }
  void whatTheWriterSawIsWrittenOverOnlyWhenAsked() {
    QFETCH(bool, asked);
    QFETCH(bool, agreed);
    QFETCH(bool, changedWhileAsked);
    QFETCH(int, status);
    QByteArray changed(256, '\x11');
    changed[5] = '\x22'; // another program wrote one seen byte
    SampleGame::writeFile(path_, changed);

    Drift shown;
    const ConfirmDrift confirm = [&](const Drift &drift) {
      shown = drift;
      if (changedWhileAsked) {
        QByteArray again = changed;
        again[4] = '\x33';
        SampleGame::writeFile(path_, again);
        changed = again;
      }
      return agreed;
    };
    const EditResult result = asked ? commitEdit(edit(), confirm) : commitEdit(edit());
    QCOMPARE(int(result.status), status);
    if (asked) {
      QCOMPARE(shown.size(), size_t(1));
      QCOMPARE(shown.front().index, size_t(0));
      QCOMPARE(shown.front().now, QByteArray::fromHex("1122"));
    }
    QByteArray expected = changed;
    if (result.written()) {
      expected.replace(4, 2, QByteArray::fromHex("AABB"));
      expected[100] = '\xCC';
    }
    QCOMPARE(SampleGame::readFile(path_), expected);
    QCOMPARE(changeHistory().entries().size(), size_t(result.written() ? 1 : 0));
    QCOMPARE(result.error.isEmpty(), result.status != EditResult::Status::Drifted);
  }

  void anUndriftedEditIsWrittenAndRecordedWithItsOrigin() {
    Edit made = edit();
    const int writer = 0;
    made.origin = &writer;
    const EditResult result = commitEdit(made, [](const Drift &) {
      qFatal("asked without a drift");
      return false;
    });
    QVERIFY(result.written());
    const ChangeEntry &entry = changeHistory().entries().back();
    QCOMPARE(result.entry, entry.id);
    QCOMPARE(entry.origin, static_cast<const void *>(&writer));
    QCOMPARE(entry.window, QStringLiteral("窗口"));
    QCOMPARE(entry.spans.size(), size_t(2));
  }

  // A span or the reach outside the file refuses the whole edit.
  void aSpanOutsideTheFileWritesNothing_data() {
    QTest::addColumn<qint64>("spanStart");
    QTest::addColumn<qint64>("reachLength");
    QTest::newRow("span") << qint64(255) << qint64(0);
    QTest::newRow("reach") << qint64(200) << qint64(257);
  }
  void aSpanOutsideTheFileWritesNothing() {
    QFETCH(qint64, spanStart);
    QFETCH(qint64, reachLength);
    Edit made = edit();
    made.what = QStringLiteral("机体数据");
    made.reachLength = reachLength;
    made.spans.push_back({spanStart, QByteArray::fromHex("0102"), {}});
    const EditResult result = commitEdit(made);
    QCOMPARE(int(result.status), int(EditResult::Status::Failed));
    QVERIFY2(result.error.contains(QStringLiteral("机体数据")), qPrintable(result.error));
    QCOMPARE(SampleGame::readFile(path_), QByteArray(256, '\x11'));
    QVERIFY(changeHistory().entries().empty());
  }
};

QTEST_GUILESS_MAIN(TestEdit)
#include "tst_edit.moc"
