#include "io/module1.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/read_only_file.h"
#include "tests/support/sample_game.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using korvane::GameFileRef;
using korvane::test::FileSizeLimit;
using korvane::test::ReadOnlyFile;
using korvane::test::SampleGame;
using Module1::FilePos;
using Module1::Operation;

class TestModule1 : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

  QString fileWith(const QByteArray &bytes) { return korvane::test::scratchGameFile(dir_, bytes); }

private slots:
  void readsValuesAndHexInFileOrder() {
    Operation op(GameFileRef::plain(fileWith(QByteArray::fromHex("0A00FFFF78563412"))));
    QVERIFY(op.ok());
    FilePos = 1;
    QCOMPARE(op.ReadByteHex(), QStringLiteral("0A"));
    FilePos = 1;
    QCOMPARE(op.ReadWordHex(), QStringLiteral("0A00"));
    FilePos = 1;
    QCOMPARE(op.ReadWord(), quint16(10));
    QCOMPARE(FilePos, 3);
    QCOMPARE(op.ReadWord(), quint16(65535));
    FilePos = 3;
    QCOMPARE(op.ReadWordHex(), QStringLiteral("FFFF"));
    QCOMPARE(op.ReadDwordHex(), QStringLiteral("78563412"));
    FilePos = 5;
    QCOMPARE(op.ReadDword(), 0x12345678);
    FilePos = 3;
    QCOMPARE(op.ReadDword(), qint32(0x5678FFFF));
    QVERIFY(op.close());
  }

  void everyAccessorAdvancesByItsWidth() {
    Operation op(GameFileRef::plain(fileWith(QByteArray(16, '\x11'))));
    const std::vector<std::pair<std::function<void()>, int>> steps{
        {[&] { op.ReadByte(); }, 1},         {[&] { op.ReadWord(); }, 2},
        {[&] { op.ReadDword(); }, 4},        {[&] { op.ReadByteHex(); }, 1},
        {[&] { op.ReadWordHex(); }, 2},      {[&] { op.ReadDwordHex(); }, 4},
        {[&] { op.WriteByte(1); }, 1},       {[&] { op.WriteWord(1); }, 2},
        {[&] { op.WriteDword(1); }, 4},      {[&] { op.WriteByteHex(u"1"); }, 1},
        {[&] { op.WriteWordHex(u"1"); }, 2}, {[&] { op.WriteDwordHex(u"1"); }, 4}};
    for (const auto &[step, width] : steps) {
      FilePos = 3;
      step();
      QCOMPARE(FilePos, 3 + width);
    }
  }

  void readsPastTheEndGiveZero() {
    Operation op(GameFileRef::plain(fileWith(QByteArray::fromHex("AB"))));
    FilePos = 1;
    QCOMPARE(op.ReadWord(), quint16(0x00AB));
    QCOMPARE(op.ReadDwordHex(), QStringLiteral("00000000"));
    QCOMPARE(FilePos, 7);
    QVERIFY(op.close());
  }

  void writersFollowTheTwoDigitGroupRule_data() {
    QTest::addColumn<QString>("writer");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("word 5") << "word"
                            << "5" << QByteArray::fromHex("0500");
    QTest::newRow("word 4660") << "word"
                               << "4660" << QByteArray::fromHex("3412");
    QTest::newRow("word 65526") << "word"
                                << "65526" << QByteArray::fromHex("F6FF");
    QTest::newRow("wordhex 5") << "wordhex"
                               << "5" << QByteArray::fromHex("0500");
    QTest::newRow("wordhex 123") << "wordhex"
                                 << "123" << QByteArray::fromHex("1203");
    QTest::newRow("wordhex 12345") << "wordhex"
                                   << "12345" << QByteArray::fromHex("1234");
    QTest::newRow("wordhex ffff") << "wordhex"
                                  << "ffff" << QByteArray::fromHex("FFFF");
    QTest::newRow("dwordhex 1234") << "dwordhex"
                                   << "1234" << QByteArray::fromHex("12340000");
    QTest::newRow("dwordhex full") << "dwordhex"
                                   << "78563412" << QByteArray::fromHex("78563412");
    QTest::newRow("dword -1") << "dword"
                              << "-1" << QByteArray::fromHex("FFFFFFFF");
    QTest::newRow("bytehex C") << "bytehex"
                               << "C" << QByteArray::fromHex("0C");
    QTest::newRow("bytehex ff") << "bytehex"
                                << "ff" << QByteArray::fromHex("FF");
  }
  void writersFollowTheTwoDigitGroupRule() {
    QFETCH(QString, writer);
    QFETCH(QString, argument);
    QFETCH(QByteArray, written);
    const QString path = fileWith(QByteArray(8, '\xEE'));
    {
      Operation op(GameFileRef::plain(path));
      FilePos = 2;
      if (writer == "word")
        op.WriteWord(argument.toInt());
      else if (writer == "dword")
        op.WriteDword(argument.toInt());
      else if (writer == "wordhex")
        op.WriteWordHex(argument);
      else if (writer == "dwordhex")
        op.WriteDwordHex(argument);
      else
        op.WriteByteHex(argument);
      QVERIFY(op.close());
    }
    const QByteArray after = SampleGame::readFile(path);
    QCOMPARE(after.mid(1, written.size()), written);
    QCOMPARE(after.at(0), '\xEE');
    QCOMPARE(after.mid(1 + written.size()), QByteArray(7 - written.size(), '\xEE'));
  }

  void readsAndWritesAreInverse() {
    const QByteArray bytes = QByteArray::fromHex("00FF8001F6FF7F0012345678ABCDEF09");
    const QString path = fileWith(bytes);
    {
      Operation op(GameFileRef::plain(path));
      FilePos = 1;
      const QString hexWord = op.ReadWordHex();
      const qint32 dword = op.ReadDword();
      const quint16 word = op.ReadWord();
      const QString hexDword = op.ReadDwordHex();
      const QString hexByte = op.ReadByteHex();
      const quint8 byte = op.ReadByte();
      FilePos = 1;
      op.WriteWordHex(hexWord);
      op.WriteDword(dword);
      op.WriteWord(word);
      op.WriteDwordHex(hexDword);
      op.WriteByteHex(hexByte);
      op.WriteByte(byte);
      QVERIFY(op.close());
    }
    QCOMPARE(SampleGame::readFile(path), bytes);
  }

  void parseHexReadsDigitByDigit() {
    QCOMPARE(Module1::ParseHex(u"1f"), 31);
    QCOMPARE(Module1::ParseHex(u"FF"), 255);
    QCOMPARE(Module1::ParseHex(u""), 0);
    QCOMPARE(Module1::ParseHex(u"G1"), 1);
    QCOMPARE(Module1::ParseHex(u"1A0"), 0x1A0);
    QCOMPARE(Module1::ParseHex(u"FFFFFFFFFF"), 0xFFFFFFFFFFLL);
  }

  // A refused write leaves the file byte-identical, also for the bytes written
  // before the refusal.
  void badTextRefusesTheWholeOperation_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("byte hex letters") << 0;
    QTest::newRow("byte hex above FF") << 1;
    QTest::newRow("word hex letters") << 2;
    QTest::newRow("word out of range") << 3;
    QTest::newRow("byte out of range") << 4;
    QTest::newRow("empty hex") << 5;
  }
  void badTextRefusesTheWholeOperation() {
    QFETCH(int, kind);
    const QByteArray bytes(16, '\x42');
    const QString path = fileWith(bytes);
    Operation op(GameFileRef::plain(path));
    FilePos = 1;
    op.WriteWord(0x1234);
    switch (kind) {
    case 0:
      op.WriteByteHex(u"ZZ");
      break;
    case 1:
      op.WriteByteHex(u"100");
      break;
    case 2:
      op.WriteWordHex(u"12G4");
      break;
    case 3:
      op.WriteWord(65536);
      break;
    case 4:
      op.WriteByte(-1);
      break;
    case 5:
      op.WriteDwordHex(u"");
      break;
    }
    op.WriteByte(9);
    QVERIFY(!op.close());
    QVERIFY(!op.error().isEmpty());
    QCOMPARE(SampleGame::readFile(path), bytes);
  }

  void writesNeverMakeTheFileLonger() {
    const QByteArray bytes = QByteArray::fromHex("010203");
    const QString path = fileWith(bytes);
    Operation op(GameFileRef::plain(path));
    FilePos = 1;
    op.WriteByte(9);
    FilePos = 3;
    op.WriteWord(0x0505); // the second byte would lie past the end
    QVERIFY(!op.close());
    QVERIFY(op.error().contains(QStringLiteral("game.bin")));
    QCOMPARE(SampleGame::readFile(path), bytes);
  }

  void requireSpanNamesTheFileAndRefuses() {
    const QString path = fileWith(QByteArray(100, '\0'));
    Operation op(GameFileRef::plain(path));
    QVERIFY(op.requireSpan(0, 100, QStringLiteral("数据")));
    QVERIFY(!op.requireSpan(90, 11, QStringLiteral("机体数据")));
    QVERIFY(op.error().contains(QStringLiteral("game.bin")));
    QVERIFY(op.error().contains(QStringLiteral("机体数据")));
  }

  void aMissingFileIsNotCreated() {
    const QString path = dir_.filePath(QStringLiteral("absent/SLPS_255.37"));
    Operation op(GameFileRef::plain(path));
    QVERIFY(!op.ok());
    QVERIFY(op.error().contains(QStringLiteral("SLPS_255.37")));
    QVERIFY(!QFile::exists(path));
  }

  void aPathThatCannotBeOpenedGivesThePathAndTheReason() {
    const QString path = dir_.filePath(QStringLiteral("folder"));
    QDir().mkpath(path);
    Operation op(GameFileRef::plain(path));
    QVERIFY(!op.ok());
    QVERIFY(op.error().contains(path));
    QVERIFY(op.error().contains(QStringLiteral("原因")));
    QVERIFY(!op.close());
  }

  // Read-only for everyone: without write permission, and immutable as well,
  // since root may write without permission.
  void aReadOnlyFileIsRefusedWithTheSystemsReason() {
    const QByteArray bytes(8, '\x01');
    const QString path = fileWith(bytes);
    bool opened = true;
    QString error;
    {
      const ReadOnlyFile readOnly(path);
      if (!readOnly.ok())
        QSKIP("this file system cannot make a file read-only for root");
      Operation op(GameFileRef::plain(path));
      opened = op.ok();
      error = op.error();
    }
    QVERIFY(!opened);
    QVERIFY(error.contains(path));
    QVERIFY(error.contains(QStringLiteral("原因")));
    QCOMPARE(SampleGame::readFile(path), bytes);
  }

  // The system refuses the write itself (here: a file-size limit below the
  // record's offset, as a full disk would): the failure must be reported.
  void aFailedWriteIsReported() {
    const QByteArray bytes(8192, '\x01');
    const QString path = fileWith(bytes);
    bool closed = true;
    QString error;
    {
      if (!FileSizeLimit::kSupported)
        QSKIP("no file size limit on this system");
      const FileSizeLimit limit(4096);
      QVERIFY(limit.isSet());
      Operation op(GameFileRef::plain(path));
      FilePos = 6001;
      op.WriteWord(0x0202);
      closed = op.close();
      error = op.error();
    }
    QVERIFY(!closed);
    QVERIFY(error.contains(QStringLiteral("写入文件失败")));
    QVERIFY(error.contains(QStringLiteral("game.bin")));
    QCOMPARE(SampleGame::readFile(path), bytes);
  }

  // Two fields far apart go out as two system writes; when the system refuses the
  // second, the first is put back, so the commit changes nothing.
  void aWriteRefusedPartWayIsPutBack() {
    const QByteArray bytes(8192, '\x01');
    const QString path = fileWith(bytes);
    bool closed = true;
    QString error;
    {
      if (!FileSizeLimit::kSupported)
        QSKIP("no file size limit on this system");
      const FileSizeLimit limit(4096);
      QVERIFY(limit.isSet());
      Operation op(GameFileRef::plain(path));
      FilePos = 101;
      op.WriteWord(0x0202);
      FilePos = 6001;
      op.WriteWord(0x0303);
      closed = op.close();
      error = op.error();
    }
    QVERIFY(!closed);
    QVERIFY2(error.contains(QStringLiteral("文件没有改动")), qPrintable(error));
    QCOMPARE(SampleGame::readFile(path), bytes);
  }

  // Whole spans, as patches write them: a read sees the bytes held for writing,
  // both leave FilePos after the span, and a span outside the file fails the
  // operation so that nothing is written.
  void spansReadAndWriteThroughTheHeldBytes() {
    const QString path = fileWith(QByteArray::fromHex("0001020304050607"));
    {
      Operation op(GameFileRef::plain(path));
      op.writeBytes(2, QByteArray::fromHex("AABB"));
      QCOMPARE(FilePos, 5);
      QCOMPARE(op.readBytes(1, 4), QByteArray::fromHex("01AABB04"));
      QCOMPARE(FilePos, 6);
      FilePos = 3;
      QCOMPARE(op.ReadByte(), quint8(0xAA));
      QVERIFY(op.close());
    }
    QCOMPARE(SampleGame::readFile(path), QByteArray::fromHex("0001AABB04050607"));

    Operation past(GameFileRef::plain(path));
    QVERIFY(past.readBytes(6, 3).isEmpty());
    QVERIFY(past.error().contains(QStringLiteral("只有 8 字节")));
    Operation held(GameFileRef::plain(path));
    held.writeBytes(0, QByteArray::fromHex("FF"));
    held.writeBytes(7, QByteArray::fromHex("FFFF"));
    QVERIFY(!held.close());
    QCOMPARE(SampleGame::readFile(path), QByteArray::fromHex("0001AABB04050607"));
  }

  // A patch of a disc image writes a few bytes far apart in a file of several GB:
  // they are held apart, across page ends too, and go where they belong past 4 GiB.
  void writesFarApartInALargeFileGoWhereTheyBelong() {
#ifdef Q_OS_WIN
    QSKIP("NTFS files have no holes by default: the test file would take 5 GB");
#endif
    const QString path = dir_.filePath(QStringLiteral("large.iso"));
    QFile sparse(path);
    const qint64 size = (qint64(5) << 30) + 7;
    QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(size));
    sparse.close();
    const qint64 places[] = {3, 4095, (qint64(4) << 30) + 1, size - 2};
    {
      Operation op(GameFileRef::plain(path));
      for (qint64 at : places)
        op.writeBytes(at, QByteArray::fromHex("A1B2"));
      QCOMPARE(op.readBytes(4094, 4), QByteArray::fromHex("00A1B200"));
      QVERIFY(op.close());
    }
    QVERIFY(sparse.open(QIODevice::ReadOnly));
    QCOMPARE(sparse.size(), size);
    for (qint64 at : places) {
      QVERIFY(sparse.seek(at - 1));
      QCOMPARE(sparse.read(4).left(3), QByteArray::fromHex("00A1B2"));
    }
  }

  void closeWritesOnlyTheHeldBytes() {
    QByteArray bytes(32, '\x77');
    const QString path = fileWith(bytes);
    {
      Operation op(GameFileRef::plain(path));
      FilePos = 5;
      op.WriteByte(1);
      FilePos = 20;
      op.WriteWord(0x0302);
      FilePos = 20;
      QCOMPARE(op.ReadWord(), quint16(0x0302)); // reads see held writes
      QVERIFY(op.close());
    }
    bytes[4] = 1;
    bytes[19] = 2;
    bytes[20] = 3;
    QCOMPARE(SampleGame::readFile(path), bytes);
  }

  void droppedOperationWritesNothing() {
    const QByteArray bytes(8, '\x05');
    const QString path = fileWith(bytes);
    {
      Operation op(GameFileRef::plain(path));
      FilePos = 1;
      op.WriteDword(-1);
    } // left without close(): the handler bailed out
    QCOMPARE(SampleGame::readFile(path), bytes);
  }

  void wholeFileReadsReadOnlyFilesAndRefusesOthers() {
    const QByteArray bytes(16, '\x07');
    const QString path = fileWith(bytes);
    {
      const ReadOnlyFile readOnly(path);
      QCOMPARE(Module1::readWholeFile(GameFileRef::plain(path), 16).bytes, bytes);
    }
    QVERIFY(Module1::readWholeFile(GameFileRef::plain(path), 15)
                .error.contains(QStringLiteral("超过 15 字节")));
    QVERIFY(Module1::readWholeFile(GameFileRef::plain(dir_.path()), 16)
                .error.contains(QStringLiteral("不是普通文件")));
    QVERIFY(Module1::readWholeFile(GameFileRef::plain(dir_.filePath(QStringLiteral("none"))), 16)
                .error.contains(QStringLiteral("无法打开文件")));
  }
};

QTEST_GUILESS_MAIN(TestModule1)
#include "tst_module1.moc"
