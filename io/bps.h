#pragma once

// BPS patches: "BPS1", the source, target and metadata sizes as variable-length
// numbers, the metadata, then actions that build the target front to back, then
// the CRC32 of the source, of the target and of every patch byte before it.

#include "io/patched_file.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>

namespace korvane {

inline constexpr char kBpsMagic[] = "BPS1";

// The CRC32 of `bytes`; given the CRC32 of the bytes before them, that of the
// whole, so that a file is checked a block at a time.
quint32 crc32Of(QByteArrayView bytes, quint32 crc = 0);

// Appends `value` as BPS writes its sizes, actions and offsets: seven bits a byte,
// lowest first, the last byte marked by its top bit, and each further byte
// counting one more than its bits say, so that every number has one spelling.
void appendBpsNumber(QByteArray &out, quint64 value);

// The patch that turns `source` into `target`: unchanged stretches are read from
// the source, changed ones carried in the patch.
QByteArray encodeBps(QByteArrayView source, QByteArrayView target);

struct BpsApplied {
  QByteArray target;
  QString error; // why the patch was refused; empty when it applies
};

// Builds the target of `patch` from `source`, checking first the patch's own
// CRC32, then that `source` is the file it was made for (its size and CRC32),
// every length and offset while building, and last the target's CRC32. A target
// of another size than the source is refused: the game files never change size.
BpsApplied applyBps(QByteArrayView patch, QByteArrayView source);

// applyBps on a file of `size` bytes read through `read`, a block at a time: the
// actions run front to back against the file as it is, and only the stretches
// whose bytes change are held, each with its old bytes. The same checks, in the
// same order, with the same messages; nothing is written.
PatchedFile applyBpsStreamed(QByteArrayView patch, qint64 size, const ReadAt &read);

// Writes the patch of two equally long files a block at a time: compare() takes
// the next blocks of both, of equal length, and the patch goes out to `write` in
// pieces as it is made, ending with its CRC32s in finish(). A changed stretch too
// long to hold goes out as several actions.
class BpsWriter {
public:
  using Write = std::function<bool(QByteArrayView)>;
  BpsWriter(qint64 size, Write write);
  void compare(QByteArrayView source, QByteArrayView target);
  bool finish(); // false when `write` refused a piece
  bool failed() const { return failed_; }

private:
  void openStretch(qint64 at);
  void putStretch(qint64 length);
  void closeStretch();
  void flush();

  qint64 size_;
  Write write_;
  QByteArray out_;       // made but not yet written
  quint32 patchCrc_ = 0; // of what went to `write_`
  quint32 sourceCrc_ = 0;
  quint32 targetCrc_ = 0;
  qint64 at_ = 0;       // bytes compared
  qint64 readFrom_ = 0; // the first byte not yet in an action
  bool open_ = false;   // a changed stretch is being gathered
  QByteArray stretch_;  // its target bytes, with `gap_` unchanged ones last
  qint64 gap_ = 0;
  bool failed_ = false;
};

} // namespace korvane
