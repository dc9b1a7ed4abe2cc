#include "io/patched_file.h"

#include "io/bps.h"
#include "io/byte_diff.h"
#include "io/ips.h"

#include <algorithm>
#include <cstring>

namespace korvane {

namespace {

// Unchanged bytes between two changes within one comparison are kept in one span
// when there are no more than this: a span costs more than that to hold.
constexpr qsizetype kJoinedGap = 16;

} // namespace

qint64 PatchedFile::changedBytes() const {
  qint64 count = 0;
  for (const PatchedSpan &span : spans)
    for (qsizetype i = 0; i < span.before.size(); ++i)
      count += span.before[i] != span.after[i];
  return count;
}

void appendChanges(std::vector<PatchedSpan> &spans, qint64 start, QByteArrayView before,
                   QByteArrayView after) {
  qsizetype at = firstChange(before, after, 0);
  while (at < after.size()) {
    const qsizetype end = changeEnd(before, after, at, kJoinedGap);
    const QByteArrayView was = before.sliced(at, end - at);
    const QByteArrayView is = after.sliced(at, end - at);
    if (!spans.empty() && spans.back().end() == start + at) {
      spans.back().before.append(was);
      spans.back().after.append(is);
    } else {
      spans.push_back({start + at, was.toByteArray(), is.toByteArray()});
    }
    at = firstChange(before, after, end);
  }
}

bool readPatched(const std::vector<PatchedSpan> &spans, const ReadAt &read, qint64 offset, char *to,
                 qint64 length) {
  if (!read(offset, to, length))
    return false;
  const qint64 end = offset + length;
  auto span = std::partition_point(spans.begin(), spans.end(),
                                   [offset](const PatchedSpan &s) { return s.end() <= offset; });
  for (; span != spans.end() && span->start < end; ++span) {
    const qint64 from = std::max(offset, span->start);
    const qint64 last = std::min(end, span->end());
    std::memcpy(to + (from - offset), span->after.constData() + (from - span->start),
                size_t(last - from));
  }
  return true;
}

std::vector<PatchedSpan> withMargins(const std::vector<PatchedSpan> &spans, qint64 margin,
                                     qint64 size, const ReadAt &read) {
  std::vector<std::pair<qint64, qint64>> ranges;
  for (const PatchedSpan &span : spans) {
    const qint64 start = std::max<qint64>(0, span.start - margin);
    const qint64 end = std::min(size, span.end() + margin);
    if (!ranges.empty() && start <= ranges.back().second)
      ranges.back().second = end;
    else
      ranges.push_back({start, end});
  }
  std::vector<PatchedSpan> widened;
  for (const auto &[start, end] : ranges) {
    PatchedSpan span{start, QByteArray(end - start, Qt::Uninitialized), {}};
    span.after.resize(span.before.size());
    if (!read(start, span.before.data(), span.before.size()) ||
        !readPatched(spans, read, start, span.after.data(), span.after.size()))
      return {};
    widened.push_back(std::move(span));
  }
  return widened;
}

PatchedFile patchedFile(QByteArrayView patch, qint64 size, const ReadAt &read,
                        const QString &shownName) {
  if (patch.startsWith(QByteArrayView(kBpsMagic)))
    return applyBpsStreamed(patch, size, read);
  if (patch.startsWith("PATCH"))
    return applyIpsStreamed(patch, size, read, shownName);
  PatchedFile refused;
  if (patch.startsWith("\xD6\xC3\xC4")) {
    refused.format = QStringLiteral("VCDIFF");
    refused.error = QStringLiteral(
        "这是 xdelta3（VCDIFF）补丁，本工具不能直接应用。请先用 xdelta3 把它应用到"
        "原来的文件上（xdelta3 -d -s 原文件 补丁 新文件），再用本工具打开得到的文件。");
    return refused;
  }
  refused.error =
      QStringLiteral("补丁文件无效：开头既不是“BPS1”也不是“PATCH”，不是 BPS 或 IPS 补丁。");
  return refused;
}

} // namespace korvane
