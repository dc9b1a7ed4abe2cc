#pragma once

// Disc images mastered in a test from given files, the way players' images hold
// the game files: a filler file first, then the game files at the root or in a
// folder.

#include "io/disc_image.h"
#include "tests/support/sample_game.h"
#include "tools/sample_image.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QTemporaryDir>
#include <QTest>
#include <utility>

Q_DECLARE_METATYPE(korvane::samples::ImageMaker)

namespace korvane::test {

// Test contents whose sizes are no whole number of sectors, so that a size taken
// from the sector count shows up.
inline QByteArray patterned(int size, char seed) {
  QByteArray bytes(size, Qt::Uninitialized);
  for (int i = 0; i < size; ++i)
    bytes[i] = char(seed + i * 7 + i / 251);
  return bytes;
}

// Each 2048-byte sector of `image` behind a sync header, as a raw .bin image holds
// it (2352-byte sectors); the header's address and mode do not matter here.
inline QByteArray rawSectors(const QByteArray &image) {
  constexpr qint64 kSector = 2048;
  constexpr qint64 kRawSector = 2352;
  QByteArray raw;
  for (qint64 at = 0; at < image.size(); at += kSector)
    raw += QByteArray::fromHex("00FFFFFFFFFFFFFFFFFFFF0000020001") + image.mid(at, kSector) +
           QByteArray(kRawSector - 16 - kSector, '\0');
  return raw;
}

using ImageFiles = QList<std::pair<QString, QByteArray>>; // relative path -> bytes

// Masters `files` into dir/NAME.iso; empty when mastering failed.
inline QString masterTestImage(const QTemporaryDir &dir, const QString &name,
                               const ImageFiles &files,
                               samples::ImageMaker maker = samples::ImageMaker::Xorriso,
                               bool udf = false) {
  const QString source = dir.filePath(name + QStringLiteral(".source"));
  for (const auto &[path, bytes] : files) {
    QDir().mkpath(QFileInfo(source + u'/' + path).absolutePath());
    SampleGame::writeFile(source + u'/' + path, bytes);
  }
  const QString image = dir.filePath(name + QStringLiteral(".iso"));
  QString error;
  if (!samples::masterImage(source, image, maker, udf, &error)) {
    qWarning() << error;
    return {};
  }
  return image;
}

// An image holding both game files after a filler file, in `folder` ("GAME/", or
// empty for the root).
inline QString gameImageOf(const QTemporaryDir &dir, const QString &name, const QByteArray &exe,
                           const QByteArray &stage,
                           samples::ImageMaker maker = samples::ImageMaker::Xorriso,
                           bool udf = false, const QString &folder = QStringLiteral("GAME/")) {
  return masterTestImage(dir, name,
                         {{QStringLiteral("FILLER.DAT"), QByteArray(5000, '\x5A')},
                          {folder + kExeEntryName, exe},
                          {folder + kStageEntryName, stage}},
                         maker, udf);
}

inline qint64 imageEntryStart(const QString &image, const QString &entry) {
  return findImageEntry(image, entry).entry.start;
}

// The game file the editor keeps for an entry of an image.
inline GameFileRef entryPath(const QString &image, const QString &entry) {
  return GameFileRef{image, entry};
}

// The rows of a data-driven test over every way of mastering an image: xorriso,
// genisoimage and genisoimage with a UDF bridge, the game files in each of
// `folders` ("" for the root). Its columns: maker, udf, folder.
inline void addImageMakerRows(const QStringList &folders) {
  QTest::addColumn<samples::ImageMaker>("maker");
  QTest::addColumn<bool>("udf");
  QTest::addColumn<QString>("folder");
  for (const QString &folder : folders) {
    const QByteArray where = folder.isEmpty() ? "root" : folder.toLatin1();
    QTest::newRow("xorriso " + where) << samples::ImageMaker::Xorriso << false << folder;
    QTest::newRow("genisoimage " + where) << samples::ImageMaker::Genisoimage << false << folder;
    QTest::newRow("genisoimage udf " + where) << samples::ImageMaker::Genisoimage << true << folder;
  }
}

} // namespace korvane::test
