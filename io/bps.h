#pragma once

// BPS patches: "BPS1", the source, target and metadata sizes as variable-length
// numbers, the metadata, then actions that build the target front to back, then
// the CRC32 of the source, of the target and of every patch byte before it.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace korvane {

inline constexpr char kBpsMagic[] = "BPS1";

quint32 crc32Of(QByteArrayView bytes);

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

} // namespace korvane
