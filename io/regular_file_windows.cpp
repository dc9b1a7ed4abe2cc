// The Windows side of the file access: the same promises as on other systems,
// kept with Windows' own calls. Paths are passed as UTF-16, so folders with
// Chinese names open whatever the system's code page.

#include "io/regular_file.h"

#include "io/held_locks.h"
#include "io/system_errors.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
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

namespace {

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

// A file system without locks cannot keep two writers apart: the file is
// written as it was before locks existed.
held_locks::Primitives markerPrimitives(DWORD &error) {
  const auto handleOf = [](held_locks::NativeHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
  };
  return {[&error, handleOf](held_locks::NativeHandle handle) {
            OVERLAPPED at = markerByte();
            if (LockFileEx(handleOf(handle), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0,
                           1, 0, &at))
              return held_locks::Attempt::Taken;
            error = GetLastError();
            if (error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION)
              return held_locks::Attempt::Taken;
            return error == ERROR_LOCK_VIOLATION || error == ERROR_SHARING_VIOLATION
                       ? held_locks::Attempt::Busy
                       : held_locks::Attempt::Failed;
          },
          [handleOf](held_locks::NativeHandle handle) {
            OVERLAPPED at = markerByte();
            UnlockFileEx(handleOf(handle), 0, 1, 0, &at);
            CloseHandle(handleOf(handle));
          },
          [handleOf](held_locks::NativeHandle handle) { CloseHandle(handleOf(handle)); }};
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
  DWORD error = 0;
  switch (held_locks::acquire(key, reinterpret_cast<held_locks::NativeHandle>(handle), wait,
                              markerPrimitives(error))) {
  case held_locks::Outcome::Held:
    key_ = key;
    return;
  case held_locks::Outcome::Failed:
    error_ = QStringLiteral("无法锁定文件：\n%1\n原因：%2。").arg(shown, windowsReason(error));
    return;
  case held_locks::Outcome::Busy:
    break;
  }
  error_ = QStringLiteral("文件“%1”正在被另一个写入者使用（另一个程序或本程序的另一项操作），"
                          "等了 %2 秒仍未结束。\n"
                          "为了不让两次写入交错，这次什么也没有写；请等它结束后再试。")
               .arg(shown)
               .arg(double(wait.count()) / 1000.0);
}

FileLock::~FileLock() {
  if (!key_.isEmpty()) {
    DWORD unused = 0;
    held_locks::release(key_, markerPrimitives(unused));
  }
}

} // namespace korvane
