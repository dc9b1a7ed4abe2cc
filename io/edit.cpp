#include "io/edit.h"

#include "io/module1.h"

#include <algorithm>

namespace korvane {

namespace {

// The refusal of a span outside the file names what the edit writes.
QString spanWhat(const Edit &edit) {
  return edit.what.isEmpty() ? QStringLiteral("要写入的数据") : edit.what;
}

bool reachHolds(const Edit &edit, Module1::Operation &op) {
  return edit.reachLength <= 0 || op.requireSpan(edit.reachStart, edit.reachLength, spanWhat(edit));
}

// Spans this close together are read in one read: a record's fields, or a
// patch's scattered changes, cost a few reads and not one each.
constexpr qint64 kReadTogether = 64 * 1024;

// The spans that do not hold `seen(i)`, each with what it holds, in span order;
// every span must lie inside the file. Stops early when the operation fails.
template <class Seen> Drift driftFrom(const Edit &edit, Module1::Operation &op, Seen seen) {
  std::vector<size_t> checked;
  for (size_t i = 0; i < edit.spans.size(); ++i) {
    const EditSpan &span = edit.spans[i];
    const qint64 length = std::max(span.bytes.size(), span.expected.size());
    if (!op.requireSpan(span.start, length, spanWhat(edit)))
      return {};
    if (!seen(i).isEmpty())
      checked.push_back(i);
  }
  std::sort(checked.begin(), checked.end(),
            [&edit](size_t a, size_t b) { return edit.spans[a].start < edit.spans[b].start; });
  const auto endOf = [&](size_t i) { return edit.spans[i].start + seen(i).size(); };
  Drift drift;
  for (auto first = checked.begin(); first != checked.end() && op.ok();) {
    auto last = std::next(first);
    qint64 end = endOf(*first);
    for (; last != checked.end() && edit.spans[*last].start - end <= kReadTogether; ++last)
      end = std::max(end, endOf(*last));
    const qint64 start = edit.spans[*first].start;
    const QByteArray read = op.readBytes(start, end - start);
    for (; op.ok() && first != last; ++first) {
      const QByteArray &saw = seen(*first);
      const QByteArray now = read.sliced(edit.spans[*first].start - start, saw.size());
      if (now != saw)
        drift.push_back({*first, now});
    }
    first = last;
  }
  std::sort(drift.begin(), drift.end(),
            [](const DriftedSpan &a, const DriftedSpan &b) { return a.index < b.index; });
  return drift;
}

void holdWrites(const Edit &edit, Module1::Operation &op) {
  for (const EditSpan &span : edit.spans)
    if (!span.bytes.isEmpty())
      op.writeBytes(span.start, span.bytes);
}

EditResult failed(Module1::Operation &op) {
  op.close();
  return {EditResult::Status::Failed, op.error(), 0};
}

// Writes in the open `op`, which the checks passed, and records the commit.
EditResult writeAndRecord(const Edit &edit, Module1::Operation &op) {
  holdWrites(edit, op);
  if (!op.close())
    return {EditResult::Status::Failed, op.error(), 0};
  const quint64 entry =
      changeHistory().record(edit.file, op.gameFile(), op.takeCommitted(), edit.label, edit.origin);
  return {EditResult::Status::Written, {}, entry};
}

} // namespace

EditResult commitEdit(const Edit &edit, const ConfirmDrift &confirm) {
  Drift drift;
  {
    Module1::Operation op(edit.file);
    if (!reachHolds(edit, op))
      return failed(op);
    drift = driftFrom(edit, op,
                      [&edit](size_t i) -> const QByteArray & { return edit.spans[i].expected; });
    if (!op.ok())
      return failed(op);
    if (drift.empty() && !edit.alwaysConfirm)
      return writeAndRecord(edit, op);
    op.close();
    if (!op.ok())
      return {EditResult::Status::Failed, op.error(), 0};
  }
  if (!confirm)
    return {EditResult::Status::Drifted, driftRefusal(edit), 0};
  if (!confirm(drift))
    return {EditResult::Status::Declined, {}, 0};
  // What the answer was about must still be there: the question showed `drift`,
  // every other span still held what the writer saw.
  std::vector<const QByteArray *> asked(edit.spans.size());
  for (size_t i = 0; i < edit.spans.size(); ++i)
    asked[i] = &edit.spans[i].expected;
  for (const DriftedSpan &span : drift)
    asked[span.index] = &span.now;
  Module1::Operation op(edit.file);
  if (!reachHolds(edit, op))
    return failed(op);
  const Drift again =
      driftFrom(edit, op, [&asked](size_t i) -> const QByteArray & { return *asked[i]; });
  if (!op.ok())
    return failed(op);
  if (!again.empty()) {
    op.close();
    return {EditResult::Status::Drifted, driftRefusal(edit), 0};
  }
  return writeAndRecord(edit, op);
}

QString driftRefusal(const Edit &edit) {
  return QStringLiteral("%1 在检查以后又被别的程序改动过，没有写入任何内容。请重新显示后再写入。")
      .arg(edit.file.shortName());
}

} // namespace korvane
