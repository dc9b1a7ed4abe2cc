#pragma once

// The bytes an operation holds for writing, each marked as written, in pages of
// the file: a record's fields fill one page, and a patch that changes a few
// bytes at either end of a disc image of several GB holds two.

#include <QtGlobal>
#include <array>
#include <cstring>
#include <map>
#include <memory>

namespace korvane {

class HeldBytes {
public:
  bool empty() const { return pages_.empty(); }
  void clear();

  // Holds `length` bytes at the 0-based `offset`, over any held there before.
  void put(qint64 offset, const char *bytes, qint64 length) {
    while (length > 0) {
      const qint64 at = offset % kPage;
      const qint64 count = std::min(length, kPage - at);
      Page &page = pageAt(offset / kPage);
      std::memcpy(page.bytes.data() + at, bytes, size_t(count));
      std::memset(page.marks.data() + at, 1, size_t(count));
      offset += count;
      bytes += count;
      length -= count;
    }
  }
  // The byte held at `offset`, if one is.
  bool find(qint64 offset, char &byte) const;
  // Lays the held bytes among [offset, offset + length) over `bytes`.
  void overlay(qint64 offset, char *bytes, qint64 length) const;

  // Calls `visit(first, last)` for each stretch [first, last) of held bytes, front
  // to back. The marks are searched with memchr: a patch holds a few changed bytes
  // spread over a page.
  template <class Visit> void forEachWritten(Visit visit) const {
    qint64 openFirst = -1;
    qint64 openLast = -1;
    for (const auto &[index, page] : pages_) {
      const char *marks = page->marks.data();
      qint64 at = 0;
      while (at < kPage) {
        const auto *written =
            static_cast<const char *>(std::memchr(marks + at, 1, size_t(kPage - at)));
        if (!written)
          break;
        const qint64 first = written - marks;
        const auto *unwritten =
            static_cast<const char *>(std::memchr(written, 0, size_t(kPage - first)));
        at = unwritten ? unwritten - marks : kPage;
        const qint64 start = index * kPage + first;
        if (start != openLast) {
          if (openFirst >= 0)
            visit(openFirst, openLast);
          openFirst = start;
        }
        openLast = index * kPage + at;
      }
    }
    if (openFirst >= 0)
      visit(openFirst, openLast);
  }

private:
  static constexpr qint64 kPage = 4096;
  struct Page {
    std::array<char, kPage> bytes;
    std::array<char, kPage> marks{};
  };
  Page &pageAt(qint64 index) {
    if (index != lastIndex_) {
      std::unique_ptr<Page> &page = pages_[index];
      if (!page)
        page = std::make_unique<Page>();
      last_ = page.get();
      lastIndex_ = index;
    }
    return *last_;
  }

  std::map<qint64, std::unique_ptr<Page>> pages_; // by offset / kPage
  // The page written last: a record's fields go one after another.
  qint64 lastIndex_ = -1;
  Page *last_ = nullptr;
};

} // namespace korvane
