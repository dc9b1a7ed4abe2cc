#include "io/ips.h"

#include "io/byte_diff.h"

#include <algorithm>

namespace korvane {

namespace {

constexpr qsizetype kLargestRecord = 0xFFFF;
// A run this long costs less as a run record than as plain bytes.
constexpr qsizetype kShortestRun = 9;
// Unchanged bytes between two changes are carried along when that costs less
// than a new record header.
constexpr qsizetype kRecordHeader = 5;
// The extension after "EOF" that gives the file's new length.
constexpr qsizetype kTruncationSize = 3;

const QByteArray kHeader = QByteArrayLiteral("PATCH");
const QByteArray kFooter = QByteArrayLiteral("EOF");

void putBigEndian(QByteArray &out, quint32 value, int width) {
  for (int i = width - 1; i >= 0; --i)
    out.append(char(quint8(value >> (8 * i))));
}

quint32 bigEndianAt(QByteArrayView bytes, qsizetype at, int width) {
  quint32 value = 0;
  for (int i = 0; i < width; ++i)
    value = (value << 8) | quint8(bytes[at + i]);
  return value;
}

qsizetype runLength(QByteArrayView bytes, qsizetype from, qsizetype end) {
  qsizetype to = from + 1;
  while (to < end && to - from < kLargestRecord && bytes[to] == bytes[from])
    ++to;
  return to - from;
}

// Cuts the changed span [start, end) of `modified` into records: long runs of one
// byte as run records, the rest as plain records of at most 0xFFFF bytes.
void addSpan(std::vector<IpsRecord> &records, QByteArrayView modified, qsizetype start,
             qsizetype end) {
  qsizetype plainStart = start;
  auto flushPlain = [&](qsizetype upTo) {
    while (plainStart < upTo) {
      // A record at the "EOF" offset takes one byte more in front later on.
      const qsizetype largest = kLargestRecord - (plainStart == kIpsEofOffset ? 1 : 0);
      const qsizetype length = std::min(upTo - plainStart, largest);
      records.push_back({plainStart, modified.sliced(plainStart, length).toByteArray(), false});
      plainStart += length;
    }
  };
  qsizetype pos = start;
  while (pos < end) {
    const qsizetype run = runLength(modified, pos, end);
    if (run >= kShortestRun && pos != kIpsEofOffset) {
      flushPlain(pos);
      records.push_back({pos, modified.sliced(pos, run).toByteArray(), true});
      pos += run;
      plainStart = pos;
    } else {
      pos += std::max<qsizetype>(1, std::min(run, kShortestRun - 1));
    }
  }
  flushPlain(end);
}

} // namespace

IpsPatch diffToIps(QByteArrayView original, QByteArrayView modified) {
  IpsPatch patch;
  // Changes are looked for only where both files have bytes.
  const qsizetype length = std::min(original.size(), modified.size());
  const QByteArrayView before = original.first(length);
  const QByteArrayView after = modified.first(length);
  qsizetype start = firstChange(before, after, 0);
  while (start < length) {
    const qsizetype end = changeEnd(before, after, start, kRecordHeader);
    addSpan(patch.records, modified, start, end);
    start = firstChange(before, after, end);
  }
  for (IpsRecord &record : patch.records) {
    if (record.offset == kIpsEofOffset) {
      // The byte before goes along, unchanged, so that the offset reads as no "EOF".
      record.offset -= 1;
      record.bytes.prepend(modified[record.offset]);
    }
    if (record.offset > kIpsLargestOffset) {
      patch.error = ipsOutOfReach(record.offset);
      return patch;
    }
  }
  return patch;
}

QString ipsOutOfReach(qint64 offset) {
  return QStringLiteral("文件在偏移 0x%1 处有变化，超出了 IPS 补丁能表示的范围"
                        "（最大偏移 0xFFFFFF）。没有生成补丁。请改用 BPS 补丁"
                        "（补丁文件名以 .bps 结尾）。")
      .arg(QString::number(offset, 16).toUpper());
}

QByteArray encodeIps(const std::vector<IpsRecord> &records) {
  QByteArray out = kHeader;
  for (const IpsRecord &record : records) {
    putBigEndian(out, quint32(record.offset), 3);
    if (record.run) {
      putBigEndian(out, 0, 2);
      putBigEndian(out, quint32(record.bytes.size()), 2);
      out.append(record.bytes.front());
    } else {
      putBigEndian(out, quint32(record.bytes.size()), 2);
      out.append(record.bytes);
    }
  }
  out.append(kFooter);
  return out;
}

IpsPatch decodeIps(QByteArrayView bytes, qint64 fileSize) {
  IpsPatch patch;
  // Records may write the same bytes again; beyond this they only waste memory.
  const qint64 mostSpelledOut = fileSize < 0 ? -1 : 4 * fileSize + 0x10000;
  qint64 spelledOut = 0;
  auto outside = [&](qint64 offset, qint64 length) {
    return fileSize >= 0 && offset + length > fileSize;
  };
  auto refuse = [&patch](const QString &reason) {
    patch.records.clear();
    patch.error = QStringLiteral("补丁文件无效：%1").arg(reason);
    return patch;
  };
  if (!bytes.startsWith(QByteArrayView(kHeader)))
    return refuse(QStringLiteral("开头不是“PATCH”，不是 IPS 补丁。"));
  qsizetype pos = kHeader.size();
  while (true) {
    if (pos + 3 > bytes.size())
      return refuse(QStringLiteral("缺少结尾的“EOF”，文件可能不完整。"));
    if (bytes.sliced(pos, 3) == QByteArrayView(kFooter)) {
      pos += 3;
      break;
    }
    if (pos + 5 > bytes.size())
      return refuse(QStringLiteral("最后一条记录不完整。"));
    const qint64 offset = bigEndianAt(bytes, pos, 3);
    const qsizetype size = bigEndianAt(bytes, pos + 3, 2);
    pos += 5;
    const qint64 length = size > 0                  ? size
                          : pos + 2 <= bytes.size() ? bigEndianAt(bytes, pos, 2)
                                                    : 0;
    if (outside(offset, length))
      return refuse(
          QStringLiteral("补丁要写入偏移 0x%1 起的 %2 字节，超出了文件的范围（文件长 %3 字节）。"
                         "这个补丁不是给这个文件的。")
              .arg(QString::number(offset, 16).toUpper())
              .arg(length)
              .arg(fileSize));
    if (mostSpelledOut >= 0 && (spelledOut += length) > mostSpelledOut)
      return refuse(QStringLiteral("它的记录一共要写入超过 %1 字节，是文件长度（%2 字节）的好几倍，"
                                   "不像是给这个文件的补丁。")
                        .arg(mostSpelledOut)
                        .arg(fileSize));
    if (size > 0) {
      if (pos + size > bytes.size())
        return refuse(
            QStringLiteral("偏移 0x%1 的记录不完整。").arg(QString::number(offset, 16).toUpper()));
      patch.records.push_back({offset, bytes.sliced(pos, size).toByteArray(), false});
      pos += size;
      continue;
    }
    if (pos + 3 > bytes.size())
      return refuse(
          QStringLiteral("偏移 0x%1 的记录不完整。").arg(QString::number(offset, 16).toUpper()));
    const qsizetype run = bigEndianAt(bytes, pos, 2);
    if (run == 0)
      return refuse(
          QStringLiteral("偏移 0x%1 的记录长度为 0。").arg(QString::number(offset, 16).toUpper()));
    patch.records.push_back({offset, QByteArray(run, bytes[pos + 2]), true});
    pos += 3;
  }
  // The extension that truncates the file is three bytes after "EOF"; anything
  // else there is what follows a record at the offset whose bytes read "EOF".
  if (const qsizetype after = bytes.size() - pos; after == kTruncationSize)
    return refuse(
        QStringLiteral("“EOF”之后还有 %1 字节（截断文件的扩展），本工具不支持。").arg(after));
  else if (after > 0)
    return refuse(QStringLiteral("它在偏移 0x454F46 处有一条记录，而 IPS 补丁不能在这个偏移放记录："
                                 "这个偏移的三个字节正是结束标记“EOF”，读补丁的程序会在这里停止，"
                                 "漏掉后面的 %1 字节。请改用 BPS 补丁。")
                      .arg(after));
  return patch;
}

PatchedFile applyIpsStreamed(QByteArrayView patch, qint64 size, const ReadAt &read,
                             const QString &shownName) {
  PatchedFile patched;
  patched.format = QStringLiteral("IPS");
  // Bounded by the file before any record is held.
  const IpsPatch ips = decodeIps(patch, size);
  if (!ips.error.isEmpty()) {
    patched.error = ips.error;
    return patched;
  }
  // The stretches the records cover, merged where they touch or overlap.
  std::vector<std::pair<qint64, qint64>> areas;
  for (const IpsRecord &record : ips.records) {
    if (record.offset + record.bytes.size() > size) {
      patched.error = QStringLiteral("补丁要写入偏移 0x%1 起的 %2 字节，超出了文件“%3”的范围"
                                     "（文件长 %4 字节）。这个补丁不是给这个文件的。")
                          .arg(QString::number(record.offset, 16).toUpper())
                          .arg(record.bytes.size())
                          .arg(shownName)
                          .arg(size);
      return patched;
    }
    areas.push_back({record.offset, record.offset + record.bytes.size()});
  }
  std::sort(areas.begin(), areas.end());
  std::vector<std::pair<qint64, qint64>> merged;
  for (const auto &area : areas)
    if (!merged.empty() && area.first <= merged.back().second)
      merged.back().second = std::max(merged.back().second, area.second);
    else
      merged.push_back(area);

  std::vector<QByteArray> before;
  std::vector<QByteArray> after;
  for (const auto &[start, end] : merged) {
    QByteArray bytes(end - start, Qt::Uninitialized);
    if (!read(start, bytes.data(), bytes.size())) {
      patched.error = QStringLiteral("读取文件失败。");
      patched.readFailed = true;
      return patched;
    }
    before.push_back(bytes);
    after.push_back(std::move(bytes));
  }
  // Later records overwrite earlier ones, in the patch's order.
  for (const IpsRecord &record : ips.records) {
    const size_t area =
        std::partition_point(merged.begin(), merged.end(),
                             [&](const auto &stretch) { return stretch.second <= record.offset; }) -
        merged.begin();
    std::copy(record.bytes.begin(), record.bytes.end(),
              after[area].begin() + (record.offset - merged[area].first));
  }
  for (size_t area = 0; area < merged.size(); ++area)
    appendChanges(patched.spans, merged[area].first, before[area], after[area]);
  return patched;
}

} // namespace korvane
