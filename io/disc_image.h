#pragma once

// The game files inside the game's disc image.
//
// Players keep the disc as an image of 2048-byte sectors holding an ISO 9660
// volume (often with a UDF bridge pointing at the same sectors). Since no edit
// ever changes a file's size, a game file can be edited where it lies in the
// image: it is the image's path plus the entry's start and size. The entry is
// looked up afresh every time, because the image may have been rebuilt since.
//
// Anything that is not such an image is refused with a message naming what is
// accepted; nothing here guesses at an offset or a sector layout.

#include "io/game_files.h"

#include <QFile>
#include <QString>

namespace korvane {

// A file of the image's ISO 9660 tree that lies in one extent.
struct ImageEntry {
  QString name;     // as asked for, "SLPS_255.37"
  QString isoPath;  // where it was found, "/GAME/SLPS_255.37;1"
  qint64 start = 0; // byte offset of its first byte in the image
  qint64 size = 0;  // bytes
  // The image carries xorriso's MD5 records (made with -md5 on), which no
  // longer match once an entry is edited.
  bool checksumTags = false;
};

struct ImageEntryResult {
  ImageEntry entry;
  QString error; // in Chinese; empty on success
  bool ok() const { return error.isEmpty(); }
};

// What a file's first bytes (and, where they say nothing, its name) show it to be.
enum class ImageFormat {
  NotAnImage, // a plain file, such as an extracted SLPS_255.37
  Iso,        // an ISO 9660 volume in 2048-byte sectors: the one accepted form
  RawSectors, // 2352-byte sectors with sync headers (.bin, .img)
  CueSheet,   // a description of a raw image (.cue, .ccd, .mds)
  Compressed, // .cso, .chd, .gz, .7z, ...
  UdfOnly,    // a UDF volume without an ISO 9660 tree
  NoVolume,   // named as an image, but holds no readable volume descriptor
};

ImageFormat probeImageFormat(const QString &path);

// True when `path` names a disc image of any form, accepted or not: a caller
// that takes either a game file or an image routes it to findImageEntry, which
// then accepts it or says why not.
bool isDiscImagePath(const QString &path);

// Finds `fileName` in any folder of the image at `imagePath`, ignoring case and
// the ";1" version suffix (names are the Rock Ridge ones where the image has them). Refused: an
// image of another form, an unreadable or truncated volume, a name found twice or not at all, an
// entry that does not lie wholly inside the image as one extent.
ImageEntryResult findImageEntry(const QString &imagePath, const QString &fileName);

// findImageEntry for the file access, which looks an entry up on every
// operation: the last lookup of the same entry is reused while the image keeps
// its size and the bytes of every record that says where the entry lies (the
// volume descriptor and the folders from the root down to the entry's). An
// image rebuilt by another program, at any moment, makes it look the entry up
// again; writes inside entries never do. `image` is the image, open for reading.
ImageEntryResult locateImageEntry(QFile &image, const QString &imagePath, const QString &fileName);

// Copies the entry `fileName` out of the image into `targetPath`, whole or not
// at all. On failure returns false and sets `error` (in Chinese).
bool extractImageEntry(const QString &imagePath, const QString &fileName, const QString &targetPath,
                       QString *error);

// The span a game file occupies in the file at `ref.path`: the whole file for a
// plain file (its name left as the file's), the entry's extent for an image.
ImageEntryResult locateGameFile(const GameFileRef &ref);

} // namespace korvane
