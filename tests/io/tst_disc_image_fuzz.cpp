#include "io/disc_image.h"
#include "tests/support/game_image.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace korvane;
using korvane::samples::ImageMaker;
using korvane::test::patterned;
using korvane::test::SampleGame;

// Built with AddressSanitizer and UndefinedBehaviorSanitizer: any read past a
// buffer or overflowing number while a mutated image is searched ends the test.
class TestDiscImageFuzz : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

  // Changes a few bytes of the sectors that describe the files (the volume
  // descriptors, the UDF structures and the folders): single bytes, whole
  // 32-bit fields, a sector filled with 0xFF, or a cut.
  static QByteArray mutated(QByteArray bytes, qint64 describedEnd, QRandomGenerator &random) {
    constexpr qint64 kSector = 2048;
    const qsizetype end = std::min<qsizetype>(describedEnd, bytes.size());
    for (int n = 1 + random.bounded(4); n > 0 && end <= bytes.size(); --n) {
      const qsizetype at = 16 * kSector + random.bounded(qsizetype(end - 16 * kSector));
      switch (random.bounded(6)) {
      case 0:
      case 1:
        bytes[at] = char(random.bounded(256));
        break;
      case 2:
        qToLittleEndian(random.generate(), bytes.data() + (at & ~3));
        break;
      case 3: {
        static const quint32 edges[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFFFFF0};
        qToLittleEndian(edges[random.bounded(6)], bytes.data() + (at & ~3));
        break;
      }
      case 4:
        bytes.replace(at & ~(kSector - 1), kSector, QByteArray(kSector, '\xFF'));
        break;
      default:
        bytes.truncate(at + random.bounded(4 * kSector));
      }
    }
    return bytes;
  }

private slots:
  void initTestCase() {
    if (!samples::imageMakerPresent(ImageMaker::Genisoimage) ||
        !samples::imageMakerPresent(ImageMaker::Xorriso))
      QSKIP("genisoimage and xorriso are not both installed");
  }

  // Every lookup ends soon; an entry found lies in the image, past the volume
  // descriptors.
  void mutatedImagesAreSearchedSafely_data() {
    QTest::addColumn<ImageMaker>("maker");
    QTest::addColumn<bool>("udf");
    QTest::newRow("xorriso, Rock Ridge") << ImageMaker::Xorriso << false;
    QTest::newRow("genisoimage, UDF bridge") << ImageMaker::Genisoimage << true;
  }
  void mutatedImagesAreSearchedSafely() {
    QFETCH(ImageMaker, maker);
    QFETCH(bool, udf);
    const QString good =
        test::gameImageOf(dir_, QStringLiteral("good%1").arg(udf), patterned(70001, 1),
                          patterned(9003, 2), maker, udf, QStringLiteral("A/B/"));
    QVERIFY(!good.isEmpty());
    const QByteArray bytes = SampleGame::readFile(good);
    // Everything before the first game file describes the files.
    const qint64 describedEnd = std::min(test::imageEntryStart(good, kExeEntryName),
                                         test::imageEntryStart(good, kStageEntryName));
    QVERIFY(describedEnd > 16 * 2048);
    QRandomGenerator random(udf ? 31 : 37);
    const QString path = dir_.filePath(QStringLiteral("mutated.iso"));
    int found = 0;
    for (int round = 0; round < 750; ++round) {
      const QByteArray image = mutated(bytes, describedEnd, random);
      SampleGame::writeFile(path, image);
      for (const QString &name : {kExeEntryName, kStageEntryName}) {
        QElapsedTimer timer;
        timer.start();
        const ImageEntryResult entry = findImageEntry(path, name);
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QStringLiteral("round %1").arg(round)));
        if (!entry.ok())
          continue;
        ++found;
        QVERIFY(entry.entry.start >= 17 * 2048);
        QVERIFY(entry.entry.start + entry.entry.size <= image.size());
      }
    }
    QVERIFY(found > 0);
  }
};

QTEST_GUILESS_MAIN(TestDiscImageFuzz)
#include "tst_disc_image_fuzz.moc"
