#include "tools/korvane_tool/tool_shared.h"

#include "io/edit.h"
#include "io/module1.h"
#include "io/patch_maker.h"
#include "io/patched_file.h"
#include "io/regular_file.h"

#include <iterator>

namespace korvane::tool {

namespace {

// A patch carries at most every byte of a game file, with its actions or record
// headers between them.
constexpr qint64 kMaxPatchSize = 2 * kMaxGameFileSize;

} // namespace

int Tool::patch(const GameFileRef &original, const GameFileRef &modified, const QString &output,
                std::optional<PatchFormat> format, std::optional<GameFile> entry) {
  if (output.isEmpty())
    return fail(QStringLiteral("请用 -o 指定补丁文件。"));
  if (entry && (namesImage(original) || namesImage(modified)))
    return patch(entryIn(original, *entry), entryIn(modified, *entry), output, format);
  const PatchFormat chosen = format.value_or(patchFormatFor(output));
  const PatchOutcome outcome = writePatchFile(original, modified, output, chosen);
  if (!outcome.error.isEmpty())
    return fail(outcome.error);
  out_ << QStringLiteral("%1 补丁已写入 %2：两个文件有 %3 字节不同。\n")
              .arg(patchFormatName(chosen), fileLabel(output))
              .arg(outcome.differingBytes);
  return finish(kSuccess, QStringLiteral("\n补丁文件已经写好，只是这条结果没能输出。"));
}

// Every changed stretch, read back after the commit, must hold the patched bytes
// (the target's CRC32 was checked, against the file as it was, before anything
// was written); when one does not, the old bytes of every changed stretch are
// put back. Stretches close together are read back in one read, so that a
// thousand scattered changes cost a few reads and not a thousand.
bool Tool::writtenAsPatched(const GameFileRef &file, const std::vector<PatchedSpan> &spans) {
  constexpr qint64 kReadTogether = 64 * 1024;
  Module1::Operation check(file);
  qint64 differs = -1;
  for (auto first = spans.begin(); check.ok() && differs < 0 && first != spans.end();) {
    auto end = std::next(first);
    while (end != spans.end() && end->start - std::prev(end)->end() <= kReadTogether)
      ++end;
    const qint64 start = first->start;
    const QByteArray read = check.readBytes(start, std::prev(end)->end() - start);
    for (; check.ok() && differs < 0 && first != end; ++first)
      if (QByteArrayView(read).sliced(first->start - start, first->after.size()) != first->after)
        differs = first->start;
  }
  if (check.ok() && differs < 0)
    return true;
  const QString found =
      check.ok() ? QStringLiteral("偏移 %1 起的字节与补丁的结果不同").arg(hexOffset(differs))
                 : check.error();
  check.close();
  Edit restore;
  restore.file = check.file();
  restore.label = {{}, QStringLiteral("写回")};
  for (const PatchedSpan &span : spans)
    restore.spans.push_back({span.start, span.before, {}});
  const EditResult restored = commitEdit(restore);
  fail(QStringLiteral("写入后读回文件：%1。\n%2")
           .arg(found, restored.written()
                           ? QStringLiteral("已经把原来的内容写回，文件没有改动。")
                           : QStringLiteral("写回原来的内容也失败了（%1），文件可能只改了一部分。")
                                 .arg(restored.error)));
  return false;
}

// The patch is read whole (it holds the changed bytes); the file a block at a
// time, so that a disc image of several GB is patched in memory for its changes.
int Tool::apply(const GameFileRef &file, const QString &patchPath, bool dryRun,
                std::optional<GameFile> kind) {
  if (kind && namesImage(file))
    return apply(GameFileRef::imageEntry(file.path, *kind), patchPath, dryRun, kind);
  const FileContents patchFile =
      readRegularFile(patchPath, kMaxPatchSize, QStringLiteral("补丁文件"));
  if (!patchFile.ok())
    return fail(patchFile.error + kNothingWritten);

  // Held from the read of the source to the check of what was written.
  const FileLock lock(file.path);
  if (!lock.ok())
    return fail(lock.error());
  Module1::Operation op(file);
  if (!op.ok())
    return fail(op.error());
  const ReadAt read = [&op](qint64 offset, char *to, qint64 length) {
    return op.readInto(offset, to, length);
  };
  const PatchedFile result = patchedFile(patchFile.bytes, op.size(), read, fileLabel(file));
  if (result.readFailed)
    return fail(op.error());
  if (!result.error.isEmpty())
    return fail(result.error + kNothingWritten);
  const qint64 changed = result.changedBytes();

  if (dryRun) {
    out_ << QStringLiteral("%1 补丁适用于“%2”。\n").arg(result.format, fileLabel(file));
    // A whole image's bytes are no game file's: only their count is told.
    if (!namesImage(file)) {
      // Each change with the bytes around it, so that a field it touches shows whole.
      constexpr qint64 kMargin = 8;
      const std::vector<PatchedSpan> shown = withMargins(result.spans, kMargin, op.size(), read);
      if (!op.ok())
        return fail(op.error());
      std::vector<ChangeSpan> spans;
      for (const PatchedSpan &span : shown)
        spans.push_back({span.start, span.before, span.after});
      listChanges(kind.value_or(guessFileKind(file)), spans, Format::Text);
    }
    out_ << QStringLiteral("试运行：上面的变化共 %1 字节；没有写入任何内容。\n").arg(changed);
    return finish(kSuccess);
  }
  if (!op.close())
    return fail(op.error());
  // Written where the file still holds the source the patch was checked against.
  Edit edit;
  edit.file = file;
  edit.label = {{}, QStringLiteral("应用补丁")};
  edit.spans.reserve(result.spans.size());
  for (const PatchedSpan &span : result.spans)
    edit.spans.push_back({span.start, span.after, span.before});
  if (const EditResult written = commitEdit(edit); !written.written())
    return fail(written.error);
  if (!writtenAsPatched(file, result.spans))
    return kFailed;

  out_ << QStringLiteral("已应用 %1 补丁：文件中 %2 字节有了变化。\n")
              .arg(result.format)
              .arg(changed);
  return finish(kSuccess,
                QStringLiteral("\n注意：补丁已经写入了游戏文件（%1 字节有了变化），只是这条结果"
                               "没能输出。")
                    .arg(changed));
}

} // namespace korvane::tool
