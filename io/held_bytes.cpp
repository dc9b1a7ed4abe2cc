#include "io/held_bytes.h"

#include <algorithm>

namespace korvane {

void HeldBytes::clear() {
  pages_.clear();
  lastIndex_ = -1;
  last_ = nullptr;
}

bool HeldBytes::find(qint64 offset, char &byte) const {
  const auto page = pages_.find(offset / kPage);
  if (page == pages_.end() || !page->second->marks[offset % kPage])
    return false;
  byte = page->second->bytes[offset % kPage];
  return true;
}

void HeldBytes::overlay(qint64 offset, char *bytes, qint64 length) const {
  const qint64 end = offset + length;
  for (auto page = pages_.lower_bound(offset / kPage);
       page != pages_.end() && page->first * kPage < end; ++page) {
    const qint64 pageStart = page->first * kPage;
    const qint64 from = std::max(offset, pageStart);
    const qint64 to = std::min(end, pageStart + kPage);
    for (qint64 at = from; at < to; ++at)
      if (page->second->marks[at - pageStart])
        bytes[at - offset] = page->second->bytes[at - pageStart];
  }
}

} // namespace korvane
