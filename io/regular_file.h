#pragma once

// Opening and reading the files a user names: a game file, a patch, a CSV table or
// a name list is always a regular file. A FIFO or a device named by mistake is
// refused before any read could block on it or never end, and no file is read
// past what its kind can hold.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <optional>

namespace korvane {

// Opens `file` (its name set) in `mode` when it is a regular file or a link to
// one; never creates a file. The check is made on the opened descriptor, opened
// without waiting, so that a FIFO cannot hold the open up either. Returns the
// reason, in Chinese, when the file was not opened; empty when it was.
QString openRegularFile(QFile &file, QIODevice::OpenMode mode);

// What tells one file on disk from every other, whatever path names it: on POSIX
// systems the device and the inode, so that a hard link is the file it links to.
struct FileIdentity {
  quint64 volume = 0;
  quint64 file = 0;
  friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
};

// The identity of the file `path` names (links followed); none when it cannot be
// found.
std::optional<FileIdentity> fileIdentity(const QString &path);

// A whole file, read for commands that only look at it.
struct FileContents {
  QByteArray bytes;
  QString error;  // names the path and the reason; empty when read
  QString reason; // the reason alone, for messages that name the path themselves
  bool ok() const { return error.isEmpty(); }
};

// Reads the regular file `path` whole, refusing one longer than `maxSize` bytes
// before reading more than that; `kind` names what it should be ("游戏文件").
FileContents readRegularFile(const QString &path, qint64 maxSize, const QString &kind);

// Writes `bytes` to `path` whole or not at all: through a new file beside it that
// is renamed over it, so that a failed write leaves the old file as it was. The
// new file gets the old one's permissions, or those of any new file. Unlike
// QSaveFile it does not wait for the disk to confirm the data (a patch is written
// in a few milliseconds instead of tens). Returns the reason, in Chinese, when
// nothing was written; empty when all was.
QString replaceFile(const QString &path, QByteArrayView bytes);

} // namespace korvane
