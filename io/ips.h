#pragma once

// IPS patches: "PATCH", then records of a 3-byte big-endian offset, a 2-byte
// big-endian size and that many bytes (size 0: a 2-byte run length and the one
// byte repeated), then "EOF".

#include "io/patched_file.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <vector>

namespace korvane {

inline constexpr qint64 kIpsLargestOffset = 0xFFFFFF;
// A record may not start here: its offset bytes would read as "EOF".
inline constexpr qint64 kIpsEofOffset = 0x454F46;

struct IpsRecord {
  qint64 offset;
  QByteArray bytes; // what the record writes, a run already spread out
  bool run = false; // stored as a run of one byte
};

struct IpsPatch {
  std::vector<IpsRecord> records;
  QString error; // the patch could not be made or read
};

// The records that turn `original` into `modified`, two versions of one file of
// the same length. Refused when a change lies beyond what an offset can address.
IpsPatch diffToIps(QByteArrayView original, QByteArrayView modified);

// Why a change at `offset`, past what an IPS offset can address, makes no IPS patch.
QString ipsOutOfReach(qint64 offset);

QByteArray encodeIps(const std::vector<IpsRecord> &records);
// Reads a patch. Given the size of the file it is for, a record that would write
// past its end is refused as it is read, and so is a patch whose records would
// spell out far more bytes than the file has: no patch makes the reader ask for
// more memory than a few times the file's size.
IpsPatch decodeIps(QByteArrayView bytes, qint64 fileSize = -1);

// The spans the records of `patch` change in the file of `size` bytes `read`
// reads, later records over earlier ones; refused when a record reaches past the
// end of the file, which `shownName` names. Only the bytes the records cover are
// read.
PatchedFile applyIpsStreamed(QByteArrayView patch, qint64 size, const ReadAt &read,
                             const QString &shownName);

} // namespace korvane
