#include "io/rollback_journal.h"

#include "io/bps.h"
#include "io/system_errors.h"

#include <QDataStream>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace korvane {
namespace {

const QByteArray kMagic = QByteArrayLiteral("KORVANE-JOURNAL1");

JournalNoticeHandler &noticeHandler() {
  static JournalNoticeHandler handler = nullptr;
  return handler;
}

// Makes the journal's name in its folder reach the disk too (Windows keeps a
// folder's names with the files themselves).
void syncFolderOf([[maybe_unused]] const QString &path) {
#ifndef Q_OS_WIN
  const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                        O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
#endif
}

QString syncReason(QFile &file) {
  if (!file.flush())
    return fileErrorReason(file);
#ifdef Q_OS_WIN
  if (::_commit(file.handle()) != 0)
    return systemReason(errno);
#else
  if (::fdatasync(file.handle()) != 0)
    return systemReason(errno);
#endif
  return {};
}

// The spans a journal holds, or false when it is not whole: cut short while it
// was being written (before the file was touched), or not a journal of a file
// of `fileSize` bytes.
bool parseJournal(const QByteArray &bytes, qint64 fileSize, std::vector<JournalSpan> &spans,
                  bool &otherFile) {
  otherFile = false;
  if (bytes.size() < kMagic.size() + 16 || !bytes.startsWith(kMagic))
    return false;
  const QByteArrayView body = QByteArrayView(bytes).first(bytes.size() - 4);
  QDataStream trailer(bytes.right(4));
  quint32 crc = 0;
  trailer >> crc;
  if (crc != crc32Of(body))
    return false;
  QDataStream in(body.sliced(kMagic.size()).toByteArray());
  qint64 size = 0;
  quint32 count = 0;
  in >> size >> count;
  if (size != fileSize) {
    otherFile = true;
    return false;
  }
  for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
    JournalSpan span;
    in >> span.offset >> span.original;
    if (span.offset < 0 || span.offset > fileSize ||
        span.original.size() > fileSize - span.offset) {
      otherFile = true;
      return false;
    }
    spans.push_back(std::move(span));
  }
  return in.status() == QDataStream::Ok && in.atEnd();
}

} // namespace

QString journalPathOf(const QString &path) { return path + QStringLiteral(".korvane-journal"); }

QString writeJournal(QFile &file, const QString &path, const std::vector<JournalSpan> &spans) {
  QByteArray bytes = kMagic;
  {
    QDataStream out(&bytes, QIODevice::Append);
    out << file.size() << quint32(spans.size());
    for (const JournalSpan &span : spans)
      out << span.offset << span.original;
  }
  const quint32 crc = crc32Of(bytes);
  QDataStream(&bytes, QIODevice::Append) << crc;
  QFile journal(journalPathOf(path));
  if (!journal.open(QIODevice::WriteOnly | QIODevice::NewOnly))
    return QStringLiteral("写不出回滚日志 %1：%2")
        .arg(QDir::toNativeSeparators(journal.fileName()), fileErrorReason(journal));
  QString reason =
      journal.write(bytes) == bytes.size() ? syncReason(journal) : fileErrorReason(journal);
  journal.close();
  if (!reason.isEmpty()) {
    journal.remove();
    return QStringLiteral("写不出回滚日志 %1：%2")
        .arg(QDir::toNativeSeparators(journal.fileName()), reason);
  }
  syncFolderOf(journal.fileName());
  return {};
}

QString finishJournal(QFile &file, const QString &path) {
  if (QString reason = syncReason(file); !reason.isEmpty())
    return reason;
  QFile::remove(journalPathOf(path));
  syncFolderOf(path);
  return {};
}

QString recoverJournal(QFile &file, const QString &filePath, QString &notice) {
  const QString path = journalPathOf(filePath);
  QFile journal(path);
  if (!journal.exists())
    return {};
  const QString shownJournal = QDir::toNativeSeparators(path);
  const QString shownFile = QDir::toNativeSeparators(QFileInfo(filePath).absoluteFilePath());
  if (!journal.open(QIODevice::ReadOnly))
    return QStringLiteral("文件旁边有上次没写完的回滚日志 %1，但读不出它：%2。为了不在半写的文件上"
                          "继续修改，什么也没有写。")
        .arg(shownJournal, fileErrorReason(journal));
  std::vector<JournalSpan> spans;
  bool otherFile = false;
  const bool whole = parseJournal(journal.readAll(), file.size(), spans, otherFile);
  journal.close();
  if (otherFile)
    return QStringLiteral(
               "文件旁边的回滚日志 %1 不属于现在的 %2（记着的长度或位置对不上）。"
               "为了不写错字节，什么也没有写；如果确定文件没问题，请删除这个日志后再试。")
        .arg(shownJournal, shownFile);
  if (!whole) {
    // Cut short while it was being written: the file was not touched yet.
    QFile::remove(path);
    notice = QStringLiteral("%1 旁边有一份没写完的回滚日志：上次的写入在改动文件之前就中断了，"
                            "文件没有改动。已删除这份日志。")
                 .arg(shownFile);
    return {};
  }
  for (const JournalSpan &span : spans)
    if (!file.seek(span.offset) || file.write(span.original) != span.original.size())
      return QStringLiteral("上次写入 %1 时中断了，但按回滚日志 %2 恢复原来的内容失败：%3。")
          .arg(shownFile, shownJournal, fileErrorReason(file));
  if (QString reason = finishJournal(file, filePath); !reason.isEmpty())
    return QStringLiteral("上次写入 %1 时中断了，但按回滚日志 %2 恢复原来的内容失败：%3。")
        .arg(shownFile, shownJournal, reason);
  notice = QStringLiteral("上次写入 %1 时中断了（程序被结束或机器停止）。已按回滚日志把那次写入"
                          "之前的内容恢复（%2 处），文件和那次写入之前完全一样。")
               .arg(shownFile)
               .arg(spans.size());
  return {};
}

void setJournalNoticeHandler(JournalNoticeHandler handler) { noticeHandler() = handler; }

void reportJournalNotice(const QString &notice) {
  if (noticeHandler())
    noticeHandler()(notice);
  else
    qInfo().noquote() << notice;
}

} // namespace korvane
