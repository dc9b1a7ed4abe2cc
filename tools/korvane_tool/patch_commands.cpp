#include "tools/korvane_tool/tool_shared.h"

#include "io/bps.h"
#include "io/ips.h"
#include "io/module1.h"
#include "io/patch_maker.h"
#include "io/regular_file.h"

#include <iterator>

namespace korvane::tool {

namespace {

// A patch carries at most every byte of a game file, with its actions or record
// headers between them.
constexpr qint64 kMaxPatchSize = 2 * kMaxGameFileSize;

} // namespace

int Tool::patch(const QString &original, const QString &modified, const QString &output,
                std::optional<PatchFormat> format, std::optional<GameFile> entry) {
  if (output.isEmpty())
    return fail(QStringLiteral("请用 -o 指定补丁文件。"));
  if (entry && (namesImage(original) || namesImage(modified)))
    return patch(entryArgument(original, *entry), entryArgument(modified, *entry), output, format);
  const PatchFormat chosen = format.value_or(patchFormatFor(output));
  const PatchOutcome outcome =
      writePatchFile(typedGameFile(original), typedGameFile(modified), output, chosen);
  if (!outcome.error.isEmpty())
    return fail(outcome.error);
  out_ << QStringLiteral("%1 补丁已写入 %2：两个文件有 %3 字节不同。\n")
              .arg(patchFormatName(chosen), fileLabel(output))
              .arg(outcome.differingBytes);
  return finish(kSuccess, QStringLiteral("\n补丁文件已经写好，只是这条结果没能输出。"));
}

namespace {

// What a patch makes of a file's bytes, or why it does not fit them.
struct PatchedFile {
  QByteArray target;
  QString error;
  QString format;
};

PatchedFile ipsPatched(QByteArrayView patch, const QByteArray &source, const QString &file) {
  const IpsPatch ips = decodeIps(patch);
  if (!ips.error.isEmpty())
    return {{}, ips.error, QStringLiteral("IPS")};
  // Later records overwrite earlier ones, in the patch's order.
  QByteArray target = source;
  for (const IpsRecord &record : ips.records) {
    if (record.offset + record.bytes.size() > source.size())
      return {{},
              QStringLiteral("补丁要写入偏移 %1 起的 %2 字节，超出了文件“%3”的范围"
                             "（文件长 %4 字节）。这个补丁不是给这个文件的。")
                  .arg(hexOffset(record.offset))
                  .arg(record.bytes.size())
                  .arg(fileLabel(file))
                  .arg(source.size()),
              QStringLiteral("IPS")};
    std::copy(record.bytes.begin(), record.bytes.end(), target.begin() + record.offset);
  }
  return {target, {}, QStringLiteral("IPS")};
}

PatchedFile patched(QByteArrayView patch, const QByteArray &source, const QString &file) {
  if (patch.startsWith(QByteArrayView(kBpsMagic))) {
    BpsApplied bps = applyBps(patch, source);
    return {std::move(bps.target), bps.error, QStringLiteral("BPS")};
  }
  if (patch.startsWith("PATCH"))
    return ipsPatched(patch, source, file);
  return {{},
          QStringLiteral("补丁文件无效：开头既不是“BPS1”也不是“PATCH”，不是 BPS 或 IPS 补丁。"),
          {}};
}

QString crcText(quint32 crc) {
  return QStringLiteral("%1").arg(crc, 8, 16, QLatin1Char('0')).toUpper();
}

} // namespace

// Every changed stretch, read back after the commit, must hold the patched bytes
// (the target's CRC32 was checked before writing, and the rest of the file is the
// source it was checked against); when one does not, the old bytes of every
// changed stretch are put back. Stretches close together are read back in one
// read, so that a thousand scattered changes cost a few reads and not a thousand.
bool Tool::writtenAsPatched(const QString &file, const QByteArray &source, const QByteArray &target,
                            const std::vector<ByteRange> &spans) {
  constexpr qint64 kReadTogether = 64 * 1024;
  Module1::Operation check(typedGameFile(file));
  bool same = check.ok() && check.size() == target.size();
  for (auto first = spans.begin(); same && first != spans.end();) {
    auto end = std::next(first);
    while (end != spans.end() && end->start - std::prev(end)->end <= kReadTogether)
      ++end;
    const qint64 start = first->start;
    const QByteArray read = check.readBytes(start, std::prev(end)->end - start);
    same = check.ok();
    for (; same && first != end; ++first) {
      const qint64 length = first->end - first->start;
      same = QByteArrayView(read).sliced(first->start - start, length) ==
             QByteArrayView(target).sliced(first->start, length);
    }
  }
  if (same && check.ok())
    return true;
  const QString found =
      check.ok() ? crcText(crc32Of(check.readBytes(0, check.size()))) : check.error();
  for (const ByteRange &span : spans)
    check.writeBytes(span.start, QByteArrayView(source).sliced(span.start, span.end - span.start));
  const bool restored = check.close();
  fail(QStringLiteral("写入后文件的 CRC32 是 %1，补丁要求 %2。\n%3")
           .arg(found, crcText(crc32Of(target)),
                restored ? QStringLiteral("已经把原来的内容写回，文件没有改动。")
                         : QStringLiteral("写回原来的内容也失败了（%1），文件可能只改了一部分。")
                               .arg(check.error())));
  return false;
}

int Tool::apply(const QString &file, const QString &patchPath, bool dryRun,
                std::optional<GameFile> kind) {
  if (kind && namesImage(file))
    return apply(imageEntryPath(file, *kind), patchPath, dryRun, kind);
  const FileContents patchFile =
      readRegularFile(patchPath, kMaxPatchSize, QStringLiteral("补丁文件"));
  if (!patchFile.ok())
    return fail(patchFile.error + kNothingWritten);
  const QByteArray &patchBytes = patchFile.bytes;

  Module1::Operation op(typedGameFile(file));
  const QByteArray source = op.readBytes(0, op.size());
  if (!op.ok())
    return fail(op.error());
  const PatchedFile result = patched(patchBytes, source, file);
  if (!result.error.isEmpty())
    return fail(result.error + kNothingWritten);
  const std::vector<ByteRange> spans = changedRanges(0, source, result.target);
  qint64 changed = 0;
  for (const ByteRange &span : spans)
    changed += span.end - span.start;

  if (dryRun) {
    out_ << QStringLiteral("%1 补丁适用于“%2”。\n").arg(result.format, fileLabel(file));
    // A whole image's bytes are no game file's: only their count is told.
    if (!namesImage(file))
      listChanges(kind.value_or(guessFileKind(file)), source, result.target, Format::Text);
    out_ << QStringLiteral("试运行：上面的变化共 %1 字节；没有写入任何内容。\n").arg(changed);
    return finish(kSuccess);
  }
  for (const ByteRange &span : spans)
    op.writeBytes(span.start,
                  QByteArrayView(result.target).sliced(span.start, span.end - span.start));

  if (!op.close())
    return fail(op.error());

  if (!writtenAsPatched(file, source, result.target, spans))
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
