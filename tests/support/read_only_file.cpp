#include "tests/support/read_only_file.h"

#include <QFile>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace korvane::test {

#ifdef Q_OS_LINUX
namespace {

bool setImmutable(const QString &path, bool on) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
  if (fd < 0)
    return false;
  int flags = 0;
  bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
  done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  ::close(fd);
  return done;
}

} // namespace
#endif

// On Windows taking the write permission sets the file's read-only attribute,
// which holds for administrators too.
ReadOnlyFile::ReadOnlyFile(QString path) : path_(std::move(path)) {
  QFile::setPermissions(path_, QFile::ReadOwner);
#ifdef Q_OS_LINUX
  if (::geteuid() == 0) {
    immutable_ = setImmutable(path_, true);
    ok_ = immutable_;
  }
#endif
  // Whatever the platform promised, a file that still opens for writing (Wine
  // running as root, say) is no read-only file.
  QFile probe(path_);
  if (ok_ && probe.open(QIODevice::ReadWrite))
    ok_ = false;
}

ReadOnlyFile::~ReadOnlyFile() {
#ifdef Q_OS_LINUX
  if (immutable_)
    setImmutable(path_, false);
#endif
  QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner);
}

} // namespace korvane::test
