#pragma once

// A sample disc image holding the synthetic game files, for trying the editor
// on an image without the game disc, and the mastering step the tests share.
// Images are mastered by a Debian program: genisoimage, which can add a UDF
// bridge as the game's own disc has, or else xorriso's mkisofs emulation.

#include <QList>
#include <QString>
#include <QStringList>

namespace korvane::samples {

enum class ImageMaker { Genisoimage, Xorriso };

QString imageMakerProgram(ImageMaker maker); // "genisoimage", "xorriso"
bool imageMakerPresent(ImageMaker maker);
bool makerWritesUdf(ImageMaker maker); // xorriso writes no UDF bridge

// Masters the folder `sourceDir` into the image `imagePath` (2048-byte sectors,
// ISO 9660, with a UDF bridge when `udfBridge`). On failure returns false and
// describes the failure in `error`, if not null.
bool masterImage(const QString &sourceDir, const QString &imagePath, ImageMaker maker,
                 bool udfBridge, QString *error);

// Where the sample image puts its files, in mastering order: a filler file at
// the root, then the game files in a folder.
QString sampleImageName();         // "game.iso"
QStringList sampleImageContents(); // "FILLER.DAT", "GAME/SLPS_255.37", "GAME/stage.bin"

// Writes dir/game.iso with the first maker present, preferring one that adds a
// UDF bridge; false with `error` when none is installed or mastering failed.
bool writeSampleImage(const QString &dir, QString *error);

} // namespace korvane::samples
