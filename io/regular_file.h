#pragma once

// Opening and reading the files a user names: a game file, a patch, a CSV table or
// a name list is always a regular file. A FIFO or a device named by mistake is
// refused before any read could block on it or never end, and no file is read
// past what its kind can hold.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <functional>
#include <optional>

#include <chrono>

namespace korvane {

// Opens `file` (its name set) in `mode` when it is a regular file or a link to
// one; never creates a file. The check is made on the opened descriptor, opened
// without waiting, so that a FIFO cannot hold the open up either. Returns the
// reason, in Chinese, when the file was not opened; empty when it was.
QString openRegularFile(QFile &file, QIODevice::OpenMode mode);

// What tells one file on disk from every other, whatever path names it: the
// device and inode on POSIX systems, the volume serial number and file index on
// Windows, so that a hard link is the file it links to.
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

// The same for a file written in pieces: `write` is given the new file and returns
// the reason it could not write all of it, empty when it did.
QString replaceFile(const QString &path, const std::function<QString(QFile &)> &write);

// An exclusive advisory lock on a game file or disc image, held by every writer
// of this program (the editor and korvane-tool) from the check that precedes a
// write to its commit, so that two writers never interleave. Within one thread
// a lock already held is shared: an operation inside a command that holds the
// lock takes it again at no cost. Another process or thread holding it is
// waited for up to `wait`; then the lock is refused, naming the holder. A file
// that cannot be opened is not locked (and not refused): opening it to write
// fails with the system's reason.
class FileLock {
public:
  static constexpr std::chrono::milliseconds kWait{2000};

  explicit FileLock(const QString &path, std::chrono::milliseconds wait = kWait);
  ~FileLock();
  FileLock(const FileLock &) = delete;
  FileLock &operator=(const FileLock &) = delete;

  bool ok() const { return error_.isEmpty(); }
  // In Chinese, naming the file and who holds it; empty when the lock is held.
  const QString &error() const { return error_; }

private:
  QString key_; // the file's identity while held
  QString error_;
};

} // namespace korvane
