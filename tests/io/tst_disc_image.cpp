#include "io/disc_image.h"
#include "tests/support/game_image.h"
#include "tests/support/sample_game.h"
#include "tools/sample_image.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace korvane;
using korvane::samples::ImageMaker;
using korvane::test::addImageMakerRows;
using korvane::test::patterned;
using korvane::test::rawSectors;
using korvane::test::SampleGame;

namespace {

constexpr qint64 kSector = 2048;
// The primary volume descriptor's volume space size, little-endian then big-endian.
constexpr qint64 kVolumeSpaceSize = 16 * kSector + 80;
// A directory record: its flags byte and where its name starts.
constexpr int kFlagsInRecord = 25;
constexpr int kNameInRecord = 33;
constexpr char kMultiExtentFlag = char(0x80);

const QByteArray kExe = patterned(70001, 1);
const QByteArray kStage = patterned(9003, 2);
const QByteArray kFiller = patterned(5000, 3);

// The directory record whose ISO 9660 name is `isoName` ("STAGE.BIN;1"): where it starts.
qsizetype recordOf(const QByteArray &image, const QByteArray &isoName) {
  const qsizetype name = image.indexOf(isoName);
  return name < kNameInRecord ? -1 : name - kNameInRecord;
}

void putBothEndian(QByteArray &bytes, qsizetype at, quint32 value) {
  qToLittleEndian(value, bytes.data() + at);
  qToBigEndian(value, bytes.data() + at + 4);
}

// An image kept as test data, stored with qCompress (it is mostly zeros).
QByteArray storedImage(const char *name) {
  return qUncompress(SampleGame::readFile(QStringLiteral(KORVANE_TEST_DATA "/") + name));
}

QByteArray gzipped(const QString &path) {
  QProcess gzip;
  gzip.start(QStringLiteral("gzip"), {QStringLiteral("-c"), path});
  gzip.waitForFinished(-1);
  return gzip.readAllStandardOutput();
}

} // namespace

class TestDiscImage : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  int made_ = 0;

  QString path(const QString &name) const { return dir_.filePath(name); }

  // Masters an image of the files (relative path -> bytes); empty on failure.
  QString imageOf(const QList<std::pair<QString, QByteArray>> &files,
                  ImageMaker maker = ImageMaker::Xorriso, bool udf = false) {
    const QString source = path(QStringLiteral("source%1").arg(++made_));
    for (const auto &[name, bytes] : files) {
      QDir().mkpath(QFileInfo(source + u'/' + name).absolutePath());
      SampleGame::writeFile(source + u'/' + name, bytes);
    }
    const QString image = path(QStringLiteral("image%1.iso").arg(made_));
    QString error;
    if (!samples::masterImage(source, image, maker, udf, &error)) {
      qWarning() << error;
      return {};
    }
    return image;
  }

  QString gameImage(ImageMaker maker = ImageMaker::Xorriso, bool udf = false,
                    const QString &folder = QStringLiteral("GAME/")) {
    return imageOf({{QStringLiteral("FILLER.DAT"), kFiller},
                    {folder + kExeEntryName, kExe},
                    {folder + kStageEntryName, kStage}},
                   maker, udf);
  }

  QString fileWith(const QString &name, const QByteArray &bytes) {
    SampleGame::writeFile(path(name), bytes);
    return path(name);
  }

  // Looks the stage file up and expects a refusal that holds every one of `parts`;
  // the image is left as it was.
  void expectRefusal(const QString &image, const QStringList &parts) {
    const QByteArray before = SampleGame::readFile(image);
    const ImageEntryResult found = findImageEntry(image, kStageEntryName);
    QVERIFY(!found.ok());
    for (const QString &part : parts)
      QVERIFY2(found.error.contains(part), qPrintable(found.error));
    QCOMPARE(SampleGame::readFile(image), before);
  }

private slots:
  void initTestCase() {
    if (!samples::imageMakerPresent(ImageMaker::Xorriso))
      QSKIP("xorriso is not installed");
  }

  void findsTheEntriesWhereverTheyLie_data() {
    addImageMakerRows({QString(), QStringLiteral("GAME/"), QStringLiteral("A/B/")});
  }
  void findsTheEntriesWhereverTheyLie() {
    QFETCH(ImageMaker, maker);
    QFETCH(bool, udf);
    QFETCH(QString, folder);
    if (!samples::imageMakerPresent(maker))
      QSKIP("the image maker is not installed");
    const QString image = gameImage(maker, udf, folder);
    QVERIFY(!image.isEmpty());
    const QByteArray bytes = SampleGame::readFile(image);
    for (const auto &[name, content] :
         {std::pair{kExeEntryName, kExe}, {kStageEntryName, kStage}}) {
      const ImageEntryResult found = findImageEntry(image, name);
      QVERIFY2(found.ok(), qPrintable(found.error));
      QCOMPARE(found.entry.name, name);
      // Found without regard to case and to the version suffix, which
      // genisoimage writes and xorriso leaves out.
      const QString isoPath = u'/' + folder + name;
      QCOMPARE(found.entry.isoPath, maker == ImageMaker::Genisoimage
                                        ? isoPath.toUpper() + QStringLiteral(";1")
                                        : isoPath);
      QCOMPARE(found.entry.start % kSector, 0);
      QCOMPARE(found.entry.size, content.size());
      QCOMPARE(bytes.mid(found.entry.start, found.entry.size), content);
    }
  }

  void extractsAnEntryWholeOrNotAtAll() {
    const QString image = gameImage();
    QString error;
    const QString target = path(QStringLiteral("out/SLPS_255.37"));
    QDir().mkpath(path(QStringLiteral("out")));
    QVERIFY2(extractImageEntry(image, kExeEntryName, target, &error), qPrintable(error));
    QCOMPARE(SampleGame::readFile(target), kExe);

    const QString refused = path(QStringLiteral("out/refused.bin"));
    QVERIFY(!extractImageEntry(image, QStringLiteral("missing.bin"), refused, &error));
    QVERIFY(error.contains(QStringLiteral("missing.bin")));
    QVERIFY(!QFile::exists(refused));
  }

  void refusesANameFoundTwiceNamingBoth() {
    const QString image = imageOf({{QStringLiteral("stage.bin"), kStage},
                                   {QStringLiteral("OLD/STAGE.BIN"), kStage},
                                   {QStringLiteral("SLPS_255.37"), kExe}});
    QVERIFY(!image.isEmpty());
    expectRefusal(image, {QStringLiteral("/stage.bin"), QStringLiteral("/OLD/STAGE.BIN"),
                          QStringLiteral("2 个")});
    QVERIFY(findImageEntry(image, kExeEntryName).ok());
  }

  void refusesAFileStoredInSeveralExtents() {
    // Two directory records of one name, the first marked "more extents
    // follow": how a file split into pieces is recorded.
    const QString split = imageOf(
        {{QStringLiteral("GAME/STAGE.BIN"), kStage}, {QStringLiteral("GAME/STAGF.BIN"), kStage}});
    QByteArray bytes = SampleGame::readFile(split);
    const qsizetype first = bytes.indexOf("STAGE.BIN;1");
    QVERIFY(first > 0);
    bytes.replace("STAGF.BIN", "STAGE.BIN"); // the ISO 9660 and the Rock Ridge name
    bytes[first - kNameInRecord + kFlagsInRecord] =
        char(bytes[first - kNameInRecord + kFlagsInRecord] | kMultiExtentFlag);
    const QString image = fileWith(QStringLiteral("split.iso"), bytes);
    expectRefusal(image, {QStringLiteral("/GAME/STAGE.BIN"), QStringLiteral("2 段")});
  }

  void refusesAMissingNameNamingWhatIsThere() {
    const QString image = imageOf(
        {{QStringLiteral("FILLER.DAT"), kFiller}, {QStringLiteral("GAME/SLPS_255.37"), kExe}});
    QVERIFY(!image.isEmpty());
    expectRefusal(image, {QStringLiteral("找不到 stage.bin"), QStringLiteral("/FILLER.DAT"),
                          QStringLiteral("/GAME/SLPS_255.37")});
  }

  void refusesImagesOfAnotherForm_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("form"); // how the image is made from a good one
    QTest::addColumn<QString>("said");
    QTest::addColumn<ImageFormat>("format");
    QTest::newRow("raw sectors") << "game.bin" << QByteArray("raw") << "2352"
                                 << ImageFormat::RawSectors;
    QTest::newRow("raw sectors named .iso")
        << "raw.iso" << QByteArray("raw") << "2352" << ImageFormat::RawSectors;
    QTest::newRow("gzip") << "game.iso.gz" << QByteArray("gzip") << "压缩"
                          << ImageFormat::Compressed;
    QTest::newRow("gzip named .iso")
        << "packed.iso" << QByteArray("gzip") << "压缩" << ImageFormat::Compressed;
    QTest::newRow("cue sheet") << "game.cue" << QByteArray("cue") << "描述文件"
                               << ImageFormat::CueSheet;
    QTest::newRow("no volume") << "blank.iso" << QByteArray("blank") << "卷描述符"
                               << ImageFormat::NoVolume;
    QTest::newRow("chd by name") << "game.chd" << QByteArray("blank") << "压缩"
                                 << ImageFormat::Compressed;
  }
  void refusesImagesOfAnotherForm() {
    QFETCH(QString, name);
    QFETCH(QByteArray, form);
    QFETCH(QString, said);
    QFETCH(ImageFormat, format);
    const QString good = gameImage();
    QVERIFY(!good.isEmpty());
    const QByteArray bytes = form == "raw"    ? rawSectors(SampleGame::readFile(good))
                             : form == "gzip" ? gzipped(good)
                             : form == "cue"  ? QByteArray("FILE \"game.bin\" BINARY\r\n"
                                                            "  TRACK 01 MODE2/2352\r\n")
                                              : QByteArray(64 * 1024, '\0');
    QVERIFY(!bytes.isEmpty());
    const QString image = fileWith(name, bytes);
    QCOMPARE(probeImageFormat(image), format);
    QVERIFY(isDiscImagePath(image));
    expectRefusal(image, {said, QStringLiteral("2048 字节的 ISO 9660")});
  }

  void tellsImagesFromGameFiles() {
    const QString image = gameImage();
    QCOMPARE(probeImageFormat(image), ImageFormat::Iso);
    QVERIFY(isDiscImagePath(image));
    SampleGame game;
    QVERIFY(!isDiscImagePath(game.exePath()));
    QVERIFY(!isDiscImagePath(game.stagePath()));
  }

  void refusesATruncatedImage() {
    const QString good = gameImage();
    const QByteArray bytes = SampleGame::readFile(good);
    const QString image = fileWith(QStringLiteral("truncated.iso"), bytes.left(bytes.size() / 2));
    expectRefusal(image, {QStringLiteral("不完整"), QString::number(bytes.size() / 2)});
  }

  void refusesAnEntryPastTheImageEnd() {
    // A volume whose own size is consistent with the cut file, but whose
    // directory still points at the stage file's old place.
    const QString good = gameImage();
    const ImageEntry stage = findImageEntry(good, kStageEntryName).entry;
    QByteArray bytes = SampleGame::readFile(good).left(stage.start + stage.size / 2);
    const quint32 sectors = quint32(stage.start / kSector);
    qToLittleEndian(sectors, bytes.data() + kVolumeSpaceSize);
    qToBigEndian(sectors, bytes.data() + kVolumeSpaceSize + 4);
    const QString image = fileWith(QStringLiteral("cut.iso"), bytes);
    expectRefusal(image, {QStringLiteral("超出了镜像的末尾"), QStringLiteral("/GAME/stage.bin"),
                          QString::number(stage.start)});
  }

  // Records that say the file is not plain contiguous bytes, and extents that
  // lie before the data area or (read as signed numbers) would: refused, naming why.
  void refusesRecordsThatDoNotDescribeOnePlainExtent_data() {
    QTest::addColumn<int>("field"); // offset in the record
    QTest::addColumn<quint32>("value");
    QTest::addColumn<QString>("said");
    QTest::newRow("sector 2^31") << 2 << 0x80000000u << "超出了镜像的末尾";
    QTest::newRow("sector 2^32 - 16") << 2 << 0xFFFFFFF0u << "超出了镜像的末尾";
    QTest::newRow("in the system area") << 2 << 3u << "系统区";
    QTest::newRow("on the volume descriptor") << 2 << 16u << "系统区";
    QTest::newRow("interleaved") << 26 << 0x0101u << "交错";
    QTest::newRow("associated file") << kFlagsInRecord << 0x04u << "关联文件";
    QTest::newRow("more extents flagged") << kFlagsInRecord << 0x80u << "分成多段";
    QTest::newRow("extended attributes") << 1 << 1u << "扩展属性";
  }
  void refusesRecordsThatDoNotDescribeOnePlainExtent() {
    QFETCH(int, field);
    QFETCH(quint32, value);
    QFETCH(QString, said);
    QByteArray bytes = SampleGame::readFile(gameImage(ImageMaker::Genisoimage));
    const qsizetype record = recordOf(bytes, "STAGE.BIN;1");
    QVERIFY(record > 0);
    if (field == 2)
      putBothEndian(bytes, record + field, value);
    else if (field == 26)
      bytes[record + 26] = bytes[record + 27] = 1;
    else
      bytes[record + field] = char(value);
    const QString image = fileWith(QStringLiteral("record.iso"), bytes);
    expectRefusal(image, {said, QStringLiteral("/GAME/STAGE.BIN;1")});
  }

  // Folders that point back at the root: each is read once, and the walk ends.
  void walksAFolderLoopOnce() {
    QByteArray bytes = SampleGame::readFile(imageOf({{QStringLiteral("A/A.DAT"), kFiller},
                                                     {QStringLiteral("B/B.DAT"), kFiller},
                                                     {QStringLiteral("GAME/STAGE.BIN"), kStage}},
                                                    ImageMaker::Genisoimage));
    const qsizetype root = 16 * kSector + 156;
    const quint32 rootSector = qFromLittleEndian<quint32>(bytes.constData() + root + 2);
    const quint32 rootSize = qFromLittleEndian<quint32>(bytes.constData() + root + 10);
    const qsizetype rootFolder = qsizetype(rootSector) * kSector;
    for (const char *name : {"A", "B"}) {
      const qsizetype record = bytes.indexOf(QByteArray("\x01") + name, rootFolder) - 32;
      QVERIFY(record > rootFolder);
      putBothEndian(bytes, record + 2, rootSector);
      putBothEndian(bytes, record + 10, rootSize);
    }
    QElapsedTimer timer;
    timer.start();
    const ImageEntryResult found =
        findImageEntry(fileWith(QStringLiteral("loop.iso"), bytes), kStageEntryName);
    QVERIFY2(found.ok(), qPrintable(found.error));
    QCOMPARE(found.entry.size, kStage.size());
    QVERIFY(timer.elapsed() < 5000);
  }

  // Folders that do not lead to the game files never refuse the image.
  void acceptsUnusualFoldersBesideTheGameFiles() {
    QString deep;
    for (int level = 0; level < 70; ++level)
      deep += QStringLiteral("D%1/").arg(level);
    const QString image = imageOf({{QStringLiteral("机体资料/说明.txt"), kFiller},
                                   {deep + QStringLiteral("X.DAT"), kFiller},
                                   {QStringLiteral("GAME/SLPS_255.37"), kExe},
                                   {QStringLiteral("GAME/stage.bin"), kStage}});
    QVERIFY(!image.isEmpty());
    for (const QString &name : {kExeEntryName, kStageEntryName}) {
      const ImageEntryResult found = findImageEntry(image, name);
      QVERIFY2(found.ok(), qPrintable(found.error));
    }
    const ImageEntryResult missing = findImageEntry(image, QStringLiteral("none.bin"));
    QVERIFY(missing.error.contains(QStringLiteral("/机体资料/说明.txt")));
  }

  // Names from the image reach a message without a terminal's escape codes,
  // each cut short.
  void namesInMessagesAreMadeHarmless() {
    const QString trap = QStringLiteral("\x1b[2J\x1b]0;x\x07") + QString(60, u'n');
    const QString image = imageOf({{trap, kFiller}, {QStringLiteral("GAME/SLPS_255.37"), kExe}});
    QVERIFY(!image.isEmpty());
    const ImageEntryResult missing = findImageEntry(image, kStageEntryName);
    QVERIFY(!missing.ok());
    QVERIFY2(!missing.error.contains(QChar(0x1b)) && !missing.error.contains(QChar(0x07)),
             qPrintable(missing.error));
    QVERIFY(missing.error.contains(QStringLiteral("…")));
    QVERIFY(!missing.error.contains(QString(60, u'n')));
  }

  // Made with pycdlib: SLPS_255.37 shared by both trees, stage.bin once in the
  // ISO 9660 tree and once more, with other bytes, in the UDF tree.
  void refusesAUdfTreeWithItsOwnCopy() {
    const QString image = fileWith(QStringLiteral("udf-copy.iso"), storedImage("udf_copy.iso.qz"));
    const ImageEntryResult shared = findImageEntry(image, kExeEntryName);
    QVERIFY2(shared.ok(), qPrintable(shared.error));
    QCOMPARE(shared.entry.size, 3000);
    expectRefusal(image, {QStringLiteral("UDF"), QStringLiteral("7-Zip"),
                          QStringLiteral("/GAME/STAGE.BIN;1")});
  }

  void namesAUdfOnlyImage() {
    QByteArray bytes = SampleGame::readFile(gameImage(ImageMaker::Genisoimage, true));
    // The recognition area of a volume that has no ISO 9660 descriptors.
    const char *areas[] = {"BEA01", "NSR02", "TEA01"};
    for (int i = 0; i < 3; ++i)
      bytes.replace(16 * kSector + i * kSector, 7, QByteArray(1, '\0') + areas[i] + '\x01');
    const QString image = fileWith(QStringLiteral("udf-only.iso"), bytes);
    QCOMPARE(probeImageFormat(image), ImageFormat::UdfOnly);
    expectRefusal(image, {QStringLiteral("只有 UDF"), QStringLiteral("复制出来")});
  }

  void locatesAGameFilePlainOrInAnImage() {
    const QString image = gameImage();
    const GameFileRef inImage{image, kStageEntryName};
    QCOMPARE(inImage.displayName(),
             QDir::toNativeSeparators(image) + QStringLiteral(" › stage.bin"));
    const ImageEntryResult entry = locateGameFile(inImage);
    QVERIFY(entry.ok());
    QCOMPARE(entry.entry.size, kStage.size());

    const QString plainPath = fileWith(QStringLiteral("stage.bin"), kStage);
    const GameFileRef plain{plainPath, {}};
    QVERIFY(!plain.inImage());
    QCOMPARE(plain.displayName(), QDir::toNativeSeparators(plainPath));
    const ImageEntryResult whole = locateGameFile(plain);
    QVERIFY(whole.ok());
    QCOMPARE(whole.entry.start, 0);
    QCOMPARE(whole.entry.size, kStage.size());
    QVERIFY(!locateGameFile({path(QStringLiteral("absent.bin")), {}}).ok());
  }
};

QTEST_GUILESS_MAIN(TestDiscImage)
#include "tst_disc_image.moc"
