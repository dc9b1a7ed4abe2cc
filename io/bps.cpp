#include "io/bps.h"

#include "io/byte_diff.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <zlib.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace korvane {

namespace {

enum Action { SourceRead = 0, TargetRead = 1, SourceCopy = 2, TargetCopy = 3 };

constexpr qsizetype kFooterSize = 12; // three CRC32s
// A number of more bytes than this cannot be a size inside any game file.
constexpr int kLongestNumber = 8;
// Unchanged bytes between two changes are carried in the patch when that costs
// no more than ending one action and starting another.
constexpr qsizetype kCarriedGap = 2;
// Files are read, and patches written, in blocks of this size.
constexpr qint64 kStreamBlock = 1 << 20;
// A changed stretch longer than this goes out as several actions.
constexpr qsizetype kLongestStretch = 4 << 20;

void putAction(QByteArray &out, Action action, qsizetype length) {
  appendBpsNumber(out, (quint64(length - 1) << 2) | action);
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

// The actions' lengths and offsets checked against the file sizes, the bytes
// built by `Target`: into a buffer, or streamed against the file. Empty when every
// action fitted and they filled the target exactly.
template <class Target> QString runActions(PatchReader &reader, qint64 sourceSize, Target &target) {
  const qint64 size = target.size();
  qint64 sourceAt = 0;
  qint64 targetAt = 0;
  while (target.written() < size) {
    const qint64 written = target.written();
    const std::optional<quint64> action = reader.number();
    if (!action)
      return invalid(QStringLiteral("在生成 %1 字节后补丁就结束了，文件可能不完整。").arg(written));
    const quint64 length = (*action >> 2) + 1;
    if (length > quint64(size - written))
      return invalid(
          QStringLiteral("有一步要生成 %1 字节，超出了补丁所说的文件长度。").arg(length));
    const qint64 count = qint64(length);
    bool read = true;
    switch (Action(*action & 3)) {
    case SourceRead:
      if (written + count > sourceSize)
        return invalid(QStringLiteral("有一步要读原文件末尾之外的字节。"));
      read = target.sourceRead(count);
      break;
    case TargetRead: {
      const QByteArrayView bytes = reader.take(count);
      if (bytes.isNull())
        return invalid(QStringLiteral("有一步要带入的字节超出了补丁文件。"));
      read = target.targetRead(bytes);
      break;
    }
    case SourceCopy: {
      const std::optional<qint64> move = reader.signedNumber();
      if (!move || sourceAt + *move < 0 || sourceAt + *move > sourceSize - count)
        return invalid(QStringLiteral("有一步要复制原文件范围之外的字节。"));
      sourceAt += *move;
      read = target.sourceCopy(sourceAt, count);
      sourceAt += count;
      break;
    }
    case TargetCopy: {
      const std::optional<qint64> move = reader.signedNumber();
      if (!move || targetAt + *move < 0 || targetAt + *move >= written)
        return invalid(QStringLiteral("有一步要复制尚未生成的字节。"));
      targetAt += *move;
      read = target.targetCopy(targetAt, count);
      targetAt += count;
      break;
    }
    }
    if (!read)
      return QStringLiteral("读取文件失败。");
  }
  if (!reader.atEnd())
    return invalid(QStringLiteral("文件已经生成完，补丁中还有多余的数据。"));
  return {};
}

// Builds the target in a buffer as long as the source.
class BufferTarget {
public:
  BufferTarget(QByteArrayView source, QByteArray &target)
      : source_(source.data()), out_(target.data()), size_(target.size()) {}
  qint64 size() const { return size_; }
  qint64 written() const { return written_; }
  bool sourceRead(qint64 count) { return sourceCopy(written_, count); }
  bool targetRead(QByteArrayView bytes) {
    std::memcpy(out_ + written_, bytes.data(), size_t(bytes.size()));
    written_ += bytes.size();
    return true;
  }
  bool sourceCopy(qint64 from, qint64 count) {
    std::memcpy(out_ + written_, source_ + from, size_t(count));
    written_ += count;
    return true;
  }
  // The copy may overlap what it writes: byte by byte, front to back.
  bool targetCopy(qint64 from, qint64 count) {
    for (qint64 i = 0; i < count; ++i)
      out_[written_++] = out_[from++];
    return true;
  }

private:
  const char *source_;
  char *out_;
  qint64 size_;
  qint64 written_ = 0;
};

// Builds the target against the file it replaces without holding either: the
// file is read front to back a block at a time beside the target, both CRC32s
// are taken on the way, and only the target's stretches that differ from the
// file are kept, with the file's bytes there. Source bytes come from the file,
// which nothing has written yet; target bytes from the file under those spans.
class StreamedTarget {
public:
  StreamedTarget(qint64 size, const ReadAt &read, std::vector<PatchedSpan> &spans)
      : size_(size), read_(read), spans_(spans) {}
  qint64 size() const { return size_; }
  qint64 written() const { return written_; }
  quint32 sourceCrc() const { return sourceCrc_; }
  quint32 targetCrc() const { return targetCrc_; }

  bool sourceRead(qint64 count) {
    while (count > 0) {
      if (!reachWritten())
        return false;
      const qint64 length = std::min(count, blockEnd() - written_);
      targetCrc_ = crc32Of(blockAt(written_, length), targetCrc_);
      written_ += length;
      count -= length;
    }
    return true;
  }
  bool targetRead(QByteArrayView bytes) {
    while (!bytes.isEmpty()) {
      if (!reachWritten())
        return false;
      const qint64 length = std::min(bytes.size(), blockEnd() - written_);
      const QByteArrayView piece = bytes.first(length);
      appendChanges(spans_, written_, blockAt(written_, length), piece);
      targetCrc_ = crc32Of(piece, targetCrc_);
      written_ += length;
      bytes = bytes.sliced(length);
    }
    return true;
  }
  bool sourceCopy(qint64 from, qint64 count) {
    for (qint64 done = 0; done < count;) {
      const qint64 length = std::min(count - done, kStreamBlock);
      scratch_.resize(length);
      if (!readFile(from + done, scratch_.data(), length) || !targetRead(scratch_))
        return false;
      done += length;
    }
    return true;
  }
  // A copy that overlaps what it writes repeats the `written - from` bytes
  // before it: those are read once and repeated a block at a time.
  bool targetCopy(qint64 from, qint64 count) {
    while (count > 0) {
      const qint64 distance = written_ - from;
      if (count > distance && distance < kStreamBlock) {
        QByteArray pattern(distance, Qt::Uninitialized);
        if (!readTarget(from, pattern.data(), distance))
          return false;
        const QByteArray repeated = pattern.repeated(std::max<qint64>(1, kStreamBlock / distance));
        while (count > 0) {
          const qint64 length = std::min(count, repeated.size());
          if (!targetRead(QByteArrayView(repeated).first(length)))
            return false;
          count -= length;
        }
        return true;
      }
      const qint64 length = std::min({count, distance, kStreamBlock});
      scratch_.resize(length);
      if (!readTarget(from, scratch_.data(), length) || !targetRead(scratch_))
        return false;
      from += length;
      count -= length;
    }
    return true;
  }
  // Reads what the actions left unread, for the source's CRC32.
  bool readRest() {
    while (blockEnd() < size_)
      if (!nextBlock())
        return false;
    return !failed_;
  }

private:
  qint64 blockEnd() const { return blockStart_ + block_.size(); }
  QByteArrayView blockAt(qint64 at, qint64 length) const {
    return QByteArrayView(block_).sliced(at - blockStart_, length);
  }
  bool nextBlock() {
    blockStart_ = blockEnd();
    block_.resize(std::min(kStreamBlock, size_ - blockStart_));
    if (!readFile(blockStart_, block_.data(), block_.size()))
      return false;
    sourceCrc_ = crc32Of(block_, sourceCrc_);
    return true;
  }
  bool readFile(qint64 offset, char *to, qint64 length) {
    failed_ = failed_ || !read_(offset, to, length);
    return !failed_;
  }
  bool readTarget(qint64 offset, char *to, qint64 length) {
    failed_ = failed_ || !readPatched(spans_, read_, offset, to, length);
    return !failed_;
  }
  // Makes the block hold the byte at `written_`.
  bool reachWritten() { return failed_ ? false : written_ < blockEnd() || nextBlock(); }

  qint64 size_;
  const ReadAt &read_;
  std::vector<PatchedSpan> &spans_;
  QByteArray block_; // the file's bytes from blockStart_
  qint64 blockStart_ = 0;
  QByteArray scratch_;
  qint64 written_ = 0;
  quint32 sourceCrc_ = 0;
  quint32 targetCrc_ = 0;
  bool failed_ = false;
};

struct BpsHeader {
  quint64 sourceSize = 0;
  quint64 targetSize = 0;
  quint32 sourceCrc = 0;
  quint32 targetCrc = 0;
};

// Checks the magic and the patch's own CRC32 and reads the sizes; `reader` is
// left at the first action.
QString openPatch(QByteArrayView patch, std::optional<PatchReader> &reader, BpsHeader &header) {
  if (!patch.startsWith(QByteArrayView(kBpsMagic)))
    return invalid(QStringLiteral("开头不是“BPS1”，不是 BPS 补丁。"));
  if (patch.size() < qsizetype(sizeof kBpsMagic) - 1 + 3 + kFooterSize)
    return invalid(QStringLiteral("只有 %1 字节，不完整。").arg(patch.size()));
  const qsizetype footer = patch.size() - kFooterSize;
  const quint32 patchCrc = crc32Of(patch.first(patch.size() - 4));
  if (patchCrc != crcAt(patch, footer + 8))
    return QStringLiteral("补丁文件已损坏：它本身的 CRC32 是 %1，补丁中记的是 %2。"
                          "文件可能没有下载完整或被改动过。")
        .arg(crcText(patchCrc), crcText(crcAt(patch, footer + 8)));
  reader.emplace(patch, footer);
  const std::optional<quint64> sourceSize = reader->number();
  const std::optional<quint64> targetSize = reader->number();
  const std::optional<quint64> metadataSize = reader->number();
  if (!sourceSize || !targetSize || !metadataSize ||
      reader->take(qsizetype(std::min<quint64>(*metadataSize, quint64(footer)))).isNull())
    return invalid(QStringLiteral("开头的长度信息不完整。"));
  header = {*sourceSize, *targetSize, crcAt(patch, footer), crcAt(patch, footer + 4)};
  return {};
}

QString wrongSourceSize(qint64 size, const BpsHeader &header) {
  return QStringLiteral("这个补丁不是为这个文件做的：文件长 %1 字节，补丁要求 %2 字节。")
      .arg(size)
      .arg(header.sourceSize);
}

QString wrongSourceCrc(quint32 sourceCrc, const BpsHeader &header) {
  const QString already =
      sourceCrc == header.targetCrc
          ? QStringLiteral("文件的 CRC32 正是补丁的结果：这个补丁已经应用过了。")
          : QStringLiteral("可能是另一个版本的游戏文件，或者已经改动过。");
  return QStringLiteral("这个补丁不是为这个文件做的：文件的 CRC32 是 %1，补丁要求 %2。\n%3")
      .arg(crcText(sourceCrc), crcText(header.sourceCrc), already);
}

QString sizeChanged(const BpsHeader &header) {
  return QStringLiteral("这个补丁会把文件长度从 %1 字节改成 %2 字节；游戏文件的长度不会改变，"
                        "拒绝应用。")
      .arg(header.sourceSize)
      .arg(header.targetSize);
}

QString wrongTargetCrc(quint32 built, const BpsHeader &header) {
  return QStringLiteral("补丁生成的文件 CRC32 是 %1，补丁要求 %2：补丁有误，拒绝应用。")
      .arg(crcText(built), crcText(header.targetCrc));
}

QString runStreamedActions(PatchReader &reader, StreamedTarget &target) {
  return runActions(reader, target.size(), target);
}

// zlib's CRC32 of `length` bytes from `data` on from `crc`.
quint32 zlibCrc(quint32 crc, const uchar *data, qsizetype length) {
  for (qsizetype left = length; left > 0;) {
    const uInt chunk = uInt(std::min<qsizetype>(left, 1 << 30));
    crc = quint32(crc32(crc, data, chunk));
    data += chunk;
    left -= chunk;
  }
  return crc;
}

#if defined(__x86_64__)
// Carry-less multiplication folds 64 bytes per step, several times faster than
// zlib's tables: a patch checks every byte of two game files. The constants are
// x^(k) mod P for the reflected polynomial 0xEDB88320 at the folding distances
// (512 +- 32, 128 +- 32 and 64 bits), then P and its Barrett quotient.
#define KORVANE_FOLDING __attribute__((target("pclmul,sse4.1")))

KORVANE_FOLDING __m128i load(const uchar *at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
}

// Moves a 128-bit lane forward over the distance `constants` stand for.
KORVANE_FOLDING __m128i fold(__m128i lane, __m128i constants) {
  return _mm_xor_si128(_mm_clmulepi64_si128(lane, constants, 0x00),
                       _mm_clmulepi64_si128(lane, constants, 0x11));
}

// Four 128-bit lanes, each folded over 64 bytes a step.
struct Lanes {
  __m128i x1, x2, x3, x4;
};

// Folds the rest of the data into `lanes` and reduces them to the CRC; `length`
// is a multiple of 16.
KORVANE_FOLDING quint32 finishFolding(Lanes lanes, const uchar *data, qsizetype length) {
  const __m128i fold512 = _mm_set_epi64x(0x01c6e41596, 0x0154442bd4);
  const __m128i fold128 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);
  const __m128i fold64 = _mm_set_epi64x(0, 0x0163cd6124);
  const __m128i barrett = _mm_set_epi64x(0x01f7011641, 0x01db710641);
  const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);
  auto [x1, x2, x3, x4] = lanes;
  for (; length >= 64; data += 64, length -= 64) {
    x1 = _mm_xor_si128(fold(x1, fold512), load(data));
    x2 = _mm_xor_si128(fold(x2, fold512), load(data + 16));
    x3 = _mm_xor_si128(fold(x3, fold512), load(data + 32));
    x4 = _mm_xor_si128(fold(x4, fold512), load(data + 48));
  }
  x1 = _mm_xor_si128(fold(x1, fold128), x2);
  x1 = _mm_xor_si128(fold(x1, fold128), x3);
  x1 = _mm_xor_si128(fold(x1, fold128), x4);
  for (; length >= 16; data += 16, length -= 16)
    x1 = _mm_xor_si128(fold(x1, fold128), load(data));

  // 128 bits to 64, then to 32 by Barrett reduction.
  __m128i x2r = _mm_clmulepi64_si128(x1, fold128, 0x10);
  x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2r);
  x2r = _mm_srli_si128(x1, 4);
  x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, low32), fold64, 0x00), x2r);
  __m128i q = _mm_clmulepi64_si128(_mm_and_si128(x1, low32), barrett, 0x10);
  q = _mm_clmulepi64_si128(_mm_and_si128(q, low32), barrett, 0x00);
  return quint32(_mm_extract_epi32(_mm_xor_si128(x1, q), 1));
}

// `crc` is the inverted running value; `length` is at least 64 and a multiple of 16.
KORVANE_FOLDING quint32 foldedCrc(quint32 crc, const uchar *data, qsizetype length) {
  const Lanes lanes{_mm_xor_si128(load(data), _mm_cvtsi32_si128(int(crc))), load(data + 16),
                    load(data + 32), load(data + 48)};
  return finishFolding(lanes, data + 64, length - 64);
}

// Where the processor multiplies four lane pairs in one instruction, four 512-bit
// lanes fold 256 bytes a step (x^2016 and x^2080 mod P), then fold into one
// another 64 bytes apart down to the four 128-bit lanes above.
#define KORVANE_WIDE_FOLDING __attribute__((target("avx512f,vpclmulqdq,pclmul,sse4.1")))

KORVANE_WIDE_FOLDING __m512i wideLoad(const uchar *at) { return _mm512_loadu_si512(at); }

KORVANE_WIDE_FOLDING __m512i wideFold(__m512i lanes, __m512i constants) {
  return _mm512_xor_si512(_mm512_clmulepi64_epi128(lanes, constants, 0x00),
                          _mm512_clmulepi64_epi128(lanes, constants, 0x11));
}

// As foldedCrc; `length` is at least 256.
KORVANE_WIDE_FOLDING quint32 wideFoldedCrc(quint32 crc, const uchar *data, qsizetype length) {
  const __m512i fold2048 = _mm512_set_epi64(0x01322d1430, 0x011542778a, 0x01322d1430, 0x011542778a,
                                            0x01322d1430, 0x011542778a, 0x01322d1430, 0x011542778a);
  const __m512i fold512 = _mm512_set_epi64(0x01c6e41596, 0x0154442bd4, 0x01c6e41596, 0x0154442bd4,
                                           0x01c6e41596, 0x0154442bd4, 0x01c6e41596, 0x0154442bd4);
  __m512i z0 =
      _mm512_xor_si512(wideLoad(data), _mm512_zextsi128_si512(_mm_cvtsi32_si128(int(crc))));
  __m512i z1 = wideLoad(data + 64);
  __m512i z2 = wideLoad(data + 128);
  __m512i z3 = wideLoad(data + 192);
  for (data += 256, length -= 256; length >= 256; data += 256, length -= 256) {
    z0 = _mm512_xor_si512(wideFold(z0, fold2048), wideLoad(data));
    z1 = _mm512_xor_si512(wideFold(z1, fold2048), wideLoad(data + 64));
    z2 = _mm512_xor_si512(wideFold(z2, fold2048), wideLoad(data + 128));
    z3 = _mm512_xor_si512(wideFold(z3, fold2048), wideLoad(data + 192));
  }
  z1 = _mm512_xor_si512(wideFold(z0, fold512), z1);
  z2 = _mm512_xor_si512(wideFold(z1, fold512), z2);
  z3 = _mm512_xor_si512(wideFold(z2, fold512), z3);
  alignas(64) __m128i parts[4];
  _mm512_store_si512(parts, z3);
  return finishFolding({parts[0], parts[1], parts[2], parts[3]}, data, length);
}

bool canFold() {
  static const bool supported =
      __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
  return supported;
}

bool canFoldWide() {
  static const bool supported =
      __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("vpclmulqdq") && canFold();
  return supported;
}
#endif

} // namespace

void appendBpsNumber(QByteArray &out, quint64 value) {
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

quint32 crc32Of(QByteArrayView bytes, quint32 crc) {
  const auto *data = reinterpret_cast<const uchar *>(bytes.data());
  qsizetype length = bytes.size();
#if defined(__x86_64__)
  if (length >= 64 && canFold()) {
    const qsizetype folded = length & ~qsizetype(15);
    crc = ~(folded >= 256 && canFoldWide() ? wideFoldedCrc : foldedCrc)(~crc, data, folded);
    data += folded;
    length -= folded;
  }
#endif
  return zlibCrc(crc, data, length);
}

QByteArray encodeBps(QByteArrayView source, QByteArrayView target) {
  QByteArray out(kBpsMagic);
  appendBpsNumber(out, quint64(source.size()));
  appendBpsNumber(out, quint64(target.size()));
  appendBpsNumber(out, 0); // no metadata
  qsizetype at = 0;
  while (at < target.size()) {
    const qsizetype change = firstChange(source, target, at);
    if (change > at) {
      putAction(out, SourceRead, change - at);
      at = change;
      continue;
    }
    const qsizetype end = changeEnd(source, target, at, kCarriedGap);
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
  std::optional<PatchReader> reader;
  BpsHeader header;
  if (QString error = openPatch(patch, reader, header); !error.isEmpty())
    return {{}, error};
  if (header.sourceSize != quint64(source.size()))
    return {{}, wrongSourceSize(source.size(), header)};
  if (const quint32 sourceCrc = crc32Of(source); sourceCrc != header.sourceCrc)
    return {{}, wrongSourceCrc(sourceCrc, header)};
  if (header.targetSize != header.sourceSize)
    return {{}, sizeChanged(header)};

  applied.target = QByteArray(source.size(), Qt::Uninitialized);
  BufferTarget built(source, applied.target);
  if (QString error = runActions(*reader, source.size(), built); !error.isEmpty())
    return {{}, error};
  if (const quint32 built = crc32Of(applied.target); built != header.targetCrc)
    return {{}, wrongTargetCrc(built, header)};
  return applied;
}

PatchedFile applyBpsStreamed(QByteArrayView patch, qint64 size, const ReadAt &read) {
  PatchedFile patched;
  patched.format = QStringLiteral("BPS");
  std::optional<PatchReader> reader;
  BpsHeader header;
  if (patched.error = openPatch(patch, reader, header); !patched.error.isEmpty())
    return patched;
  if (header.sourceSize != quint64(size)) {
    patched.error = wrongSourceSize(size, header);
    return patched;
  }
  StreamedTarget target(size, read, patched.spans);
  // A target of another size cannot be built in place; the source is still
  // checked first, so that a patch for another file says so.
  const QString error = header.targetSize == header.sourceSize ? runStreamedActions(*reader, target)
                                                               : sizeChanged(header);
  if (!target.readRest()) {
    patched = {{}, QStringLiteral("读取文件失败。"), true, patched.format};
  } else if (target.sourceCrc() != header.sourceCrc) {
    patched.error = wrongSourceCrc(target.sourceCrc(), header);
  } else if (!error.isEmpty()) {
    patched.error = error;
  } else if (target.targetCrc() != header.targetCrc) {
    patched.error = wrongTargetCrc(target.targetCrc(), header);
  } else {
    return patched;
  }
  patched.spans.clear();
  return patched;
}

BpsWriter::BpsWriter(qint64 size, Write write) : size_(size), write_(std::move(write)) {
  out_ = QByteArray(kBpsMagic);
  appendBpsNumber(out_, quint64(size));
  appendBpsNumber(out_, quint64(size));
  appendBpsNumber(out_, 0); // no metadata
}

// The same actions as encodeBps: a changed stretch goes on over unchanged gaps of
// at most kCarriedGap bytes, also from one block into the next.
void BpsWriter::compare(QByteArrayView source, QByteArrayView target) {
  sourceCrc_ = crc32Of(source, sourceCrc_);
  targetCrc_ = crc32Of(target, targetCrc_);
  const qsizetype length = target.size();
  qsizetype at = 0;
  while (at < length) {
    if (!open_) {
      at = firstChange(source, target, at);
      if (at == length)
        break;
      openStretch(at_ + at);
    }
    qsizetype changed = at;
    while (changed < length && source[changed] != target[changed])
      ++changed;
    if (changed > at) {
      stretch_.append(target.sliced(at, changed - at));
      gap_ = 0;
      at = changed;
      if (stretch_.size() >= kLongestStretch)
        putStretch(stretch_.size());
    }
    while (at < length && gap_ <= kCarriedGap && source[at] == target[at]) {
      stretch_.append(target[at++]);
      ++gap_;
    }
    if (gap_ > kCarriedGap)
      closeStretch();
  }
  at_ += length;
  if (out_.size() >= kStreamBlock)
    flush();
}

void BpsWriter::openStretch(qint64 at) {
  if (at > readFrom_)
    putAction(out_, SourceRead, at - readFrom_);
  readFrom_ = at;
  open_ = true;
}

// Puts the first `length` bytes of the stretch into a TargetRead action.
void BpsWriter::putStretch(qint64 length) {
  if (length > 0) {
    putAction(out_, TargetRead, length);
    out_.append(QByteArrayView(stretch_).first(length));
  }
  readFrom_ += length;
  stretch_.remove(0, length);
}

void BpsWriter::closeStretch() {
  putStretch(stretch_.size() - gap_);
  stretch_.clear();
  gap_ = 0;
  open_ = false;
}

void BpsWriter::flush() {
  patchCrc_ = crc32Of(out_, patchCrc_);
  if (!failed_ && !write_(out_))
    failed_ = true;
  out_.clear();
}

bool BpsWriter::finish() {
  if (open_)
    closeStretch();
  if (readFrom_ < size_)
    putAction(out_, SourceRead, size_ - readFrom_);
  putCrc(out_, sourceCrc_);
  putCrc(out_, targetCrc_);
  patchCrc_ = crc32Of(out_, patchCrc_);
  putCrc(out_, patchCrc_);
  if (!failed_ && !write_(out_))
    failed_ = true;
  out_.clear();
  return !failed_;
}

} // namespace korvane
