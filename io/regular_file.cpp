#include "io/regular_file.h"

#include "io/system_errors.h"

#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane {

namespace {

// The open(2) flags of `mode`: reading, or reading and writing.
int accessFlags(QIODevice::OpenMode mode) {
  return mode.testFlag(QIODevice::WriteOnly)
             ? (mode.testFlag(QIODevice::ReadOnly) ? O_RDWR : O_WRONLY)
             : O_RDONLY;
}

} // namespace

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

std::optional<FileIdentity> fileIdentity(const QString &path) {
  struct stat status {};
  if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &status) != 0)
    return std::nullopt;
  return FileIdentity{quint64(status.st_dev), quint64(status.st_ino)};
}

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
  if (file.write(bytes.data(), bytes.size()) != bytes.size() || !file.flush())
    return fileErrorReason(file);
  if (::fchmod(file.handle(), mode) != 0 ||
      ::rename(QFile::encodeName(file.fileName()).constData(), name.constData()) != 0)
    return systemReason(errno);
  file.setAutoRemove(false);
  return {};
}

} // namespace korvane
