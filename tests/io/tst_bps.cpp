// BPS patches: what the encoder writes rebuilds the target, and the decoder, which
// reads untrusted bytes, refuses every patch that is not for the given file or
// not whole, whatever its bytes.

#include "io/bps.h"

#include <QRandomGenerator>
#include <QTest>

using namespace korvane;

namespace {

QByteArray pattern(qsizetype size, quint32 seed) {
  QByteArray bytes(size, Qt::Uninitialized);
  QRandomGenerator random(seed);
  for (qsizetype i = 0; i < size; ++i)
    bytes[i] = char(random.bounded(256));
  return bytes;
}

QByteArray withChanges(QByteArray bytes) {
  bytes[0] = char(~bytes[0]);
  bytes.replace(100, 40, QByteArray(40, '\x7E'));
  bytes[150] = char(~bytes[150]); // two changes one unchanged byte apart
  bytes[152] = char(~bytes[152]);
  bytes[bytes.size() - 1] = char(~bytes[bytes.size() - 1]);
  return bytes;
}

// Sets the patch's own CRC32 to match its bytes, so that a changed patch reaches
// the checks behind that one.
QByteArray resealed(QByteArray patch) {
  if (patch.size() < 4)
    return patch;
  const quint32 crc = crc32Of(QByteArrayView(patch).first(patch.size() - 4));
  for (int i = 0; i < 4; ++i)
    patch[patch.size() - 4 + i] = char(quint8(crc >> (8 * i)));
  return patch;
}

// The CRC32 bit by bit, as its definition reads.
quint32 bitwiseCrc(QByteArrayView bytes) {
  quint32 crc = 0xFFFFFFFF;
  for (char byte : bytes) {
    crc ^= quint8(byte);
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
  }
  return ~crc;
}

} // namespace

class TestBps : public QObject {
  Q_OBJECT

private slots:
  void crc32IsTheStandardOne() {
    QCOMPARE(crc32Of("123456789"), quint32(0xCBF43926));
    QCOMPARE(crc32Of({}), quint32(0));
    // Every length around the block sizes of the fast path, from any alignment.
    QRandomGenerator random(7);
    QByteArray bytes(4200, Qt::Uninitialized);
    random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
    for (qsizetype start : {0, 1, 3, 8, 15})
      for (qsizetype length = 0; length < 300; ++length) {
        const QByteArrayView part = QByteArrayView(bytes).sliced(start, length);
        QCOMPARE(crc32Of(part), bitwiseCrc(part));
      }
    // Around the steps of 256 bytes where the processor folds four wide lanes.
    for (qsizetype length : {255, 256, 271, 319, 320, 511, 512, 527, 767, 1023, 1040, 4097})
      QCOMPARE(crc32Of(QByteArrayView(bytes).sliced(5, length)),
               bitwiseCrc(QByteArrayView(bytes).sliced(5, length)));
    QCOMPARE(crc32Of(bytes), bitwiseCrc(bytes));
    const QByteArray zeros(100000, '\0');
    QCOMPARE(crc32Of(zeros), bitwiseCrc(zeros));
  }

  // Each number has one spelling: the byte after a full first byte counts from 128.
  void numbersAreWrittenAsTheFormatSpells() {
    const auto spelled = [](quint64 value) {
      QByteArray out;
      appendBpsNumber(out, value);
      return out.toHex();
    };
    QCOMPARE(spelled(0), QByteArray("80"));
    QCOMPARE(spelled(127), QByteArray("ff"));
    QCOMPARE(spelled(128), QByteArray("0080"));
    QCOMPARE(spelled(16511), QByteArray("7fff"));
    QCOMPARE(spelled(16512), QByteArray("000080"));
  }

  void aPatchRebuildsItsTarget() {
    const QByteArray source = pattern(4096, 1);
    const QByteArray target = withChanges(source);
    const QByteArray patch = encodeBps(source, target);
    QVERIFY(patch.startsWith("BPS1"));
    QVERIFY(patch.size() < 120);
    const BpsApplied applied = applyBps(patch, source);
    QVERIFY2(applied.error.isEmpty(), qPrintable(applied.error));
    QCOMPARE(applied.target, target);
    QCOMPARE(applyBps(encodeBps(source, source), source).target, source);
  }

  // IPS stops at 16 MiB; BPS has no such limit.
  void aChangePastSixteenMebibytesRoundTrips() {
    const QByteArray source(0x1000000 + 0x100, '\x11');
    QByteArray target = source;
    target[0x1000010] = '\x22';
    const BpsApplied applied = applyBps(encodeBps(source, target), source);
    QVERIFY2(applied.error.isEmpty(), qPrintable(applied.error));
    QVERIFY(applied.target == target);
  }

  void aPatchForAnotherFileIsRefusedNamingTheCheck() {
    const QByteArray source = pattern(2048, 2);
    const QByteArray target = withChanges(source);
    const QByteArray patch = encodeBps(source, target);

    BpsApplied applied = applyBps(patch, target); // already patched
    QVERIFY(applied.target.isEmpty());
    QVERIFY2(applied.error.contains(QStringLiteral("这个补丁不是为这个文件做的：文件的 CRC32 是 ")),
             qPrintable(applied.error));
    QVERIFY(applied.error.contains(QStringLiteral("已经应用过了")));
    applied = applyBps(patch, pattern(2048, 3));
    QVERIFY(applied.error.contains(QStringLiteral("补丁要求")));
    QVERIFY(!applied.error.contains(QStringLiteral("已经应用过了")));
    applied = applyBps(patch, source + "x");
    QVERIFY(applied.error.contains(QStringLiteral("文件长 2049 字节，补丁要求 2048 字节")));

    QByteArray flipped = patch;
    flipped[10] = char(flipped[10] ^ 0x01);
    applied = applyBps(flipped, source);
    QVERIFY(applied.target.isEmpty());
    QVERIFY(applied.error.contains(QStringLiteral("补丁文件已损坏")));
  }

  // The game files never change size.
  void aTargetOfAnotherSizeIsRefused() {
    const QByteArray source = pattern(512, 4);
    const BpsApplied applied = applyBps(encodeBps(source, source + "more"), source);
    QVERIFY(applied.target.isEmpty());
    QVERIFY(applied.error.contains(QStringLiteral("512 字节改成 516 字节")));
  }

  // Patches from other tools use the copy actions too; their offsets move both ways.
  void copyActionsFromOtherToolsAreRead() {
    const QByteArray source("abcdefgh");
    const QByteArray target("ghabXYXY");
    QByteArray patch("BPS1");
    appendBpsNumber(patch, 8);
    appendBpsNumber(patch, 8);
    appendBpsNumber(patch, 0);
    appendBpsNumber(patch, (1 << 2) | 2); // source copy of 2 from 6
    appendBpsNumber(patch, 6 << 1);
    appendBpsNumber(patch, (1 << 2) | 2); // source copy of 2 from 0: back 8
    appendBpsNumber(patch, (8 << 1) | 1);
    appendBpsNumber(patch, (1 << 2) | 1); // target read "XY"
    patch += "XY";
    appendBpsNumber(patch, (1 << 2) | 3); // target copy of 2 from 4
    appendBpsNumber(patch, 4 << 1);
    for (quint32 crc : {crc32Of(source), crc32Of(target), 0u})
      for (int i = 0; i < 4; ++i)
        patch.append(char(quint8(crc >> (8 * i))));
    const BpsApplied applied = applyBps(resealed(patch), source);
    QVERIFY2(applied.error.isEmpty(), qPrintable(applied.error));
    QCOMPARE(applied.target, target);

    // A copy from before the file's start or from bytes not yet built is refused.
    QByteArray early = patch;
    early[early.indexOf('\x8C')] = '\x94'; // the first move, 6 forward, becomes 10
    QVERIFY(applyBps(resealed(early), source).error.contains(QStringLiteral("原文件范围之外")));
  }

  // A patch of any bytes never crashes or hangs, and whatever passes every check
  // rebuilds exactly the target.
  void randomMutationsAreRefusedSafely() {
    const QByteArray source = pattern(1024, 5);
    const QByteArray target = withChanges(source);
    const QByteArray patch = encodeBps(source, target);
    QRandomGenerator random(19);
    int refused = 0;
    for (int round = 0; round < 4000; ++round) {
      QByteArray mutated = patch;
      for (int n = 1 + random.bounded(3); n > 0 && !mutated.isEmpty(); --n) {
        const qsizetype at = random.bounded(qsizetype(mutated.size()));
        switch (random.bounded(4)) {
        case 0:
          mutated[at] = char(random.bounded(256));
          break;
        case 1:
          mutated.truncate(at);
          break;
        case 2:
          mutated.insert(at, char(random.bounded(256)));
          break;
        default:
          mutated.remove(at, 1 + random.bounded(8));
        }
      }
      // Half of them get a matching CRC32, to reach the decoding itself.
      if (round % 2 == 0)
        mutated = resealed(mutated);
      const BpsApplied applied = applyBps(mutated, source);
      if (applied.error.isEmpty()) {
        QCOMPARE(applied.target, target);
      } else {
        ++refused;
        QVERIFY(applied.target.isEmpty());
      }
    }
    QVERIFY(refused > 3500);
  }
};

QTEST_GUILESS_MAIN(TestBps)
#include "tst_bps.moc"
