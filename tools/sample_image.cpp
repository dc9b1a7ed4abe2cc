#include "tools/sample_image.h"

#include "tools/sample_data.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace korvane::samples {
namespace {

// Enough to push the game files off the image's first data sectors, so that an
// entry start taken as 0 shows up.
constexpr int kFillerSize = 40000;

// The player's disc names its volume like this.
const QString kVolumeName = QStringLiteral("KORVANE_SAMPLE");

bool fail(QString *error, const QString &message) {
  if (error)
    *error = message;
  return false;
}

QByteArray fillerBytes() {
  QByteArray filler;
  while (filler.size() < kFillerSize)
    filler += "Filler so that the game files lie past the image's first data sectors.\n";
  filler.truncate(kFillerSize);
  return filler;
}

QStringList makerArguments(ImageMaker maker, bool udfBridge) {
  QStringList arguments;
  if (maker == ImageMaker::Xorriso)
    arguments << QStringLiteral("-as") << QStringLiteral("mkisofs");
  arguments << QStringLiteral("-quiet") << QStringLiteral("-V") << kVolumeName;
  if (udfBridge)
    arguments << QStringLiteral("-udf");
  return arguments;
}

bool writeFile(const QString &path, const QByteArray &bytes, QString *error) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() ||
      !file.flush())
    return fail(error, QStringLiteral("cannot write %1: %2")
                           .arg(QDir::toNativeSeparators(path), file.errorString()));
  return true;
}

} // namespace

QString imageMakerProgram(ImageMaker maker) {
  return maker == ImageMaker::Genisoimage ? QStringLiteral("genisoimage")
                                          : QStringLiteral("xorriso");
}

bool imageMakerPresent(ImageMaker maker) {
  return !QStandardPaths::findExecutable(imageMakerProgram(maker)).isEmpty();
}

bool makerWritesUdf(ImageMaker maker) { return maker == ImageMaker::Genisoimage; }

bool masterImage(const QString &sourceDir, const QString &imagePath, ImageMaker maker,
                 bool udfBridge, QString *error) {
  if (udfBridge && !makerWritesUdf(maker))
    return fail(error,
                QStringLiteral("%1 cannot write a UDF bridge").arg(imageMakerProgram(maker)));
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(imageMakerProgram(maker), makerArguments(maker, udfBridge)
                                              << QStringLiteral("-o") << imagePath << sourceDir);
  if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit ||
      process.exitCode() != 0) {
    QFile::remove(imagePath); // a half-written image would pass for a sample later
    return fail(error, QStringLiteral("%1 failed: %2%3")
                           .arg(imageMakerProgram(maker), process.errorString(),
                                QString::fromLocal8Bit(process.readAll())));
  }
  return true;
}

QString sampleImageName() { return QStringLiteral("game.iso"); }

QStringList sampleImageContents() {
  return {QStringLiteral("FILLER.DAT"), QStringLiteral("GAME/SLPS_255.37"),
          QStringLiteral("GAME/stage.bin")};
}

bool writeSampleImage(const QString &dir, QString *error) {
  QTemporaryDir staging;
  const QStringList contents = sampleImageContents();
  for (const auto &[name, bytes] :
       {std::pair{contents[0], fillerBytes()}, std::pair{contents[1], makeExe()},
        std::pair{contents[2], makeStage()}})
    if (!writeFile(staging.filePath(name), bytes, error))
      return false;
  if (!QDir().mkpath(dir))
    return fail(error,
                QStringLiteral("cannot create folder %1").arg(QDir::toNativeSeparators(dir)));
  const QString imagePath = QDir(dir).filePath(sampleImageName());
  for (ImageMaker maker : {ImageMaker::Genisoimage, ImageMaker::Xorriso})
    if (imageMakerPresent(maker))
      return masterImage(staging.path(), imagePath, maker, makerWritesUdf(maker), error);
  return fail(error, QStringLiteral("neither genisoimage nor xorriso is installed"));
}

} // namespace korvane::samples
