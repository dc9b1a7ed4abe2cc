#include "io/patch_maker.h"

#include "io/bps.h"
#include "io/byte_diff.h"
#include "io/disc_image.h"
#include "io/game_files.h"
#include "io/ips.h"
#include "io/regular_file.h"
#include "io/system_errors.h"

#include <QDir>
#include <QFile>
#include <cstring>

namespace korvane {

namespace {

QString label(const QString &path) { return QDir::toNativeSeparators(path); }

const QString kNoPatch = QStringLiteral("\n没有生成补丁。");

// The two files are compared a block at a time, so that two disc images of
// several GB make a patch in little memory.
constexpr qint64 kBlock = 1 << 20;
// An IPS patch reaches no further than its last offset and one record.
constexpr qint64 kIpsReach = kIpsLargestOffset + 1 + 0xFFFF;

// A game file open for reading: a plain file, or an entry's extent in its image.
class GameFileReader {
public:
  // False, with the message in `error`, when the file cannot be opened or found.
  bool open(const GameFileRef &ref, QString &error) {
    shown_ = ref.inImage() ? ref.displayName() : label(ref.path);
    file_.setFileName(ref.path);
    if (const QString reason = openRegularFile(file_, QIODevice::ReadOnly); !reason.isEmpty()) {
      error = QStringLiteral("无法打开文件：\n%1\n原因：%2。").arg(shown_, reason) + kNoPatch;
      return false;
    }
    if (!ref.inImage()) {
      size_ = file_.size();
      return true;
    }
    const ImageEntryResult found = locateImageEntry(file_, ref.path, ref.entry);
    if (!found.ok()) {
      error = found.error + kNoPatch;
      return false;
    }
    base_ = found.entry.start;
    size_ = found.entry.size;
    return true;
  }
  qint64 size() const { return size_; }
  bool read(qint64 offset, QByteArray &bytes, QString &error) {
    if (file_.seek(base_ + offset) && file_.read(bytes.data(), bytes.size()) == bytes.size())
      return true;
    error = QStringLiteral("读取文件失败：\n%1\n原因：%2。").arg(shown_, fileErrorReason(file_)) +
            kNoPatch;
    return false;
  }

private:
  QFile file_;
  QString shown_;
  qint64 base_ = 0;
  qint64 size_ = 0;
};

qint64 countDifferences(QByteArrayView a, QByteArrayView b) {
  constexpr qsizetype kStep = 4096;
  qint64 count = 0;
  for (qsizetype at = 0; at < a.size(); at += kStep) {
    const qsizetype size = std::min(kStep, a.size() - at);
    if (std::memcmp(a.data() + at, b.data() + at, size_t(size)) == 0)
      continue;
    for (qsizetype i = at; i < at + size; ++i)
      count += a[i] != b[i];
  }
  return count;
}

// Hands `compare` the two files' blocks from `from` on, in order, while it
// returns true; false, with the message in `error`, when a read failed.
template <class Compare>
bool compareBlocks(GameFileReader &before, GameFileReader &after, qint64 from, QString &error,
                   Compare compare) {
  QByteArray was;
  QByteArray is;
  for (qint64 at = from; at < before.size(); at += kBlock) {
    const qint64 length = std::min(kBlock, before.size() - at);
    was.resize(length);
    is.resize(length);
    if (!before.read(at, was, error) || !after.read(at, is, error))
      return false;
    if (!compare(at, QByteArrayView(was), QByteArrayView(is)))
      break;
  }
  return true;
}

QString writeFailed(const QString &output, const QString &reason) {
  return QStringLiteral("无法写入补丁文件：\n%1\n原因：%2。").arg(label(output), reason);
}

// The patch goes to the file as it is made.
void writeBps(GameFileReader &before, GameFileReader &after, const QString &output,
              PatchOutcome &outcome) {
  QString readError;
  const QString reason = replaceFile(output, [&](QFile &file) {
    BpsWriter writer(before.size(), [&file](QByteArrayView piece) {
      return file.write(piece.data(), piece.size()) == piece.size();
    });
    const bool read = compareBlocks(before, after, 0, readError,
                                    [&](qint64, QByteArrayView was, QByteArrayView is) {
                                      writer.compare(was, is);
                                      outcome.differingBytes += countDifferences(was, is);
                                      return !writer.failed();
                                    });
    if (!read)
      return readError;
    return writer.finish() ? QString() : fileErrorReason(file);
  });
  if (!readError.isEmpty())
    outcome.error = readError;
  else if (!reason.isEmpty())
    outcome.error = writeFailed(output, reason);
}

// An IPS patch holds only the first 16 MB of a file: that much of both is read
// whole, and the rest only compared, so that a change there refuses the patch.
void writeIps(GameFileReader &before, GameFileReader &after, const QString &output,
              PatchOutcome &outcome) {
  QByteArray was(std::min(before.size(), kIpsReach), Qt::Uninitialized);
  QByteArray is(was.size(), Qt::Uninitialized);
  if (!before.read(0, was, outcome.error) || !after.read(0, is, outcome.error))
    return;
  const IpsPatch ips = diffToIps(was, is);
  if (!ips.error.isEmpty()) {
    outcome.error = ips.error;
    return;
  }
  qint64 outOfReach = -1;
  const bool read = compareBlocks(
      before, after, was.size(), outcome.error, [&](qint64 at, QByteArrayView a, QByteArrayView b) {
        if (const qsizetype change = firstChange(a, b, 0); change < a.size())
          outOfReach = at + change;
        return outOfReach < 0;
      });
  if (!read)
    return;
  if (outOfReach >= 0) {
    outcome.error = ipsOutOfReach(outOfReach);
    return;
  }
  if (const QString reason = replaceFile(output, encodeIps(ips.records)); !reason.isEmpty()) {
    outcome.error = writeFailed(output, reason);
    return;
  }
  outcome.differingBytes = countDifferences(was, is);
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
  GameFileReader before;
  GameFileReader after;
  if (!before.open(original, outcome.error) || !after.open(modified, outcome.error))
    return outcome;
  if (before.size() != after.size()) {
    outcome.error = QStringLiteral("两个文件长度不同（%1 字节和 %2 字节）。补丁只记录同一个游戏文件"
                                   "两个版本之间的字节变化，请确认选对了原版文件。没有生成补丁。")
                        .arg(before.size())
                        .arg(after.size());
    return outcome;
  }
  if (format == PatchFormat::Bps)
    writeBps(before, after, output, outcome);
  else
    writeIps(before, after, output, outcome);
  if (!outcome.error.isEmpty())
    outcome.differingBytes = 0;
  return outcome;
}

} // namespace korvane
