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
#include <utility>

namespace korvane::test {

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

// The path text the editor keeps for an entry of an image.
inline QString entryPath(const QString &image, const QString &entry) {
  return GameFileRef{image, entry}.pathText();
}

} // namespace korvane::test
