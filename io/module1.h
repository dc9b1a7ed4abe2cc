#pragma once

// Positioned access to the game files: the one place that reads or writes them.
//
// Every user action that touches a game file is one `Module1::Operation`: it opens
// the file for reading and writing (never creating or truncating it), the accessors
// walk the record at the shared 1-based `FilePos`, and the file is closed when the
// operation ends, on every path out of the handler.
//
// Writes are held by the operation and reach the disk only in `close()`, all of them
// or none: a write past the end of the file, or text that is no number for its
// writer, marks the operation failed and nothing at all is written.

#include "io/change_history.h"
#include "io/disc_image.h"
#include "io/held_bytes.h"
#include "io/regular_file.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QStringView>
#include <memory>
#include <vector>

namespace Module1 {

// One program-wide position, 1-based: FilePos 1 addresses the file's first byte.
// FilePos and the positioned accessors below (ReadByte ... WriteDwordHex) are the
// file access the game's tables are defined by; the editors and tools read and
// write whole spans (readBytes, writeBytes) instead. What still uses them: the
// tests of this access (tests/io), which pin the accessors' behaviour, and the
// file-access benchmark, which measures a record walked field by field against a
// raw read. Spans keep FilePos where the accessors would leave it.
inline qint32 FilePos = 0;

// Hex text of any length to its value, digit by digit; a character that is no hex
// digit counts as 0 but keeps its place ("G1" is 1). The empty text is 0.
qint64 ParseHex(QStringView text);

// The file-order hex text of `width` little-endian bytes holding `value`
// (0x1234 as a word is "3412").
QString FileOrderHex(quint32 value, int width);

// True when `text` is one or more hex digits and nothing else.
bool IsHexDigits(QStringView text);

using korvane::FileContents;

// Reads the game file `file` without opening it for writing, so that a read-only
// file can be read. Refuses anything that is no regular file (or link to one),
// and any file longer than `maxSize` bytes, before reading more than that.
FileContents readWholeFile(const korvane::GameFileRef &file, qint64 maxSize);

class Operation {
public:
  // Opens `file` for reading and writing; anything but a regular file (or a link
  // to one) is refused. The file (or the image) is locked against the program's
  // other writers until the operation ends, and a rollback journal left by a
  // commit cut short is played back first (see io/rollback_journal.h). On failure
  // `ok()` is false and `error()` names the file and the system's reason. An entry
  // of a disc image opens the image and finds the entry afresh: offsets, `size()`
  // and every check then count within the entry, and no byte outside it is read by
  // the accessors or ever written.
  explicit Operation(const korvane::GameFileRef &file);
  ~Operation(); // closes the file; writes not yet committed by close() are dropped

  Operation(const Operation &) = delete;
  Operation &operator=(const Operation &) = delete;

  bool ok() const { return error_.isEmpty(); }
  const QString &error() const { return error_; }
  const korvane::GameFileRef &file() const { return ref_; }
  // Which game file the path was when the operation opened it.
  std::optional<korvane::GameFile> gameFile() const { return gameFile_; }
  qint64 size() const { return size_; }

  // Refuses the operation unless the `length` bytes from the 0-based `offset` lie
  // inside the file; `what` names the data in the message.
  bool requireSpan(qint64 offset, qint64 length, const QString &what);

  // The `length` bytes from the 0-based `offset` as a commit would leave them
  // (bytes held for writing included). A span outside the file fails the
  // operation (like requireSpan) and gives an empty array. FilePos ends just
  // after the span, as if the span had been read with the accessors.
  QByteArray readBytes(qint64 offset, qint64 length);
  // readBytes into `to`, for reading a large file a block at a time; false when
  // it failed the operation.
  bool readInto(qint64 offset, char *to, qint64 length);
  // Holds `bytes` for writing at the 0-based `offset`, committed by close() with
  // every other held write, all or none. FilePos ends just after them.
  void writeBytes(qint64 offset, QByteArrayView bytes);

  quint8 ReadByte();
  quint16 ReadWord();
  qint32 ReadDword();
  QString ReadByteHex();
  QString ReadWordHex();
  QString ReadDwordHex();

  void WriteByte(int value); // 0..255
  void WriteWord(int value); // 0..65535
  void WriteDword(qint32 value);
  void WriteByteHex(QStringView text);  // one hex number, 0..FF
  void WriteWordHex(QStringView text);  // file order, two-digit groups
  void WriteDwordHex(QStringView text); // file order, two-digit groups

  // Writes every held byte, flushes and closes. A commit that writes in more than
  // one place keeps a rollback journal while it writes. False (with `error()`) when the
  // operation failed before or the system refused the write; a refused operation
  // writes nothing.
  bool close();
  // After a successful close: every stretch the commit changed, with its old and
  // new bytes, for the change history (io/edit.h records them).
  korvane::ChangeSpans takeCommitted() { return std::move(committed_); }

private:
  quint8 byteAt(qint64 offset);
  void put(quint32 value, int width);
  bool writable(qint64 offset, qint64 width);
  [[gnu::cold, gnu::noinline]] void failOutside(qint64 offset, qint64 width);
  void writeGroups(QStringView text, int width);
  void fail(const QString &message);
  bool flushPending();
  void restoreRuns(const std::vector<std::pair<qint64, qint64>> &runs,
                   const std::vector<QByteArray> &old, size_t count);
  void keepChanges(const std::vector<std::pair<qint64, qint64>> &written, qint64 begin,
                   const QByteArray &old, const QByteArray &now);
  void dropHeld();

  bool placementHolds();

  korvane::GameFileRef ref_;
  std::optional<korvane::GameFile> gameFile_;
  // Held from the open to the close: no other writer of this program touches
  // the file (or the image) meanwhile.
  std::unique_ptr<korvane::FileLock> lock_;
  // Why a commit wrote nothing, when it was not the file's own error.
  QString commitReason_;
  QString error_;
  QFile file_;
  qint64 base_ = 0;           // where the game file starts in file_: an image entry's start, else 0
  bool checksumTags_ = false; // the image carries MD5 records an edit outdates
  qint64 size_ = 0;
  // A read-through window of the file, so that walking a record field by field
  // costs one system read.
  QByteArray window_;
  qint64 windowStart_ = -1;
  // The bytes held for writing.
  korvane::HeldBytes held_;
  // What the commit changes, for the change history.
  korvane::ChangeSpans changes_;
  korvane::ChangeSpans committed_;
  // A failed commit left the file as it was: it wrote nothing, or put back every
  // byte it had written.
  bool restored_ = false;
};

} // namespace Module1
