#pragma once

// What a patch does to a file, found without holding the file: the stretches
// whose bytes it changes, each with its old and new bytes. The file is read a
// block at a time, so that a disc image of several GB is patched in memory that
// grows with the bytes changed, not with the image.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <vector>

namespace korvane {

// Reads the `length` bytes from the 0-based `offset` of the file into `to`;
// false when the system refused (the reader keeps the reason).
using ReadAt = std::function<bool(qint64 offset, char *to, qint64 length)>;

// A stretch of the file a patch changes.
struct PatchedSpan {
  qint64 start; // 0-based
  QByteArray before;
  QByteArray after; // as long as `before`
  qint64 end() const { return start + before.size(); }
};

struct PatchedFile {
  std::vector<PatchedSpan> spans; // in file order, apart
  QString error;                  // why the patch does not fit; empty when it does
  bool readFailed = false;        // the error is the reader's: the file could not be read
  QString format;                 // "BPS" or "IPS", once the header told
  qint64 changedBytes() const;    // bytes whose value changes
};

// Adds the stretches where `before` and `after` (equally long, at `start`) differ,
// joining one that goes on from the last span held.
void appendChanges(std::vector<PatchedSpan> &spans, qint64 start, QByteArrayView before,
                   QByteArrayView after);

// The bytes of the patched file at [offset, offset + length): the file's, with
// `spans` laid over them. False when the read failed.
bool readPatched(const std::vector<PatchedSpan> &spans, const ReadAt &read, qint64 offset, char *to,
                 qint64 length);

// `spans` widened by `margin` bytes on either side (within the file's `size`)
// and merged where they then meet, the bytes around them read through `read`:
// so that every field a change touches lies whole in one span. Empty when a read
// failed.
std::vector<PatchedSpan> withMargins(const std::vector<PatchedSpan> &spans, qint64 margin,
                                     qint64 size, const ReadAt &read);

// The spans of a BPS or IPS patch, told by its header, applied to the file of
// `size` bytes `read` reads; `shownName` names the file in messages.
PatchedFile patchedFile(QByteArrayView patch, qint64 size, const ReadAt &read,
                        const QString &shownName);

} // namespace korvane
