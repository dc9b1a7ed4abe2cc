#include "io/edit.h"

#include "io/module1.h"

namespace korvane {

namespace {

// The refusal of a span outside the file names what the edit writes.
QString spanWhat(const Edit &edit) {
  return edit.what.isEmpty() ? QStringLiteral("要写入的数据") : edit.what;
}

bool reachHolds(const Edit &edit, Module1::Operation &op) {
  return edit.reachLength <= 0 || op.requireSpan(edit.reachStart, edit.reachLength, spanWhat(edit));
}

// The spans that do not hold `seen(i)`, each with what it holds; stops early when
// the operation fails.
template <class Seen> Drift driftFrom(const Edit &edit, Module1::Operation &op, Seen seen) {
  Drift drift;
  for (size_t i = 0; i < edit.spans.size() && op.ok(); ++i) {
    const EditSpan &span = edit.spans[i];
    const QByteArray &saw = seen(i);
    const qint64 length = std::max(span.bytes.size(), span.expected.size());
    if (!op.requireSpan(span.start, length, spanWhat(edit)) || saw.isEmpty())
      continue;
    QByteArray now = op.readBytes(span.start, saw.size());
    if (op.ok() && now != saw)
      drift.push_back({i, std::move(now)});
  }
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
