#pragma once

// The change history of this run: every operation that changed a game file and was
// committed becomes one entry holding the bytes it wrote and the bytes they replaced,
// so that it can be shown and reverted. It lives in memory only and ends with the
// program. Recording costs a copy of the written bytes; entries are named and
// described only when they are shown.

#include <QByteArray>
#include <QString>
#include <deque>
#include <functional>
#include <vector>

namespace korvane {

// One stretch of bytes an operation wrote, every one of them written by it.
struct ChangeSpan {
  qint64 start; // 0-based file offset
  QByteArray before;
  QByteArray after; // as long as `before`
};

struct ChangeEntry {
  quint64 id = 0;                // 1 for the run's first entry, counting on
  qint64 msecs = 0;              // when it was committed, since the epoch
  QString path;                  // the game file as the operation opened it
  QString window;                // the caption of the window that wrote it
  QString action;                // "保存", "粘贴", "撤销", ...
  quint64 reverts = 0;           // the id of the entry it reverted, 0 when none
  std::vector<ChangeSpan> spans; // in file order, each with at least one changed byte
};

// Names the operations committed while it lives: the window and what the user did.
// Labels nest; the innermost names the operation.
class ChangeLabel {
public:
  ChangeLabel(QString window, QString action, quint64 reverts = 0);
  ~ChangeLabel();
  ChangeLabel(const ChangeLabel &) = delete;
  ChangeLabel &operator=(const ChangeLabel &) = delete;

private:
  friend class ChangeHistory;
  QString window_;
  QString action_;
  quint64 reverts_;
  ChangeLabel *outer_;
};

class ChangeHistory {
public:
  static constexpr size_t kMaxEntries = 1000;

  // Recording can be switched off (the benchmarks compare both).
  bool enabled() const { return enabled_; }
  void setEnabled(bool on) { enabled_ = on; }

  // Takes the spans of a committed operation on `path`, under the current label.
  void record(const QString &path, std::vector<ChangeSpan> spans);

  // Oldest first.
  const std::deque<ChangeEntry> &entries() const { return entries_; }
  const ChangeEntry *find(quint64 id) const;
  // How many older entries were dropped to keep the last kMaxEntries.
  quint64 dropped() const { return dropped_; }

  // `listener` is called after every new entry; the returned key removes it.
  int subscribe(std::function<void()> listener);
  void unsubscribe(int key);

  // Forgets every entry and counts from 1 again (tests start afresh with it).
  void clear();

private:
  bool enabled_ = true;
  std::deque<ChangeEntry> entries_;
  quint64 nextId_ = 1;
  quint64 dropped_ = 0;
  int nextKey_ = 1;
  std::vector<std::pair<int, std::function<void()>>> listeners_;
};

// The program's one history.
ChangeHistory &changeHistory();

} // namespace korvane
