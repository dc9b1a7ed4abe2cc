#include "io/patch_maker.h"

#include "io/bps.h"
#include "io/game_files.h"
#include "io/ips.h"
#include "io/module1.h"
#include "io/regular_file.h"

#include <QDir>
#include <cstring>
#include <optional>

namespace korvane {

namespace {

QString label(const QString &path) { return QDir::toNativeSeparators(path); }

// The game files and the disc images holding them; anything longer is no game file.
constexpr qint64 kMaxPatchedFileSize = qint64(16) * 1024 * 1024 * 1024;

std::optional<QByteArray> readWhole(const GameFileRef &file, QString &error) {
  FileContents contents = Module1::readWholeFile(file, kMaxPatchedFileSize);
  if (!contents.ok()) {
    error = contents.error + QStringLiteral("\n没有生成补丁。");
    return std::nullopt;
  }
  return std::move(contents.bytes);
}

qint64 countDifferences(QByteArrayView a, QByteArrayView b) {
  constexpr qsizetype kBlock = 4096;
  qint64 count = 0;
  for (qsizetype at = 0; at < a.size(); at += kBlock) {
    const qsizetype size = std::min(kBlock, a.size() - at);
    if (std::memcmp(a.data() + at, b.data() + at, size_t(size)) == 0)
      continue;
    for (qsizetype i = at; i < at + size; ++i)
      count += a[i] != b[i];
  }
  return count;
}

// The patch's bytes, or the reason the format cannot hold the change.
std::optional<QByteArray> encode(QByteArrayView before, QByteArrayView after, PatchFormat format,
                                 QString &error) {
  if (format == PatchFormat::Bps)
    return encodeBps(before, after);
  const IpsPatch ips = diffToIps(before, after);
  if (!ips.error.isEmpty()) {
    error = ips.error;
    return std::nullopt;
  }
  return encodeIps(ips.records);
}

} // namespace

PatchFormat patchFormatFor(const QString &path) {
  return path.endsWith(QLatin1String(".ips"), Qt::CaseInsensitive) ? PatchFormat::Ips
                                                                   : PatchFormat::Bps;
}

QString patchFormatName(PatchFormat format) {
  return format == PatchFormat::Bps ? QStringLiteral("BPS") : QStringLiteral("IPS");
}

PatchOutcome writePatchFile(const GameFileRef &original, const GameFileRef &modified,
                            const QString &output, PatchFormat format) {
  PatchOutcome outcome;
  for (const GameFileRef &gameFile : {original, modified})
    if (onSameDiskFile(GameFileRef::plain(output), gameFile)) {
      outcome.error =
          QStringLiteral("补丁文件“%1”就是游戏文件，没有写入任何内容。").arg(label(output));
      return outcome;
    }
  const std::optional<QByteArray> before = readWhole(original, outcome.error);
  if (!before)
    return outcome;
  const std::optional<QByteArray> after = readWhole(modified, outcome.error);
  if (!after)
    return outcome;
  if (before->size() != after->size()) {
    outcome.error = QStringLiteral("两个文件长度不同（%1 字节和 %2 字节）。补丁只记录同一个游戏文件"
                                   "两个版本之间的字节变化，请确认选对了原版文件。没有生成补丁。")
                        .arg(before->size())
                        .arg(after->size());
    return outcome;
  }
  const std::optional<QByteArray> patch = encode(*before, *after, format, outcome.error);
  if (!patch)
    return outcome;
  if (const QString reason = replaceFile(output, *patch); !reason.isEmpty()) {
    outcome.error = QStringLiteral("无法写入补丁文件：\n%1\n原因：%2。").arg(label(output), reason);
    return outcome;
  }
  outcome.differingBytes = countDifferences(*before, *after);
  return outcome;
}

} // namespace korvane
