// The file access on a game file that lies inside a disc image: every offset
// counts from the entry's start, and no byte outside the entry is ever written.

#include "io/change_history.h"
#include "io/disc_image.h"
#include "io/module1.h"
#include "io/rollback_journal.h"
#include "tests/support/game_image.h"

#include <QProcess>
#include <QTest>
#include <QtEndian>

using namespace korvane;
using korvane::samples::ImageMaker;
using namespace korvane::test;

namespace {

const QByteArray kExe = patterned(70001, 1);
const QByteArray kStage = patterned(9003, 2);

} // namespace

class TestImageOperation : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  int made_ = 0;

  QString nextName() { return QStringLiteral("image%1").arg(++made_); }

private slots:
  void initTestCase() {
    if (!samples::imageMakerPresent(ImageMaker::Xorriso))
      QSKIP("xorriso is not installed");
  }
  void init() { changeHistory().clear(); }

  // An image that carries xorriso's MD5 records is edited, and the user is told
  // once that those records no longer match.
  void anEditOutdatingTheImagesMd5RecordsIsTold() {
    const QString source = dir_.filePath(QStringLiteral("md5-source"));
    QDir().mkpath(source + QStringLiteral("/GAME"));
    SampleGame::writeFile(source + QStringLiteral("/GAME/stage.bin"), kStage);
    const QString image = dir_.filePath(QStringLiteral("md5.iso"));
    QProcess xorriso;
    xorriso.start(QStringLiteral("xorriso"),
                  {QStringLiteral("-as"), QStringLiteral("mkisofs"), QStringLiteral("-quiet"),
                   QStringLiteral("--md5"), QStringLiteral("-o"), image, source});
    QVERIFY(xorriso.waitForFinished(60000) && xorriso.exitCode() == 0);
    static QStringList notices;
    setJournalNoticeHandler([](const QString &notice) { notices.append(notice); });
    for (int save = 0; save < 2; ++save) {
      Module1::Operation op(entryPath(image, kStageEntryName));
      QVERIFY2(op.ok(), qPrintable(op.error()));
      op.writeBytes(0, save == 0 ? "\x11" : "\x22");
      QVERIFY(op.close());
    }
    setJournalNoticeHandler(nullptr);
    QCOMPARE(notices.size(), 1);
    QVERIFY(notices.first().contains(QStringLiteral("MD5")));

    const QString plain = gameImageOf(dir_, nextName(), kExe, kStage);
    QVERIFY(!findImageEntry(plain, kStageEntryName).entry.checksumTags);
  }

  void readsAndWritesOnlyInsideTheEntry_data() {
    addImageMakerRows({QString(), QStringLiteral("GAME/")});
  }
  void readsAndWritesOnlyInsideTheEntry() {
    QFETCH(ImageMaker, maker);
    QFETCH(bool, udf);
    QFETCH(QString, folder);
    if (!samples::imageMakerPresent(maker))
      QSKIP("the image maker is not installed");
    const QString image = gameImageOf(dir_, nextName(), kExe, kStage, maker, udf, folder);
    QVERIFY(!image.isEmpty());
    const QByteArray before = SampleGame::readFile(image);
    const qint64 start = imageEntryStart(image, kStageEntryName);
    const GameFileRef path = entryPath(image, kStageEntryName);

    Module1::Operation op(path);
    QVERIFY2(op.ok(), qPrintable(op.error()));
    QCOMPARE(op.gameFile(), GameFile::Stage);
    QCOMPARE(op.size(), kStage.size());
    QCOMPARE(op.readBytes(0, kStage.size()), kStage);
    Module1::FilePos = 1;
    QCOMPARE(op.ReadDword(), qint32(qFromLittleEndian<quint32>(kStage.constData())));
    op.writeBytes(0, "\xAA");
    op.writeBytes(kStage.size() - 2, "\xBB\xCC");
    QVERIFY2(op.close(), qPrintable(op.error()));

    const QByteArray after = SampleGame::readFile(image);
    QCOMPARE(differences(before, after),
             (QList<qint64>{start, start + kStage.size() - 2, start + kStage.size() - 1}));
    QCOMPARE(after.mid(start + kStage.size() - 2, 2), QByteArray("\xBB\xCC"));
    // The committed changes keep offsets within the entry.
    const ChangeSpans committed = op.takeCommitted();
    QCOMPARE(committed.front().start, qint64(0));
    QCOMPARE(committed.back().start, kStage.size() - 2);
  }

  // The entry ends where the game file ends, not where the image does: a span or
  // a write past it is refused and nothing at all is written.
  void theEntrysEndIsTheFilesEnd() {
    const QString image = gameImageOf(dir_, nextName(), kExe, kStage);
    QVERIFY(!image.isEmpty());
    const QByteArray before = SampleGame::readFile(image);
    {
      Module1::Operation op(entryPath(image, kStageEntryName));
      QVERIFY(!op.requireSpan(kStage.size() - 1, 2, QStringLiteral("一条记录")));
      QVERIFY2(op.error().contains(QString::number(kStage.size())), qPrintable(op.error()));
    }
    {
      Module1::Operation op(entryPath(image, kStageEntryName));
      op.writeBytes(0, "\x01");
      op.writeBytes(kStage.size() - 1, "\x02\x03");
      QVERIFY(!op.close());
    }
    {
      Module1::Operation op(entryPath(image, kExeEntryName));
      Module1::FilePos = int(kExe.size());
      op.WriteWord(0x1234);
      QVERIFY(!op.close());
    }
    QCOMPARE(SampleGame::readFile(image), before);
  }

  // The image may be rebuilt between two operations, its entry moved: the next
  // operation writes where the entry lies now.
  void anImageRebuiltMeanwhileIsLookedUpAfresh() {
    const QString image = gameImageOf(dir_, nextName(), kExe, kStage);
    const QString rebuilt = masterTestImage(dir_, nextName(),
                                            {{QStringLiteral("BIG.DAT"), QByteArray(300000, 'x')},
                                             {QStringLiteral("SLPS_255.37"), kExe},
                                             {QStringLiteral("stage.bin"), kStage}});
    QVERIFY(!image.isEmpty() && !rebuilt.isEmpty());
    const GameFileRef path = entryPath(image, kStageEntryName);
    {
      Module1::Operation op(path);
      op.writeBytes(1, "\x01");
      QVERIFY(op.close());
    }
    const qint64 movedTo = imageEntryStart(rebuilt, kStageEntryName);
    QVERIFY(movedTo != imageEntryStart(image, kStageEntryName));
    const QByteArray before = SampleGame::readFile(rebuilt);
    SampleGame::writeFile(image, before);
    Module1::Operation op(path);
    op.writeBytes(1, "\x02");
    QVERIFY(op.close());
    QCOMPARE(differences(before, SampleGame::readFile(image)), QList<qint64>{movedTo + 1});
  }

  // Another program moves one entry without changing the image's size or volume
  // descriptor; a write to the other entry must not make the moved entry's old
  // place count as current.
  void aWriteToOneEntryKeepsAnotherEntrysMoveNoticed() {
    const QString image = gameImageOf(dir_, nextName(), kExe, kStage);
    QVERIFY(!image.isEmpty());
    const GameFileRef exePath = entryPath(image, kExeEntryName);
    {
      Module1::Operation op(exePath);
      op.writeBytes(1, "\x01");
      QVERIFY(op.close());
    }
    // Point the executable's directory record at the filler file's sector.
    QByteArray bytes = SampleGame::readFile(image);
    const qsizetype name = bytes.indexOf("SLPS_255.37;1");
    const qsizetype filler = bytes.indexOf("FILLER.DAT;1");
    QVERIFY(name > 33 && filler > 33);
    const QByteArray fillerExtent = bytes.mid(filler - 33 + 2, 8);
    bytes.replace(name - 33 + 2, 8, fillerExtent);
    SampleGame::writeFile(image, bytes);
    const qint64 movedTo = imageEntryStart(image, kExeEntryName);
    QCOMPARE(movedTo, imageEntryStart(image, QStringLiteral("FILLER.DAT")));
    {
      Module1::Operation op(entryPath(image, kStageEntryName));
      op.writeBytes(1, "\x02");
      QVERIFY(op.close());
    }
    const QByteArray before = SampleGame::readFile(image);
    Module1::Operation op(exePath);
    op.writeBytes(1, "\x03");
    QVERIFY(op.close());
    QCOMPARE(differences(before, SampleGame::readFile(image)), QList<qint64>{movedTo + 1});
  }

  void anEntryIsTheGameFileItIsNamedAfter() {
    const GameFileRef ref{QStringLiteral("/games/srw.iso"), kExeEntryName};
    QCOMPARE(gameFileAt(ref), GameFile::Exe);
    QCOMPARE(gameFileAt(GameFileRef{ref.path, kStageEntryName}), GameFile::Stage);
    QVERIFY(ref != (GameFileRef{ref.path, kStageEntryName}));

    // A plain file whose name reads like an entry is that file.
    const QString odd = dir_.filePath(QStringLiteral("copy.iso › SLPS_255.37"));
    SampleGame::writeFile(odd, QByteArray(16, '\0'));
    Module1::Operation op(GameFileRef::plain(odd));
    QVERIFY2(op.ok(), qPrintable(op.error()));
    QCOMPARE(op.size(), 16);
    op.writeBytes(3, "\x7F");
    QVERIFY(op.close());
    QCOMPARE(SampleGame::readFile(odd).at(3), '\x7F');
  }

  void refusedImagesWriteNothing_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expected");
    QTest::newRow("named twice") << "twice" << QStringLiteral("有 2 个");
    QTest::newRow("missing") << "missing" << QStringLiteral("找不到");
    QTest::newRow("raw sectors") << "raw" << QStringLiteral("2352");
    QTest::newRow("truncated") << "truncated" << QStringLiteral("不完整");
    QTest::newRow("no image") << "gone" << QStringLiteral("无法以读写方式打开");
  }
  void refusedImagesWriteNothing() {
    QFETCH(QString, kind);
    QFETCH(QString, expected);
    QString image;
    if (kind == u"twice")
      image = masterTestImage(dir_, nextName(),
                              {{QStringLiteral("A/SLPS_255.37"), kExe},
                               {QStringLiteral("B/slps_255.37"), kExe},
                               {QStringLiteral("stage.bin"), kStage}});
    else if (kind == u"missing")
      image = masterTestImage(dir_, nextName(), {{QStringLiteral("stage.bin"), kStage}});
    else
      image = gameImageOf(dir_, nextName(), kExe, kStage);
    QVERIFY(!image.isEmpty());
    const QByteArray whole = SampleGame::readFile(image);
    if (kind == u"raw") {
      image += QStringLiteral(".bin");
      SampleGame::writeFile(image, rawSectors(whole));
    } else if (kind == u"truncated") {
      SampleGame::writeFile(image, whole.left(whole.size() / 2));
    } else if (kind == u"gone") {
      image += QStringLiteral(".gone");
    }
    const QByteArray before = SampleGame::readFile(image);

    Module1::Operation op(entryPath(image, kExeEntryName));
    QVERIFY(!op.ok());
    QVERIFY2(op.error().contains(expected), qPrintable(op.error()));
    QCOMPARE(op.size(), 0);
    op.writeBytes(0, "\x01");
    QVERIFY(!op.close());
    QCOMPARE(SampleGame::readFile(image), before);
    QVERIFY(changeHistory().entries().empty());
  }
};

QTEST_GUILESS_MAIN(TestImageOperation)
#include "tst_image_operation.moc"
