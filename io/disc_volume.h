#pragma once

// The directory trees of a disc image, read by the program itself.
//
// Images come from anywhere, so every number read from one is checked before
// it is used: each record must lie inside its sector and its folder, each
// folder and file inside the image and past the volume descriptors, and the
// walk visits each folder once and stops after a bounded number of records, so
// that no image can make a read go astray or a search go on forever. Only what
// finding the two game files needs is read: the ISO 9660 names and extents
// (with the Rock Ridge name where the image has one, for showing) and the UDF
// file entries of a named file.

#include <QFile>
#include <QList>
#include <QString>
#include <vector>

namespace korvane {

// Bytes of the image that a lookup read its answer from.
struct ByteSpan {
  qint64 start = 0;
  qint64 size = 0;
};

// One file record of the ISO 9660 tree.
struct VolumeFile {
  QString name;    // the Rock Ridge name where there is one, else the ISO 9660 name
  QString isoName; // the ISO 9660 name as recorded: "STAGE.BIN;1"
  quint32 sector = 0;
  quint32 size = 0;
  quint8 flags = 0;
  quint8 unitSize = 0;         // interleaving: sectors per file unit
  quint8 interleaveGap = 0;    // interleaving: sectors between units
  quint8 attributeSectors = 0; // an extended attribute record before the data
  int folderIndex = 0;         // into VolumeTree::folders

  // True when `wanted` names this file, by its ISO 9660 name (without the ";1"
  // version and a bare trailing dot) or its Rock Ridge name, ignoring case.
  bool isNamed(const QString &wanted) const;
};

inline constexpr quint8 kAssociatedFileFlag = 0x04;
inline constexpr quint8 kMultiExtentFlag = 0x80;

struct VolumeFolder {
  ByteSpan span;   // the folder's records in the image
  QString name;    // as shown, like a file's name
  int parent = -1; // into VolumeTree::folders; -1 for the root
};

struct VolumeTree {
  QList<VolumeFile> files;
  QList<VolumeFolder> folders;
  qint64 firstDataByte = 0; // past the system area and the volume descriptors
  qint64 volumeBytes = 0;   // the size the volume says it has
  QString error;            // in Chinese, without the image's path; empty when read
  bool ok() const { return error.isEmpty(); }
  // "/GAME/STAGE.BIN;1": the names of the folders on the way and the file's.
  QString pathOf(const VolumeFile &file) const;
  // The volume descriptor and the folders from the root down to the one that
  // holds `file`.
  std::vector<ByteSpan> recordsOf(const VolumeFile &file) const;
};

// Reads the ISO 9660 tree of `image` (open for reading).
VolumeTree readVolumeTree(QFile &image);

// True when the volume recognition area names a UDF volume (NSR02 or NSR03).
bool hasUdfVolume(QFile &image);

// The UDF tree's files named `name` (ignoring case), each as the byte spans of
// the image that hold its data, in order.
struct UdfFiles {
  QList<std::vector<ByteSpan>> extents; // one list per file of that name
  QList<qint64> sizes;                  // each file's size
  std::vector<ByteSpan> records;        // every descriptor and folder read
  QString error;                        // in Chinese; empty when the tree was read
  bool ok() const { return error.isEmpty(); }
};
UdfFiles findUdfFiles(QFile &image, const QString &name);

// `text` without the characters a terminal or a message box would act on or
// hide (control characters, escapes), each shown as U+FFFD; cut to about
// `maxLength` characters with an ellipsis.
QString printableName(const QString &text, int maxLength = 40);

} // namespace korvane
