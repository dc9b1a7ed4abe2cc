#include "io/change_history.h"

#include <QDateTime>
#include <algorithm>

namespace korvane {

namespace {

// The innermost label; the program has one user-interface thread.
ChangeLabel *currentLabel = nullptr;

} // namespace

ChangeLabel::ChangeLabel(QString window, QString action, quint64 reverts)
    : window_(std::move(window)), action_(std::move(action)), reverts_(reverts),
      outer_(currentLabel) {
  currentLabel = this;
}

ChangeLabel::~ChangeLabel() { currentLabel = outer_; }

ChangeHistory &changeHistory() {
  static ChangeHistory history;
  return history;
}

void ChangeHistory::record(const QString &path, std::vector<ChangeSpan> spans) {
  if (!enabled_ || spans.empty())
    return;
  ChangeEntry entry;
  entry.id = nextId_++;
  entry.msecs = QDateTime::currentMSecsSinceEpoch();
  entry.path = path;
  if (currentLabel) {
    entry.window = currentLabel->window_;
    entry.action = currentLabel->action_;
    entry.reverts = currentLabel->reverts_;
  }
  entry.spans = std::move(spans);
  entries_.push_back(std::move(entry));
  while (entries_.size() > kMaxEntries) {
    entries_.pop_front();
    ++dropped_;
  }
  // A listener may unsubscribe itself or another while it runs.
  const auto listeners = listeners_;
  for (const auto &[key, listener] : listeners)
    listener();
}

const ChangeEntry *ChangeHistory::find(quint64 id) const {
  const auto found =
      std::lower_bound(entries_.begin(), entries_.end(), id,
                       [](const ChangeEntry &entry, quint64 wanted) { return entry.id < wanted; });
  return found != entries_.end() && found->id == id ? &*found : nullptr;
}

int ChangeHistory::subscribe(std::function<void()> listener) {
  listeners_.emplace_back(nextKey_, std::move(listener));
  return nextKey_++;
}

void ChangeHistory::unsubscribe(int key) {
  std::erase_if(listeners_, [key](const auto &listener) { return listener.first == key; });
}

void ChangeHistory::clear() {
  entries_.clear();
  nextId_ = 1;
  dropped_ = 0;
}

} // namespace korvane
