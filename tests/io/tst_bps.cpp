// BPS patches: what the encoder writes rebuilds the target, and the decoder, which
// reads untrusted bytes, refuses every patch that is not for the given file or
// not whole, whatever its bytes.

#include "io/bps.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>

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

// applyBpsStreamed on `source` held in memory.
PatchedFile streamed(QByteArrayView patch, const QByteArray &source) {
  return applyBpsStreamed(patch, source.size(), [&source](qint64 offset, char *to, qint64 length) {
    std::memcpy(to, source.constData() + offset, size_t(length));
    return true;
  });
}

// The file the spans make of `source`; empty when a span's old bytes are not
// the source's or the spans are out of order.
QByteArray laidOver(QByteArray source, const PatchedFile &patched) {
  qint64 end = 0;
  for (const PatchedSpan &span : patched.spans) {
    if (span.start < end || span.after.size() != span.before.size() ||
        source.sliced(span.start, span.before.size()) != span.before)
      return {};
    source.replace(span.start, span.after.size(), span.after);
    end = span.end();
  }
  return source;
}

void appendSigned(QByteArray &out, qint64 move) {
  appendBpsNumber(out, quint64(std::abs(move)) << 1 | (move < 0 ? 1 : 0));
}

QByteArray sealed(QByteArray actions, const QByteArray &source, const QByteArray &target) {
  QByteArray patch("BPS1");
  appendBpsNumber(patch, quint64(source.size()));
  appendBpsNumber(patch, quint64(target.size()));
  appendBpsNumber(patch, 0);
  patch += actions;
  for (quint32 crc : {crc32Of(source), crc32Of(target), 0u})
    for (int i = 0; i < 4; ++i)
      patch.append(char(quint8(crc >> (8 * i))));
  return resealed(patch);
}

struct RandomPatch {
  QByteArray patch;
  QByteArray target;
};

// Random actions of all four kinds, short and long, the copies from anywhere
// (a target copy often from just behind, repeating a few bytes), and target
// reads that keep most of the bytes they replace.
RandomPatch randomPatch(const QByteArray &source, quint32 seed) {
  QRandomGenerator random(seed);
  QByteArray target;
  QByteArray actions;
  qint64 sourceAt = 0;
  qint64 targetAt = 0;
  while (target.size() < source.size()) {
    const qint64 longest = random.bounded(5) == 0 ? 400000 : 64;
    const qint64 length =
        std::min<qint64>(source.size() - target.size(), 1 + random.bounded(longest));
    const int kind = target.isEmpty() ? random.bounded(3) : random.bounded(4);
    appendBpsNumber(actions, quint64(length - 1) << 2 | kind);
    switch (kind) {
    case 0:
      target += source.sliced(target.size(), length);
      break;
    case 1: {
      QByteArray bytes = random.bounded(2) ? pattern(length, random.generate())
                                           : source.sliced(target.size(), length);
      bytes[random.bounded(length)] ^= 0x40;
      actions += bytes;
      target += bytes;
      break;
    }
    case 2: {
      const qint64 from = random.bounded(source.size() - length + 1);
      appendSigned(actions, from - sourceAt);
      target += source.sliced(from, length);
      sourceAt = from + length;
      break;
    }
    default: {
      const qint64 from =
          random.bounded(2)
              ? random.bounded(target.size())
              : target.size() - 1 - random.bounded(std::min<qint64>(target.size(), 5));
      appendSigned(actions, from - targetAt);
      for (qint64 i = 0; i < length; ++i)
        target += target[from + i];
      targetAt = from + length;
    }
    }
  }
  return {sealed(actions, source, target), target};
}

// The sample file of the patches npm's bps made, and what they make of it.
QByteArray bpsCreateSource() { return pattern(1536 * 1024, 31); }
QByteArray bpsCreateTarget() {
  const QByteArray source = bpsCreateSource();
  QByteArray target = source;
  target.replace(1000, 100, pattern(100, 32));                         // new bytes
  target.replace(100000, 100000, source.sliced(500000, 100000));       // moved from further on
  target.replace(1200000, 100000, QByteArray("ABCD").repeated(25000)); // a repeated run
  target.replace(700000, 50000, target.sliced(100000, 50000));         // moved again
  target.replace(1048570, 20, pattern(20, 33));                        // across a block's end
  return target;
}

QString storedPatch(const char *name) {
  return QDir(QStringLiteral(KORVANE_TEST_DATA)).filePath(QString::fromLatin1(name));
}

QByteArray readAll(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
    // Block by block, from any split.
    for (qsizetype split : {0, 1, 17, 64, 300, 4000})
      QCOMPARE(
          crc32Of(QByteArrayView(bytes).sliced(split), crc32Of(QByteArrayView(bytes).first(split))),
          bitwiseCrc(bytes));
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
      const PatchedFile patched = streamed(mutated, source);
      QCOMPARE(patched.error, applied.error);
      if (applied.error.isEmpty()) {
        QCOMPARE(laidOver(source, patched), target);
        QCOMPARE(applied.target, target);
      } else {
        ++refused;
        QVERIFY(applied.target.isEmpty());
      }
    }
    QVERIFY(refused > 3500);
  }

  // Streamed against the file, a patch makes what it makes in one buffer: with
  // blocks of 1 MiB, actions cross blocks, copies reach back into changed
  // stretches, and a target read that keeps a byte keeps it out of the spans.
  void aStreamedApplyMatchesTheWholeBuffer() {
    const QByteArray source = pattern(2600 * 1024, 41);
    for (quint32 seed = 1; seed <= 12; ++seed) {
      const RandomPatch random = randomPatch(source, seed);
      const BpsApplied whole = applyBps(random.patch, source);
      QVERIFY2(whole.error.isEmpty(), qPrintable(whole.error));
      QCOMPARE(whole.target, random.target);
      const PatchedFile patched = streamed(random.patch, source);
      QVERIFY2(patched.error.isEmpty(), qPrintable(patched.error));
      QVERIFY(laidOver(source, patched) == random.target);
      for (const PatchedSpan &span : patched.spans)
        QVERIFY(span.before.front() != span.after.front() &&
                span.before.back() != span.after.back());
    }
  }

  void aStreamedApplyRefusesAsTheWholeBufferDoes() {
    const QByteArray source = pattern(2048, 2);
    const QByteArray patch = encodeBps(source, withChanges(source));
    const QByteArray target = withChanges(source);
    QCOMPARE(streamed(patch, target).error, applyBps(patch, target).error);
    QCOMPARE(streamed(patch, source + "x").error, applyBps(patch, source + "x").error);
    const QByteArray longer = encodeBps(source, source + "more");
    QCOMPARE(streamed(longer, source).error, applyBps(longer, source).error);
    // A file that cannot be read is no file the patch was made for.
    const PatchedFile unread =
        applyBpsStreamed(patch, source.size(), [](qint64, char *, qint64) { return false; });
    QVERIFY(unread.readFailed && unread.spans.empty());
  }

  // Patches made by npm's bps ("bps create"), which copies from the source and the
  // target where the encoder here only reads.
  void patchesOfBpsCreateApplyStreamed() {
    const QByteArray source = bpsCreateSource();
    const QByteArray patch = readAll(storedPatch("moved.bps"));
    QVERIFY(!patch.isEmpty());
    const BpsApplied whole = applyBps(patch, source);
    QVERIFY2(whole.error.isEmpty(), qPrintable(whole.error));
    QVERIFY(whole.target == bpsCreateTarget());
    const PatchedFile patched = streamed(patch, source);
    QVERIFY2(patched.error.isEmpty(), qPrintable(patched.error));
    QVERIFY(laidOver(source, patched) == whole.target);
  }

  // Remakes the stored patch where npm's bps is installed (KORVANE_BPS_CLI, or
  // "bps" on the PATH): its output is what is stored.
  void theStoredPatchIsWhatBpsCreateMakes() {
    QString cli = qEnvironmentVariable("KORVANE_BPS_CLI");
    if (cli.isEmpty() && !QStandardPaths::findExecutable(QStringLiteral("node")).isEmpty())
      cli = QStandardPaths::findExecutable(QStringLiteral("bps"));
    if (cli.isEmpty())
      QSKIP("npm's bps is not installed; the stored patch is used as it is.");
    QTemporaryDir dir;
    dir.setAutoRemove(false);
    for (const auto &[name, bytes] :
         {std::pair{"source", bpsCreateSource()}, std::pair{"target", bpsCreateTarget()}}) {
      QFile file(dir.filePath(QString::fromLatin1(name)));
      QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    QProcess bps;
    bps.start(cli,
              {QStringLiteral("create"), dir.filePath(QStringLiteral("source")),
               dir.filePath(QStringLiteral("target")), dir.filePath(QStringLiteral("moved.bps"))});
    QVERIFY(bps.waitForFinished(120000) && bps.exitCode() == 0);
    QVERIFY2(readAll(dir.filePath(QStringLiteral("moved.bps"))) ==
                 readAll(storedPatch("moved.bps")),
             qPrintable(dir.path()));
    dir.setAutoRemove(true);
  }

  // The patch written a block at a time is the one encodeBps writes, wherever the
  // blocks end: in a change, in a carried gap, or between them.
  void aPatchWrittenInBlocksIsTheWholeOne() {
    const QByteArray source = pattern(300000, 51);
    QByteArray target = withChanges(source);
    for (qsizetype at : {4095, 4097, 8190, 8193, 100000, 100002, 100005})
      target[at] = char(~target[at]);
    target.replace(200000, 30000, pattern(30000, 52));
    const QByteArray whole = encodeBps(source, target);
    for (qsizetype block : {1, 2, 3, 4096, 4097, 65536, 300000}) {
      QByteArray written;
      BpsWriter writer(source.size(), [&written](QByteArrayView piece) {
        written += piece;
        return true;
      });
      for (qsizetype at = 0; at < source.size(); at += block) {
        const qsizetype length = std::min(block, source.size() - at);
        writer.compare(QByteArrayView(source).sliced(at, length),
                       QByteArrayView(target).sliced(at, length));
      }
      QVERIFY(writer.finish());
      QVERIFY2(written == whole, qPrintable(QString::number(block)));
    }
  }

  // A changed stretch longer than one action holds is cut into several.
  void aLongChangeIsWrittenInSeveralActions() {
    const QByteArray source(9 << 20, '\0');
    const QByteArray target = pattern(9 << 20, 53);
    QByteArray written;
    BpsWriter writer(source.size(), [&written](QByteArrayView piece) {
      written += piece;
      return true;
    });
    for (qsizetype at = 0; at < source.size(); at += 1 << 20)
      writer.compare(QByteArrayView(source).sliced(at, 1 << 20),
                     QByteArrayView(target).sliced(at, 1 << 20));
    QVERIFY(writer.finish());
    const BpsApplied applied = applyBps(written, source);
    QVERIFY2(applied.error.isEmpty(), qPrintable(applied.error));
    QVERIFY(applied.target == target);
    // A writer whose output is refused says so.
    BpsWriter refused(4, [](QByteArrayView) { return false; });
    refused.compare("abcd", "abce");
    QVERIFY(!refused.finish());
  }
};

QTEST_GUILESS_MAIN(TestBps)
#include "tst_bps.moc"
