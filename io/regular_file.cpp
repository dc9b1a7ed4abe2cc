#include "io/regular_file.h"

#include "io/held_locks.h"
#include "io/system_errors.h"

#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace korvane {

// The POSIX side of opening and replacing files; Windows has its own in
// regular_file_windows.cpp.
#ifndef Q_OS_WIN
namespace {

// The open(2) flags of `mode`: reading, or reading and writing.
int accessFlags(QIODevice::OpenMode mode) {
  return mode.testFlag(QIODevice::WriteOnly)
             ? (mode.testFlag(QIODevice::ReadOnly) ? O_RDWR : O_WRONLY)
             : O_RDONLY;
}

} // namespace

std::optional<FileIdentity> fileIdentity(const QString &path) {
  struct stat status {};
  if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &status) != 0)
    return std::nullopt;
  return FileIdentity{quint64(status.st_dev), quint64(status.st_ino)};
}

QString openRegularFile(QFile &file, QIODevice::OpenMode mode) {
  const QByteArray name = QFile::encodeName(file.fileName());
  const int fd = ::open(name.constData(), accessFlags(mode) | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0)
    return systemReason(errno);
  struct stat status {};
  if (::fstat(fd, &status) != 0) {
    const int code = errno;
    ::close(fd);
    return systemReason(code);
  }
  if (!S_ISREG(status.st_mode)) {
    ::close(fd);
    return QStringLiteral("它不是普通文件（可能是管道、设备或文件夹）");
  }
  // O_NONBLOCK stays: it has no effect on a regular file, whose reads and writes
  // wait for the disk as usual, and clearing it would cost two more system calls
  // on every operation.
  if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return fileErrorReason(file);
  }
  return {};
}
#endif

FileContents readRegularFile(const QString &path, qint64 maxSize, const QString &kind) {
  const QString shown = QFileInfo(path).absoluteFilePath();
  QFile file(path);
  if (const QString reason = openRegularFile(file, QIODevice::ReadOnly); !reason.isEmpty())
    return {{}, QStringLiteral("无法打开文件：\n%1\n原因：%2。").arg(shown, reason), reason};
  const QString tooLong =
      QStringLiteral("文件“%1”超过 %2 字节，不是%3，没有读取。").arg(shown).arg(maxSize).arg(kind);
  const QString tooLongReason = QStringLiteral("超过 %1 字节，不是%2").arg(maxSize).arg(kind);
  if (file.size() > maxSize)
    return {{}, tooLong, tooLongReason};
  QByteArray bytes(file.size(), Qt::Uninitialized);
  const qint64 read = file.read(bytes.data(), bytes.size());
  if (read != bytes.size() || file.error() != QFileDevice::NoError) {
    const QString reason = fileErrorReason(file);
    return {{}, QStringLiteral("读取文件失败：\n%1\n原因：%2。").arg(shown, reason), reason};
  }
  char more = 0;
  if (file.getChar(&more))
    return {{}, tooLong, tooLongReason}; // it grew while being read
  return {std::move(bytes), {}, {}};
}

QString replaceFile(const QString &path, QByteArrayView bytes) {
  return replaceFile(path, [bytes](QFile &file) {
    return file.write(bytes.data(), bytes.size()) == bytes.size() && file.flush()
               ? QString()
               : fileErrorReason(file);
  });
}

#ifndef Q_OS_WIN
QString replaceFile(const QString &path, const std::function<QString(QFile &)> &write) {
  const QFileInfo target(path);
  if (target.isDir())
    return systemReason(EISDIR);
  QTemporaryFile file(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                      QStringLiteral(".XXXXXX"));
  if (!file.open())
    return fileErrorReason(file);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  struct stat old {};
  const QByteArray name = QFile::encodeName(target.absoluteFilePath());
  const mode_t mode = ::stat(name.constData(), &old) == 0 ? old.st_mode & 07777 : 0666 & ~mask;
  if (QString reason = write(file); !reason.isEmpty() || !file.flush())
    return reason.isEmpty() ? fileErrorReason(file) : reason;
  if (::fchmod(file.handle(), mode) != 0 ||
      ::rename(QFile::encodeName(file.fileName()).constData(), name.constData()) != 0)
    return systemReason(errno);
  file.setAutoRemove(false);
  return {};
}
#endif

} // namespace korvane

namespace korvane {

#ifndef Q_OS_WIN

namespace {

QString identityKey(const struct stat &status) {
  return QStringLiteral("%1:%2").arg(quint64(status.st_dev)).arg(quint64(status.st_ino));
}

// "进程 1234（korvane-tool）" for the process /proc/locks names as holding a
// flock lock on the file; empty when it names none.
QString lockHolder(const struct stat &status) {
  QFile locks(QStringLiteral("/proc/locks"));
  if (!locks.open(QIODevice::ReadOnly | QIODevice::Text))
    return {};
  const QString file = QStringLiteral("%1:%2:%3")
                           .arg(major(status.st_dev), 2, 16, QLatin1Char('0'))
                           .arg(minor(status.st_dev), 2, 16, QLatin1Char('0'))
                           .arg(quint64(status.st_ino));
  for (const QByteArray &line : locks.readAll().split('\n')) {
    const QList<QByteArray> fields = line.simplified().split(' ');
    const qsizetype at = fields.indexOf("FLOCK");
    if (at < 0 || at + 4 >= fields.size() || QString::fromLatin1(fields[at + 4]) != file)
      continue;
    const QByteArray pid = fields[at + 3];
    QFile comm(QStringLiteral("/proc/%1/comm").arg(QString::fromLatin1(pid)));
    const QString name = comm.open(QIODevice::ReadOnly)
                             ? QString::fromLocal8Bit(comm.readAll().trimmed())
                             : QString();
    return name.isEmpty() ? QStringLiteral("进程 %1").arg(QString::fromLatin1(pid))
                          : QStringLiteral("进程 %1（%2）").arg(QString::fromLatin1(pid), name);
  }
  return {};
}

// The writers' lock is flock(2)'s exclusive lock on the whole file. A file
// system without locks (some network shares) cannot keep two writers apart: the
// file is written as it was before locks existed.
held_locks::Primitives flockPrimitives(int &error) {
  return {[&error](held_locks::NativeHandle fd) {
            if (::flock(int(fd), LOCK_EX | LOCK_NB) == 0 || errno == ENOLCK ||
                errno == EOPNOTSUPP || errno == ENOSYS)
              return held_locks::Attempt::Taken;
            error = errno;
            return error == EWOULDBLOCK ? held_locks::Attempt::Busy : held_locks::Attempt::Failed;
          },
          [](held_locks::NativeHandle fd) {
            ::flock(int(fd), LOCK_UN);
            ::close(int(fd));
          },
          [](held_locks::NativeHandle fd) { ::close(int(fd)); }};
}

} // namespace

FileLock::FileLock(const QString &path, std::chrono::milliseconds wait) {
  const QString shown = QFileInfo(path).absoluteFilePath();
  const int fd =
      ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  struct stat status {};
  if (fd < 0 || ::fstat(fd, &status) != 0) {
    // Nothing to keep apart: whoever opens it to write is told why it cannot.
    if (fd >= 0)
      ::close(fd);
    return;
  }
  const QString key = identityKey(status);
  int error = 0;
  switch (held_locks::acquire(key, fd, wait, flockPrimitives(error))) {
  case held_locks::Outcome::Held:
    key_ = key;
    return;
  case held_locks::Outcome::Failed:
    error_ = QStringLiteral("无法锁定文件：\n%1\n原因：%2。").arg(shown, systemReason(error));
    return;
  case held_locks::Outcome::Busy:
    break;
  }
  QString holder = lockHolder(status);
  if (holder.isEmpty())
    holder = QStringLiteral("本程序的另一项操作");
  error_ = QStringLiteral("文件“%1”正在被另一个写入者使用（%2），等了 %3 秒仍未结束。\n"
                          "为了不让两次写入交错，这次什么也没有写；请等它结束后再试。")
               .arg(shown, holder)
               .arg(double(wait.count()) / 1000.0);
}

FileLock::~FileLock() {
  if (!key_.isEmpty()) {
    int unused = 0;
    held_locks::release(key_, flockPrimitives(unused));
  }
}

#endif // the Windows lock is in regular_file_windows.cpp

} // namespace korvane
