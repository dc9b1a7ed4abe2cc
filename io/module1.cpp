#include "io/module1.h"

#include "io/change_history.h"
#include "io/disc_image.h"
#include "io/regular_file.h"
#include "io/rollback_journal.h"
#include "io/system_errors.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <cstring>
#include <vector>

namespace Module1 {

namespace {

constexpr qint64 kWindowSize = 4096;
constexpr qint64 kMaxFilledGap = 1024;

int hexDigitValue(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9')
    return u - u'0';
  if (u >= u'A' && u <= u'F')
    return u - u'A' + 10;
  if (u >= u'a' && u <= u'f')
    return u - u'a' + 10;
  return -1;
}

QString hexByte(quint8 value) {
  return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

qint64 ParseHex(QStringView text) {
  quint64 sum = 0;
  for (QChar c : text)
    sum = sum * 16 + quint64(qMax(0, hexDigitValue(c)));
  return qint64(sum);
}

QString FileOrderHex(quint32 value, int width) {
  QString text;
  for (int i = 0; i < width; ++i)
    text += hexByte(quint8(value >> (8 * i)));
  return text;
}

bool IsHexDigits(QStringView text) {
  if (text.isEmpty())
    return false;
  for (QChar c : text)
    if (hexDigitValue(c) < 0)
      return false;
  return true;
}

namespace {

// An entry of a disc image, read as a file of its own.
FileContents readImageEntry(const korvane::GameFileRef &ref, qint64 maxSize) {
  const auto refused = [](QString error, QString reason = {}) {
    return FileContents{{}, std::move(error), std::move(reason)};
  };
  const korvane::ImageEntryResult found = korvane::findImageEntry(ref.path, ref.entry);
  if (!found.ok())
    return refused(found.error);
  const QString shown = ref.displayName();
  if (found.entry.size > maxSize)
    return refused(
        QStringLiteral("文件“%1”超过 %2 字节，不是游戏文件，没有读取。").arg(shown).arg(maxSize));
  QFile image(ref.path);
  if (const QString reason = korvane::openRegularFile(image, QIODevice::ReadOnly);
      !reason.isEmpty())
    return refused(QStringLiteral("无法打开文件：\n%1\n原因：%2。").arg(shown, reason), reason);
  QByteArray bytes(found.entry.size, Qt::Uninitialized);
  if (!image.seek(found.entry.start) || image.read(bytes.data(), bytes.size()) != bytes.size()) {
    const QString reason = korvane::fileErrorReason(image);
    return refused(QStringLiteral("读取文件失败：\n%1\n原因：%2。").arg(shown, reason), reason);
  }
  return {std::move(bytes), {}, {}};
}

// Once per image and run: its own MD5 records no longer match what was written.
void tellChecksumTagsOutdated(const QString &imagePath) {
  static QSet<QString> told;
  if (told.contains(imagePath))
    return;
  told.insert(imagePath);
  korvane::reportJournalNotice(
      QStringLiteral("光盘镜像 %1 带有 xorriso 记下的 MD5 校验值（制作时用了 -md5 on）。修改以后，"
                     "镜像自己记的 MD5 与改过的内容不再相符：xorriso -check_md5 之类的检查会报告"
                     "不符（游戏和模拟器不读这些记录）。需要一致时，请用 xorriso 重新生成镜像。")
          .arg(QDir::toNativeSeparators(imagePath)));
}

} // namespace

FileContents readWholeFile(const korvane::GameFileRef &file, qint64 maxSize) {
  // A commit cut short is undone before its half-written bytes are read.
  if (QFile::exists(korvane::journalPathOf(file.path))) {
    Operation recovery(file);
    if (!recovery.ok())
      return {{}, recovery.error(), recovery.error()};
    recovery.close();
  }
  if (file.inImage())
    return readImageEntry(file, maxSize);
  return korvane::readRegularFile(file.path, maxSize, QStringLiteral("游戏文件"));
}

Operation::Operation(const korvane::GameFileRef &file)
    : ref_(file), gameFile_(korvane::gameFileAt(file)) {
  if (file.isEmpty()) {
    fail(QStringLiteral("尚未选择要打开的文件。"));
    return;
  }
  const korvane::GameFileRef &ref = ref_;
  file_.setFileName(ref.path);
  if (const QString reason =
          korvane::openRegularFile(file_, QIODevice::ReadWrite | QIODevice::Unbuffered);
      !reason.isEmpty()) {
    fail(QStringLiteral("无法以读写方式打开文件：\n%1\n原因：%2。")
             .arg(QFileInfo(ref.path).absoluteFilePath(), reason));
    return;
  }
  lock_ = std::make_unique<korvane::FileLock>(ref.path);
  QString notice;
  if (!lock_->ok() || !ok()) {
    fail(lock_->error());
  } else if (const QString reason = korvane::recoverJournal(file_, ref.path, notice);
             !reason.isEmpty()) {
    fail(reason);
  }
  if (!ok()) {
    file_.close();
    lock_.reset();
    return;
  }
  if (!notice.isEmpty())
    korvane::reportJournalNotice(notice);
  if (!ref.inImage()) {
    size_ = file_.size();
    return;
  }
  // The image may have been rebuilt since the last operation: the entry is found
  // afresh, and every offset below counts from its first byte.
  const korvane::ImageEntryResult found = korvane::locateImageEntry(file_, ref.path, ref.entry);
  if (!found.ok()) {
    fail(found.error + QStringLiteral("\n没有写入任何内容。"));
    file_.close();
    return;
  }
  base_ = found.entry.start;
  size_ = found.entry.size;
  checksumTags_ = found.entry.checksumTags;
}

Operation::~Operation() {
  if (file_.isOpen())
    file_.close();
}

// Under the lock, just before the first write: the image entry still lies where
// the operation found it (a program that does not take the lock may have
// rebuilt the image since).
bool Operation::placementHolds() {
  if (!ref_.inImage())
    return file_.size() == size_;
  const korvane::ImageEntryResult found = korvane::locateImageEntry(file_, ref_.path, ref_.entry);
  if (found.ok() && found.entry.start == base_ && found.entry.size == size_)
    return true;
  commitReason_ =
      QStringLiteral("光盘镜像在这次操作中被别的程序改写了，%1 已不在原来的位置").arg(ref_.entry);
  return false;
}

void Operation::fail(const QString &message) {
  if (error_.isEmpty())
    error_ = message;
}

bool Operation::requireSpan(qint64 offset, qint64 length, const QString &what) {
  if (!ok())
    return false;
  if (offset < 0 || offset + length > size_) {
    fail(QStringLiteral("文件“%1”只有 %2 字节，容纳不下%3（需要到偏移 0x%4）。\n"
                        "请确认打开的是正确的游戏文件。没有写入任何内容。")
             .arg(ref_.shortName())
             .arg(size_)
             .arg(what)
             .arg(QString::number(offset + length, 16).toUpper()));
    return false;
  }
  return true;
}

quint8 Operation::byteAt(qint64 offset) {
  if (offset < 0 || offset >= size_ || !file_.isOpen())
    return 0;
  if (char held = 0; held_.find(offset, held))
    return quint8(held);
  if (windowStart_ < 0 || offset < windowStart_ || offset >= windowStart_ + window_.size()) {
    window_.clear();
    windowStart_ = offset;
    if (file_.seek(base_ + offset))
      window_ = file_.read(std::min(kWindowSize, size_ - offset));
    if (window_.isEmpty()) {
      fail(QStringLiteral("读取文件失败：\n%1\n原因：%2。")
               .arg(ref_.displayName(), korvane::fileErrorReason(file_)));
      windowStart_ = -1;
      return 0;
    }
  }
  return quint8(window_.at(offset - windowStart_));
}

quint8 Operation::ReadByte() {
  const quint8 value = byteAt(qint64(FilePos) - 1);
  FilePos += 1;
  return value;
}

quint16 Operation::ReadWord() {
  const quint16 low = ReadByte();
  const quint16 high = ReadByte();
  return quint16(low | (high << 8));
}

qint32 Operation::ReadDword() {
  const quint32 low = ReadWord();
  const quint32 high = ReadWord();
  return qint32(low | (high << 16));
}

QString Operation::ReadByteHex() { return hexByte(ReadByte()); }

QString Operation::ReadWordHex() { return FileOrderHex(ReadWord(), 2); }

QString Operation::ReadDwordHex() { return FileOrderHex(quint32(ReadDword()), 4); }

// Holds the `width` little-endian bytes of `value` at FilePos and advances it.
void Operation::put(quint32 value, int width) {
  const qint64 offset = qint64(FilePos) - 1;
  FilePos += width;
  if (!writable(offset, width))
    return;
  char bytes[4];
  for (int i = 0; i < width; ++i)
    bytes[i] = char(value >> (8 * i));
  held_.put(offset, bytes, width);
}

// False, failing the operation, when the `width` bytes at `offset` may not be held.
// Every accessor write passes here, so the message is made out of line.
bool Operation::writable(qint64 offset, qint64 width) {
  if (!ok())
    return false;
  if (offset < 0 || width < 0 || offset + width > size_) [[unlikely]] {
    failOutside(offset, width);
    return false;
  }
  return true;
}

void Operation::failOutside(qint64 offset, qint64 width) {
  fail(QStringLiteral("写入位置 0x%1 起的 %2 字节超出了文件“%3”的范围（文件长 %4 字节）。\n"
                      "请确认打开的是正确的游戏文件。没有写入任何内容。")
           .arg(QString::number(offset, 16).toUpper())
           .arg(width)
           .arg(ref_.shortName())
           .arg(size_));
}

void Operation::writeBytes(qint64 offset, QByteArrayView bytes) {
  FilePos = qint32(offset + bytes.size() + 1);
  if (!writable(offset, bytes.size()) || bytes.isEmpty())
    return;
  held_.put(offset, bytes.data(), bytes.size());
}

QByteArray Operation::readBytes(qint64 offset, qint64 length) {
  QByteArray bytes(std::max<qint64>(length, 0), Qt::Uninitialized);
  if (!readInto(offset, bytes.data(), length))
    return {};
  return bytes;
}

bool Operation::readInto(qint64 offset, char *to, qint64 length) {
  FilePos = qint32(offset + length + 1);
  if (length < 0 || !requireSpan(offset, length, QStringLiteral("要读取的数据")) || !file_.isOpen())
    return false;
  if (!file_.seek(base_ + offset) || file_.read(to, length) != length) {
    fail(QStringLiteral("读取文件失败：\n%1\n原因：%2。")
             .arg(ref_.displayName(), korvane::fileErrorReason(file_)));
    return false;
  }
  // The held bytes inside the span stand for what the file will hold.
  held_.overlay(offset, to, length);
  return true;
}

void Operation::WriteByte(int value) {
  if (value < 0 || value > 0xFF) {
    fail(QStringLiteral("%1 不是 0 到 255 之间的数，没有写入任何内容。").arg(value));
    FilePos += 1;
    return;
  }
  put(quint32(value), 1);
}

void Operation::WriteWord(int value) {
  if (value < 0 || value > 0xFFFF) {
    fail(QStringLiteral("%1 不是 0 到 65535 之间的数，没有写入任何内容。").arg(value));
    FilePos += 2;
    return;
  }
  put(quint32(value), 2);
}

void Operation::WriteDword(qint32 value) { put(quint32(value), 4); }

void Operation::WriteByteHex(QStringView text) {
  if (!IsHexDigits(text) || ParseHex(text) > 0xFF) {
    fail(QStringLiteral("“%1”不是 00 到 FF 之间的十六进制数，没有写入任何内容。")
             .arg(text.toString()));
    FilePos += 1;
    return;
  }
  put(quint32(ParseHex(text)), 1);
}

// The text is cut from the left into groups of two digits, the first group being
// the first byte in the file; a missing group is 0 and a lone last digit is its
// own value, so "123" writes 12 03. Characters past the last group are ignored.
void Operation::writeGroups(QStringView text, int width) {
  if (!IsHexDigits(text)) {
    fail(QStringLiteral("“%1”不是十六进制数，没有写入任何内容。").arg(text.toString()));
    FilePos += width;
    return;
  }
  quint32 value = 0;
  for (int i = 0; i < width; ++i)
    value |= quint32(ParseHex(text.mid(2 * i, 2))) << (8 * i);
  put(value, width);
}

void Operation::WriteWordHex(QStringView text) { writeGroups(text, 2); }

void Operation::WriteDwordHex(QStringView text) { writeGroups(text, 4); }

// Held bytes are written as few runs as possible: a short gap between two of them
// is filled with the bytes the file already holds there (read within this same
// operation), so the file changes exactly at the written bytes while a whole
// record goes out in one system write. Every run's old bytes are read before the
// first is written, so that a write the system refuses part of the way can put
// back what it had already written: a commit changes all of its bytes or none.
bool Operation::flushPending() {
  // Stretches of held bytes, and the runs they are written in, as [first, last) offsets.
  std::vector<std::pair<qint64, qint64>> written;
  std::vector<std::pair<qint64, qint64>> runs;
  held_.forEachWritten([&](qint64 first, qint64 last) {
    written.push_back({first, last});
    if (!runs.empty() && first - runs.back().second <= kMaxFilledGap)
      runs.back().second = last;
    else
      runs.push_back({first, last});
  });

  if (!placementHolds()) {
    restored_ = true;
    return false;
  }
  // Every buffer is made before the first write, so that running out of memory
  // stops the commit while the file is as it was.
  std::vector<QByteArray> old;
  std::vector<QByteArray> now;
  old.reserve(runs.size());
  now.reserve(runs.size());
  for (const auto &[begin, end] : runs) {
    QByteArray bytes(end - begin, Qt::Uninitialized);
    if (!file_.seek(base_ + begin) || file_.read(bytes.data(), bytes.size()) != bytes.size()) {
      restored_ = true; // refused before the first write: the file is as it was
      return false;
    }
    now.emplace_back(bytes.constData(), bytes.size());
    held_.overlay(begin, now.back().data(), now.back().size());
    if (korvane::changeHistory().enabled())
      keepChanges(written, begin, bytes, now.back());
    old.push_back(std::move(bytes));
  }
  // One write either happens or not, even if the program is killed; several
  // are covered by the rollback journal.
  const bool journaled = runs.size() > 1;
  if (journaled) {
    std::vector<korvane::JournalSpan> spans;
    spans.reserve(runs.size());
    for (size_t run = 0; run < runs.size(); ++run)
      spans.push_back({base_ + runs[run].first, old[run]});
    if (QString reason = korvane::writeJournal(file_, ref_.path, spans); !reason.isEmpty()) {
      commitReason_ = std::move(reason);
      restored_ = true;
      return false;
    }
  }
  for (size_t run = 0; run < runs.size(); ++run) {
    if (!file_.seek(base_ + runs[run].first) || file_.write(now[run]) != now[run].size()) {
      restoreRuns(runs, old, run + 1);
      if (journaled && restored_)
        QFile::remove(korvane::journalPathOf(ref_.path));
      return false;
    }
  }
  if (!journaled)
    return file_.flush();
  if (QString reason = korvane::finishJournal(file_, ref_.path); !reason.isEmpty()) {
    commitReason_ = std::move(reason);
    restoreRuns(runs, old, runs.size());
    if (restored_)
      QFile::remove(korvane::journalPathOf(ref_.path));
    return false;
  }
  return true;
}

// Puts back the old bytes of the first `count` runs after a failed write (the last
// of them may be written in part, or not at all), then reads them back: the file
// counts as restored only when it holds every old byte again.
void Operation::restoreRuns(const std::vector<std::pair<qint64, qint64>> &runs,
                            const std::vector<QByteArray> &old, size_t count) {
  for (size_t run = 0; run < count; ++run)
    if (file_.seek(base_ + runs[run].first))
      file_.write(old[run]);
  restored_ = true;
  for (size_t run = 0; run < count && restored_; ++run) {
    QByteArray now(old[run].size(), Qt::Uninitialized);
    restored_ = file_.seek(base_ + runs[run].first) &&
                file_.read(now.data(), now.size()) == now.size() && now == old[run];
  }
}

// Keeps, for the change history, every stretch of `written` in the run at `begin`
// that changes at least one of its `old` bytes; `now` is the run as written.
void Operation::keepChanges(const std::vector<std::pair<qint64, qint64>> &written, qint64 begin,
                            const QByteArray &old, const QByteArray &now) {
  const qint64 end = begin + old.size();
  auto stretch = std::partition_point(written.begin(), written.end(),
                                      [begin](const auto &s) { return s.second <= begin; });
  for (; stretch != written.end() && stretch->first < end; ++stretch) {
    const auto [first, last] = *stretch;
    const QByteArrayView was = QByteArrayView(old).sliced(first - begin, last - first);
    const QByteArrayView is = QByteArrayView(now).sliced(first - begin, last - first);
    if (was != is)
      changes_.append(first, was, is);
  }
}

void Operation::dropHeld() {
  changes_ = {};
  held_.clear();
}

bool Operation::close() {
  if (!file_.isOpen())
    return false;
  if (!ok()) {
    dropHeld();
    file_.close();
    lock_.reset();
    return false;
  }
  const bool written = held_.empty() || flushPending();
  // The system's reason is read before closing clears it, and only when needed.
  const QString reason = written                    ? QString()
                         : !commitReason_.isEmpty() ? commitReason_
                                                    : korvane::fileErrorReason(file_);
  file_.close();
  const bool closed = file_.error() == QFileDevice::NoError;
  lock_.reset();
  if (!written || !closed) {
    const QString outcome = !written && restored_
                                ? QStringLiteral("已写入的部分已经恢复，文件没有改动。")
                                : QStringLiteral("文件可能只写入了一部分。");
    fail(QStringLiteral("写入文件失败：\n%1\n原因：%2。\n%3")
             .arg(ref_.displayName(), written ? korvane::fileErrorReason(file_) : reason, outcome));
    dropHeld();
    return false;
  }
  if (checksumTags_ && !held_.empty())
    tellChecksumTagsOutdated(ref_.path);
  // Only a commit that reached the disk whole keeps its changes for the history.
  committed_ = std::move(changes_);
  dropHeld();
  return true;
}

} // namespace Module1
