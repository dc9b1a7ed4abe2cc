#include "io/byte_diff.h"

#include <algorithm>
#include <cstring>

namespace korvane {

namespace {

// Unchanged stretches are passed over a block at a time.
constexpr qsizetype kCompareBlock = 256;

bool sameAt(QByteArrayView source, QByteArrayView target, qsizetype at) {
  return at < source.size() && source[at] == target[at];
}

} // namespace

qsizetype firstChange(QByteArrayView source, QByteArrayView target, qsizetype at) {
  const qsizetype common = std::min(source.size(), target.size());
  while (at + kCompareBlock <= common &&
         std::memcmp(source.data() + at, target.data() + at, kCompareBlock) == 0)
    at += kCompareBlock;
  while (at < common && source[at] == target[at])
    ++at;
  return at;
}

qsizetype changeEnd(QByteArrayView source, QByteArrayView target, qsizetype at,
                    qsizetype carriedGap) {
  qsizetype end = at;
  while (at < target.size()) {
    if (!sameAt(source, target, at)) {
      end = ++at;
      continue;
    }
    qsizetype gap = at;
    while (gap < target.size() && gap - at <= carriedGap && sameAt(source, target, gap))
      ++gap;
    if (gap >= target.size() || gap - at > carriedGap)
      break;
    at = gap;
  }
  return end;
}

} // namespace korvane
