#pragma once

// The change history of this run: every operation that changed a game file and was
// committed becomes one entry holding the bytes it wrote and the bytes they replaced,
// so that it can be shown and reverted. It lives in memory only and ends with the
// program. Recording costs a copy of the written bytes; entries are named and
// described only when they are shown.

#include "io/game_files.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <deque>
#include <initializer_list>
#include <optional>
#include <vector>

namespace korvane {

// One stretch of bytes an operation wrote, every one of them written by it.
struct ChangeSpan {
  qint64 start; // 0-based file offset
  QByteArrayView before;
  QByteArrayView after; // as long as `before`
};

// The spans of one entry, in file order. A bulk command writes the same field of
// every record, so spans come at a steady stride: they are kept as runs of equally
// long spans at equal distances, with the bytes of every span in one buffer for
// the old and one for the new bytes. An entry costs two bytes per written byte
// and a few per run.
class ChangeSpans {
public:
  class const_iterator;

  ChangeSpans() = default;
  ChangeSpans(std::initializer_list<ChangeSpan> spans);

  // Adds a span after every one held; `after` is as long as `before`.
  void append(qint64 start, QByteArrayView before, QByteArrayView after);
  // Gives back the room kept for further spans.
  void squeeze();

  bool empty() const { return count_ == 0; }
  size_t size() const { return count_; }
  qint64 byteCount() const { return before_.size(); }
  // The heap bytes it holds.
  size_t memoryUse() const;

  ChangeSpan at(size_t index) const; // linear in the runs
  ChangeSpan front() const { return at(0); }
  ChangeSpan back() const { return at(count_ - 1); }
  const_iterator begin() const;
  const_iterator end() const;

private:
  struct Run {
    quint32 start; // of the first span; the game files are far below 4 GB
    quint32 length;
    quint32 stride; // from one span's start to the next
    quint32 count;
  };

  ChangeSpan spanAt(const Run &run, quint32 step, qsizetype bytesAt) const;

  std::vector<Run> runs_;
  QByteArray before_;
  QByteArray after_;
  size_t count_ = 0;
};

class ChangeSpans::const_iterator {
public:
  using value_type = ChangeSpan;
  using difference_type = std::ptrdiff_t;

  const_iterator() = default;
  ChangeSpan operator*() const { return spans_->spanAt(spans_->runs_[run_], step_, bytesAt_); }
  const_iterator &operator++();
  const_iterator operator++(int) {
    const_iterator was = *this;
    ++*this;
    return was;
  }
  bool operator==(const const_iterator &other) const {
    return run_ == other.run_ && step_ == other.step_;
  }

private:
  friend class ChangeSpans;
  const ChangeSpans *spans_ = nullptr;
  size_t run_ = 0;
  quint32 step_ = 0;
  qsizetype bytesAt_ = 0;
};

struct ChangeEntry {
  quint64 id = 0;               // 1 for the run's first entry, counting on
  qint64 msecs = 0;             // when it was committed, since the epoch
  GameFileRef location;         // the game file as the operation opened it
  std::optional<GameFile> file; // which game file that path was when it opened
  QString window;               // the caption of the window that wrote it
  QString action;               // "保存", "粘贴", "撤销", ...
  quint64 reverts = 0;          // the id of the entry it reverted, 0 when none
  ChangeSpans spans;            // each with at least one changed byte
  const void *origin = nullptr; // the writer that made it (see Edit::origin); only compared
};

// What the history shows of an entry: the window and what the user did.
struct EditLabel {
  QString window;      // the caption of the window that wrote it; empty for the tool
  QString action;      // "保存", "粘贴", "撤销", ...
  quint64 reverts = 0; // the id of the entry it reverts, 0 when none
};

class ChangeHistory : public QObject {
  Q_OBJECT
public:
  static constexpr size_t kMaxEntries = 1000;

  // Recording can be switched off (the benchmarks compare both).
  bool enabled() const { return enabled_; }
  void setEnabled(bool on) { enabled_ = on; }

  // Takes the spans of a committed edit of `location`, which is the game file
  // `file`. Gives the new entry's id, 0 when nothing was recorded.
  quint64 record(const GameFileRef &location, std::optional<GameFile> file, ChangeSpans spans,
                 const EditLabel &label = {}, const void *origin = nullptr);

  // Oldest first.
  const std::deque<ChangeEntry> &entries() const { return entries_; }
  const ChangeEntry *find(quint64 id) const;
  // How many older entries were dropped to keep the last kMaxEntries.
  quint64 dropped() const { return dropped_; }

  // Forgets every entry and counts from 1 again (tests start afresh with it).
  void clear();

signals:
  // After every new entry, older ones already dropped.
  void entryAdded(quint64 id);

private:
  bool enabled_ = true;
  std::deque<ChangeEntry> entries_;
  quint64 nextId_ = 1;
  quint64 dropped_ = 0;
};

// The program's one history.
ChangeHistory &changeHistory();

} // namespace korvane
