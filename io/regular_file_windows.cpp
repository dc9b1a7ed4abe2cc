// The Windows side of the file access: the same promises as on other systems,
// kept with Windows' own calls. Paths are passed as UTF-16, so folders with
// Chinese names open whatever the system's code page.

#include "io/regular_file.h"

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

QString replaceFile(const QString &path, QByteArrayView bytes) {
  const QFileInfo target(path);
  if (target.isDir())
    return systemReason(EISDIR);
  QTemporaryFile file(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                      QStringLiteral(".XXXXXX"));
  if (!file.open())
    return fileErrorReason(file);
  if (file.write(bytes.data(), bytes.size()) != bytes.size() || !file.flush())
    return fileErrorReason(file);
  // Windows renames only a file nobody holds open, this program included. The
  // new file takes the folder's permissions, as any file made there would.
  file.close();
  if (!MoveFileExW(nativePath(file.fileName()).c_str(), nativePath(path).c_str(),
                   MOVEFILE_REPLACE_EXISTING))
    return windowsReason(GetLastError());
  file.setAutoRemove(false);
  return {};
}

} // namespace korvane
