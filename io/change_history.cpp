#include "io/change_history.h"

#include <QDateTime>
#include <algorithm>

namespace korvane {

ChangeSpans::ChangeSpans(std::initializer_list<ChangeSpan> spans) {
  for (const ChangeSpan &span : spans)
    append(span.start, span.before, span.after);
  squeeze();
}

void ChangeSpans::append(qint64 start, QByteArrayView before, QByteArrayView after) {
  Q_ASSERT(before.size() == after.size() && start >= 0 && start <= 0xFFFFFFFF);
  const auto at = quint32(start);
  const auto length = quint32(before.size());
  before_.append(before);
  after_.append(after);
  ++count_;
  if (!runs_.empty()) {
    Run &last = runs_.back();
    const quint32 stride = at - last.start;
    if (last.length == length && at > last.start &&
        (last.count == 1 ? stride >= length : at == last.start + last.count * last.stride)) {
      if (last.count == 1)
        last.stride = stride;
      ++last.count;
      return;
    }
  }
  runs_.push_back({at, length, 0, 1});
}

void ChangeSpans::squeeze() {
  before_.squeeze();
  after_.squeeze();
  runs_.shrink_to_fit();
}

size_t ChangeSpans::memoryUse() const {
  return size_t(before_.capacity() + after_.capacity()) + runs_.capacity() * sizeof(Run);
}

ChangeSpan ChangeSpans::spanAt(const Run &run, quint32 step, qsizetype bytesAt) const {
  return {qint64(run.start) + qint64(run.stride) * step,
          QByteArrayView(before_).sliced(bytesAt, run.length),
          QByteArrayView(after_).sliced(bytesAt, run.length)};
}

ChangeSpan ChangeSpans::at(size_t index) const {
  qsizetype bytesAt = 0;
  for (const Run &run : runs_) {
    if (index < run.count)
      return spanAt(run, quint32(index), bytesAt + qsizetype(index) * run.length);
    index -= run.count;
    bytesAt += qsizetype(run.count) * run.length;
  }
  Q_ASSERT(false);
  return {};
}

ChangeSpans::const_iterator ChangeSpans::begin() const {
  const_iterator first;
  first.spans_ = this;
  return first;
}

ChangeSpans::const_iterator ChangeSpans::end() const {
  const_iterator last;
  last.spans_ = this;
  last.run_ = runs_.size();
  return last;
}

ChangeSpans::const_iterator &ChangeSpans::const_iterator::operator++() {
  const Run &run = spans_->runs_[run_];
  bytesAt_ += run.length;
  if (++step_ == run.count) {
    ++run_;
    step_ = 0;
  }
  return *this;
}

ChangeHistory &changeHistory() {
  static ChangeHistory history;
  return history;
}

quint64 ChangeHistory::record(const GameFileRef &location, std::optional<GameFile> file,
                              ChangeSpans spans, const EditLabel &label, const void *origin) {
  if (!enabled_ || spans.empty())
    return 0;
  ChangeEntry entry;
  entry.id = nextId_++;
  entry.msecs = QDateTime::currentMSecsSinceEpoch();
  entry.location = location;
  entry.file = file;
  entry.window = label.window;
  entry.action = label.action;
  entry.reverts = label.reverts;
  entry.origin = origin;
  spans.squeeze();
  entry.spans = std::move(spans);
  entries_.push_back(std::move(entry));
  while (entries_.size() > kMaxEntries) {
    entries_.pop_front();
    ++dropped_;
  }
  const quint64 id = entries_.back().id;
  emit entryAdded(id);
  return id;
}

const ChangeEntry *ChangeHistory::find(quint64 id) const {
  const auto found =
      std::lower_bound(entries_.begin(), entries_.end(), id,
                       [](const ChangeEntry &entry, quint64 wanted) { return entry.id < wanted; });
  return found != entries_.end() && found->id == id ? &*found : nullptr;
}

void ChangeHistory::clear() {
  entries_.clear();
  nextId_ = 1;
  dropped_ = 0;
}

} // namespace korvane
