#include "io/bps.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <zlib.h>

namespace korvane {

namespace {

enum Action { SourceRead = 0, TargetRead = 1, SourceCopy = 2, TargetCopy = 3 };

constexpr qsizetype kFooterSize = 12; // three CRC32s
// A number of more bytes than this cannot be a size inside any game file.
constexpr int kLongestNumber = 8;
// Unchanged bytes between two changes are carried in the patch when that costs
// no more than ending one action and starting another.
constexpr qsizetype kCarriedGap = 2;
// Unchanged stretches are passed over a block at a time.
constexpr qsizetype kCompareBlock = 256;

void putNumber(QByteArray &out, quint64 value) {
  while (true) {
    const quint8 low = value & 0x7F;
    value >>= 7;
    if (value == 0) {
      out.append(char(0x80 | low));
      return;
    }
    out.append(char(low));
    --value;
  }
}

void putAction(QByteArray &out, Action action, qsizetype length) {
  putNumber(out, (quint64(length - 1) << 2) | action);
}

void putCrc(QByteArray &out, quint32 crc) {
  for (int i = 0; i < 4; ++i)
    out.append(char(quint8(crc >> (8 * i))));
}

quint32 crcAt(QByteArrayView bytes, qsizetype at) {
  quint32 value = 0;
  for (int i = 0; i < 4; ++i)
    value |= quint32(quint8(bytes[at + i])) << (8 * i);
  return value;
}

QString crcText(quint32 crc) {
  return QStringLiteral("%1").arg(crc, 8, 16, QLatin1Char('0')).toUpper();
}

bool sameAt(QByteArrayView source, QByteArrayView target, qsizetype at) {
  return at < source.size() && source[at] == target[at];
}

// The first byte from `at` on where the target leaves the source.
qsizetype firstChange(QByteArrayView source, QByteArrayView target, qsizetype at) {
  const qsizetype common = std::min(source.size(), target.size());
  while (at + kCompareBlock <= common &&
         std::memcmp(source.data() + at, target.data() + at, kCompareBlock) == 0)
    at += kCompareBlock;
  while (at < common && source[at] == target[at])
    ++at;
  return at;
}

// The end of the changed stretch from `at`, going on over short unchanged gaps.
qsizetype changeEnd(QByteArrayView source, QByteArrayView target, qsizetype at) {
  qsizetype end = at;
  while (at < target.size()) {
    if (!sameAt(source, target, at)) {
      end = ++at;
      continue;
    }
    qsizetype gap = at;
    while (gap < target.size() && gap - at <= kCarriedGap && sameAt(source, target, gap))
      ++gap;
    if (gap >= target.size() || gap - at > kCarriedGap)
      break;
    at = gap;
  }
  return end;
}

// Reads a patch front to back; every read is checked against the end of the actions.
class PatchReader {
public:
  PatchReader(QByteArrayView patch, qsizetype end) : patch_(patch), end_(end) {}

  std::optional<quint64> number() {
    quint64 value = 0;
    quint64 shift = 1;
    for (int i = 0; i < kLongestNumber && pos_ < end_; ++i) {
      const quint8 byte = quint8(patch_[pos_++]);
      value += (byte & 0x7F) * shift;
      if (byte & 0x80)
        return value;
      shift <<= 7;
      value += shift;
    }
    return std::nullopt;
  }
  // A relative offset: its lowest bit is the sign.
  std::optional<qint64> signedNumber() {
    const std::optional<quint64> value = number();
    if (!value)
      return std::nullopt;
    const qint64 magnitude = qint64(*value >> 1);
    return (*value & 1) ? -magnitude : magnitude;
  }
  QByteArrayView take(qsizetype length) {
    if (length > end_ - pos_)
      return {};
    const QByteArrayView bytes = patch_.sliced(pos_, length);
    pos_ += length;
    return bytes;
  }
  bool atEnd() const { return pos_ == end_; }

private:
  QByteArrayView patch_;
  qsizetype pos_ = 4; // after "BPS1"
  qsizetype end_;
};

QString invalid(const QString &reason) { return QStringLiteral("补丁文件无效：%1").arg(reason); }

// Runs the actions into `target`, already as long as the patch says; empty when
// every action fitted and they filled the target exactly.
QString runActions(PatchReader &reader, QByteArrayView source, QByteArray &target) {
  const qint64 size = target.size();
  char *out = target.data();
  qint64 written = 0;
  qint64 sourceAt = 0;
  qint64 targetAt = 0;
  while (written < size) {
    const std::optional<quint64> action = reader.number();
    if (!action)
      return invalid(QStringLiteral("在生成 %1 字节后补丁就结束了，文件可能不完整。").arg(written));
    const quint64 length = (*action >> 2) + 1;
    if (length > quint64(size - written))
      return invalid(
          QStringLiteral("有一步要生成 %1 字节，超出了补丁所说的文件长度。").arg(length));
    const qint64 count = qint64(length);
    switch (Action(*action & 3)) {
    case SourceRead:
      if (written + count > source.size())
        return invalid(QStringLiteral("有一步要读原文件末尾之外的字节。"));
      std::memcpy(out + written, source.data() + written, size_t(count));
      break;
    case TargetRead: {
      const QByteArrayView bytes = reader.take(count);
      if (bytes.isNull())
        return invalid(QStringLiteral("有一步要带入的字节超出了补丁文件。"));
      std::memcpy(out + written, bytes.data(), size_t(count));
      break;
    }
    case SourceCopy: {
      const std::optional<qint64> move = reader.signedNumber();
      if (!move || sourceAt + *move < 0 || sourceAt + *move > source.size() - count)
        return invalid(QStringLiteral("有一步要复制原文件范围之外的字节。"));
      sourceAt += *move;
      std::memcpy(out + written, source.data() + sourceAt, size_t(count));
      sourceAt += count;
      break;
    }
    case TargetCopy: {
      const std::optional<qint64> move = reader.signedNumber();
      if (!move || targetAt + *move < 0 || targetAt + *move >= written)
        return invalid(QStringLiteral("有一步要复制尚未生成的字节。"));
      targetAt += *move;
      // The copy may overlap what it writes: byte by byte, front to back.
      for (qint64 i = 0; i < count; ++i)
        out[written + i] = out[targetAt++];
      break;
    }
    }
    written += count;
  }
  if (!reader.atEnd())
    return invalid(QStringLiteral("文件已经生成完，补丁中还有多余的数据。"));
  return {};
}

} // namespace

quint32 crc32Of(QByteArrayView bytes) {
  uLong crc = crc32(0L, Z_NULL, 0);
  const auto *data = reinterpret_cast<const Bytef *>(bytes.data());
  for (qsizetype left = bytes.size(); left > 0;) {
    const uInt chunk = uInt(std::min<qsizetype>(left, 1 << 30));
    crc = crc32(crc, data, chunk);
    data += chunk;
    left -= chunk;
  }
  return quint32(crc);
}

QByteArray encodeBps(QByteArrayView source, QByteArrayView target) {
  QByteArray out(kBpsMagic);
  putNumber(out, quint64(source.size()));
  putNumber(out, quint64(target.size()));
  putNumber(out, 0); // no metadata
  qsizetype at = 0;
  while (at < target.size()) {
    const qsizetype change = firstChange(source, target, at);
    if (change > at) {
      putAction(out, SourceRead, change - at);
      at = change;
      continue;
    }
    const qsizetype end = changeEnd(source, target, at);
    putAction(out, TargetRead, end - at);
    out.append(target.sliced(at, end - at));
    at = end;
  }
  putCrc(out, crc32Of(source));
  putCrc(out, crc32Of(target));
  putCrc(out, crc32Of(out));
  return out;
}

BpsApplied applyBps(QByteArrayView patch, QByteArrayView source) {
  BpsApplied applied;
  if (!patch.startsWith(QByteArrayView(kBpsMagic)))
    return {{}, invalid(QStringLiteral("开头不是“BPS1”，不是 BPS 补丁。"))};
  if (patch.size() < qsizetype(sizeof kBpsMagic) - 1 + 3 + kFooterSize)
    return {{}, invalid(QStringLiteral("只有 %1 字节，不完整。").arg(patch.size()))};
  const qsizetype footer = patch.size() - kFooterSize;
  const quint32 patchCrc = crc32Of(patch.first(patch.size() - 4));
  if (patchCrc != crcAt(patch, footer + 8))
    return {{},
            QStringLiteral("补丁文件已损坏：它本身的 CRC32 是 %1，补丁中记的是 %2。"
                           "文件可能没有下载完整或被改动过。")
                .arg(crcText(patchCrc), crcText(crcAt(patch, footer + 8)))};

  PatchReader reader(patch, footer);
  const std::optional<quint64> sourceSize = reader.number();
  const std::optional<quint64> targetSize = reader.number();
  const std::optional<quint64> metadataSize = reader.number();
  if (!sourceSize || !targetSize || !metadataSize ||
      reader.take(qsizetype(std::min<quint64>(*metadataSize, quint64(footer)))).isNull())
    return {{}, invalid(QStringLiteral("开头的长度信息不完整。"))};
  if (*sourceSize != quint64(source.size()))
    return {{},
            QStringLiteral("这个补丁不是为这个文件做的：文件长 %1 字节，补丁要求 %2 字节。")
                .arg(source.size())
                .arg(*sourceSize)};
  const quint32 sourceCrc = crc32Of(source);
  const quint32 targetCrc = crcAt(patch, footer + 4);
  if (sourceCrc != crcAt(patch, footer)) {
    const QString already =
        sourceCrc == targetCrc
            ? QStringLiteral("文件的 CRC32 正是补丁的结果：这个补丁已经应用过了。")
            : QStringLiteral("可能是另一个版本的游戏文件，或者已经改动过。");
    return {{},
            QStringLiteral("这个补丁不是为这个文件做的：文件的 CRC32 是 %1，补丁要求 %2。\n%3")
                .arg(crcText(sourceCrc), crcText(crcAt(patch, footer)), already)};
  }
  if (*targetSize != *sourceSize)
    return {{},
            QStringLiteral("这个补丁会把文件长度从 %1 字节改成 %2 字节；游戏文件的长度不会改变，"
                           "拒绝应用。")
                .arg(*sourceSize)
                .arg(*targetSize)};

  applied.target = QByteArray(source.size(), Qt::Uninitialized);
  if (QString error = runActions(reader, source, applied.target); !error.isEmpty())
    return {{}, error};
  if (const quint32 built = crc32Of(applied.target); built != targetCrc)
    return {{},
            QStringLiteral("补丁生成的文件 CRC32 是 %1，补丁要求 %2：补丁有误，拒绝应用。")
                .arg(crcText(built), crcText(targetCrc))};
  return applied;
}

} // namespace korvane
