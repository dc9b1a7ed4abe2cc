// The Windows side of the file access: the same promises as on other systems,
// kept with Windows' own calls. Paths are passed as UTF-16, so folders with
// Chinese names open whatever the system's code page.

#include "io/regular_file.h"

#include "io/system_errors.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QTemporaryFile>
#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace korvane {

namespace {

// The full native form of `path`; one longer than the old 260-character limit
// gets the prefix that lifts it.
std::wstring nativePath(const QString &path) {
  const QString native =
      QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
  if (native.size() < MAX_PATH || native.startsWith(QLatin1String("\\\\?\\")))
    return native.toStdWString();
  if (native.startsWith(QLatin1String("\\\\"))) // \\server\share\...
    return (QLatin1String("\\\\?\\UNC\\") + native.mid(2)).toStdWString();
  return (QLatin1String("\\\\?\\") + native).toStdWString();
}

// True when `path` names a device or volume ("\\.\COM1"), never a file.
bool isDevicePath(const QString &path) {
  return QDir::toNativeSeparators(path).startsWith(QLatin1String("\\\\.\\"));
}

// The C runtime's flags for a descriptor opened in `mode`; always binary, so that
// no byte of a game file is ever translated.
int descriptorFlags(QIODevice::OpenMode mode) {
  const int access = mode.testFlag(QIODevice::WriteOnly)
                         ? (mode.testFlag(QIODevice::ReadOnly) ? _O_RDWR : _O_WRONLY)
                         : _O_RDONLY;
  return access | _O_BINARY;
}

// True for a plain file on a disk: not a pipe, a console, a device like NUL or
// COM1, a folder or a whole volume.
bool isRegularFile(HANDLE handle) {
  if (GetFileType(handle) != FILE_TYPE_DISK)
    return false;
  BY_HANDLE_FILE_INFORMATION info{};
  return GetFileInformationByHandle(handle, &info) &&
         !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

const QString kNotRegular = QStringLiteral("它不是普通文件（可能是管道、设备或文件夹）");

} // namespace

std::optional<FileIdentity> fileIdentity(const QString &path) {
  if (path.isEmpty() || isDevicePath(path))
    return std::nullopt;
  // Opened for no access at all, so that a file another program holds open is
  // still found; FILE_FLAG_BACKUP_SEMANTICS lets a folder be looked at too.
  HANDLE handle = CreateFileW(nativePath(path).c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool found = GetFileInformationByHandle(handle, &info);
  CloseHandle(handle);
  if (!found)
    return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

QString openRegularFile(QFile &file, QIODevice::OpenMode mode) {
  if (isDevicePath(file.fileName()))
    return kNotRegular;
  const std::wstring path = nativePath(file.fileName());
  DWORD access = 0;
  if (mode.testFlag(QIODevice::ReadOnly))
    access |= GENERIC_READ;
  if (mode.testFlag(QIODevice::WriteOnly))
    access |= GENERIC_WRITE;
  // Others may read and write the file while it is open here (an emulator that
  // keeps the game file open, say), but may not delete or rename it: the path
  // keeps naming the file that was checked until the operation ends.
  HANDLE handle = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    // A folder cannot be opened as a file at all; say what it is.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (code == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY))
      return kNotRegular;
    return windowsReason(code);
  }
  if (!isRegularFile(handle)) {
    CloseHandle(handle);
    return kNotRegular;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), descriptorFlags(mode));
  if (fd < 0) {
    const int code = errno;
    CloseHandle(handle);
    return systemReason(code);
  }
  if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
    _close(fd);
    return fileErrorReason(file);
  }
  return {};
}

QString replaceFile(const QString &path, const std::function<QString(QFile &)> &write) {
  const QFileInfo target(path);
  if (target.isDir())
    return systemReason(EISDIR);
  QString written;
  {
    QTemporaryFile file(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                        QStringLiteral(".XXXXXX"));
    if (!file.open())
      return fileErrorReason(file);
    if (QString reason = write(file); !reason.isEmpty() || !file.flush())
      return reason.isEmpty() ? fileErrorReason(file) : reason;
    // Windows renames only a file nobody holds open, this program included, and
    // QTemporaryFile lets go of its file only when it ends.
    written = file.fileName();
    file.setAutoRemove(false);
  }
  // The new file takes the folder's permissions, as any file made there would.
  if (!MoveFileExW(nativePath(written).c_str(), nativePath(path).c_str(),
                   MOVEFILE_REPLACE_EXISTING)) {
    const DWORD code = GetLastError();
    DeleteFileW(nativePath(written).c_str());
    return windowsReason(code);
  }
  return {};
}

// The locks this process holds, by file identity (volume serial and file index):
// each with the handle that carries the LockFileEx lock, the thread that holds it
// and how many FileLocks share it. A second handle of the same process would
// conflict with the first, so a lock taken again in the holding thread is shared.
namespace {

struct HeldLock {
  HANDLE handle = INVALID_HANDLE_VALUE;
  Qt::HANDLE thread = nullptr;
  int count = 0;
};

QMutex &heldLocksMutex() {
  static QMutex mutex;
  return mutex;
}

QHash<QString, HeldLock> &heldLocks() {
  static QHash<QString, HeldLock> held;
  return held;
}

// Windows byte-range locks are mandatory: locked bytes cannot be read or written
// through any other handle, this process's own included. So the writers' lock is
// one byte far past the end of any game file or image, which no read or write
// ever touches, and which every writer of this program asks for.
OVERLAPPED markerByte() {
  OVERLAPPED at{};
  at.Offset = 0;
  at.OffsetHigh = 0x7FFFFFFF;
  return at;
}

bool lockMarker(HANDLE handle) {
  OVERLAPPED at = markerByte();
  return LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at);
}

void unlockMarker(HANDLE handle) {
  OVERLAPPED at = markerByte();
  UnlockFileEx(handle, 0, 1, 0, &at);
}

} // namespace

FileLock::FileLock(const QString &path, std::chrono::milliseconds wait) {
  const QString shown = QFileInfo(path).absoluteFilePath();
  const std::optional<FileIdentity> identity = fileIdentity(path);
  if (!identity || isDevicePath(path))
    return; // nothing to keep apart: whoever opens it to write is told why it cannot
  HANDLE handle =
      CreateFileW(nativePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return;
  const QString key = QStringLiteral("%1:%2").arg(identity->volume).arg(identity->file);
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    {
      const QMutexLocker locker(&heldLocksMutex());
      HeldLock &held = heldLocks()[key];
      if (held.count > 0 && held.thread == QThread::currentThreadId()) {
        ++held.count;
        CloseHandle(handle);
        key_ = key;
        return;
      }
      if (held.count == 0) {
        if (lockMarker(handle)) {
          held = {handle, QThread::currentThreadId(), 1};
          key_ = key;
          return;
        }
        heldLocks().remove(key);
        const DWORD code = GetLastError();
        // A file system without locks cannot keep two writers apart: the file is
        // written as it was before locks existed.
        if (code == ERROR_NOT_SUPPORTED || code == ERROR_INVALID_FUNCTION) {
          CloseHandle(handle);
          return;
        }
        if (code != ERROR_LOCK_VIOLATION && code != ERROR_SHARING_VIOLATION) {
          error_ = QStringLiteral("无法锁定文件：\n%1\n原因：%2。").arg(shown, windowsReason(code));
          CloseHandle(handle);
          return;
        }
      }
    }
    if (std::chrono::steady_clock::now() >= deadline)
      break;
    QThread::msleep(20);
  }
  error_ = QStringLiteral("文件“%1”正在被另一个写入者使用（另一个程序或本程序的另一项操作），"
                          "等了 %2 秒仍未结束。\n"
                          "为了不让两次写入交错，这次什么也没有写；请等它结束后再试。")
               .arg(shown)
               .arg(double(wait.count()) / 1000.0);
  CloseHandle(handle);
}

FileLock::~FileLock() {
  if (key_.isEmpty())
    return;
  const QMutexLocker locker(&heldLocksMutex());
  const auto held = heldLocks().find(key_);
  if (held == heldLocks().end() || --held->count > 0)
    return;
  unlockMarker(held->handle);
  CloseHandle(held->handle);
  heldLocks().erase(held);
}

} // namespace korvane
