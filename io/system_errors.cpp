#include "io/system_errors.h"

#include <QFileDevice>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace korvane {

namespace {

struct KnownReason {
  int code;
  const char *english; // the text Qt gives for it whatever the locale
  const char16_t *chinese;
};

constexpr KnownReason kKnownReasons[] = {
    {ENOSPC, "No space left on device", u"磁盘空间不足"},
#ifdef EDQUOT
    {EDQUOT, "Disk quota exceeded", u"超出了磁盘配额"},
#endif
    {EACCES, "Permission denied", u"没有权限"},
    {EPERM, "Operation not permitted", u"系统不允许这样操作（没有权限）"},
    {ENOENT, "No such file or directory", u"文件或文件夹不存在"},
    {ENOTDIR, "Not a directory", u"路径中的某一级不是文件夹"},
    {EISDIR, "Is a directory", u"这是一个文件夹，不是文件"},
    {EROFS, "Read-only file system", u"所在的文件系统是只读的"},
    {EFBIG, "File too large", u"文件太大"},
    {EIO, "Input/output error", u"设备读写出错"},
    {EMFILE, "Too many open files", u"打开的文件太多"},
    {ETXTBSY, "Text file busy", u"文件正在被执行，不能写入"},
    {EEXIST, "File exists", u"同名的文件已经存在"},
};

QString localText(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

#ifdef Q_OS_WIN
struct WindowsReason {
  DWORD code;
  const char16_t *chinese;
};

// Windows' own texts are English on many Chinese systems, so the ones a user
// meets with a game file, a patch or a name list are told here.
constexpr WindowsReason kWindowsReasons[] = {
    {ERROR_FILE_NOT_FOUND, u"文件或文件夹不存在"},
    {ERROR_PATH_NOT_FOUND, u"文件或文件夹不存在"},
    {ERROR_ACCESS_DENIED, u"没有权限"},
    {ERROR_SHARING_VIOLATION, u"另一个程序（例如模拟器）正在使用这个文件，且不允许同时写入"},
    {ERROR_LOCK_VIOLATION, u"文件的这一部分被另一个程序锁定"},
    {ERROR_DISK_FULL, u"磁盘空间不足"},
    {ERROR_HANDLE_DISK_FULL, u"磁盘空间不足"},
    {ERROR_WRITE_PROTECT, u"磁盘有写保护"},
    {ERROR_NOT_READY, u"设备未就绪（光盘或移动磁盘可能已取出）"},
    {ERROR_INVALID_NAME, u"文件名、文件夹名或卷标的格式不正确"},
    {ERROR_FILENAME_EXCED_RANGE, u"文件名或路径太长"},
    {ERROR_TOO_MANY_OPEN_FILES, u"打开的文件太多"},
    {ERROR_INVALID_DRIVE, u"找不到指定的驱动器"},
    {ERROR_DIRECTORY, u"目录名称无效"},
    {ERROR_CRC, u"设备读写出错（数据校验错误）"},
    {ERROR_READ_FAULT, u"设备读取出错"},
    {ERROR_WRITE_FAULT, u"设备写入出错"},
    {ERROR_GEN_FAILURE, u"设备读写出错"},
    {ERROR_IO_DEVICE, u"设备读写出错"},
    {ERROR_USER_MAPPED_FILE, u"另一个程序把这个文件映射在内存中，不能写入"},
    {ERROR_BAD_NETPATH, u"找不到网络路径"},
    {ERROR_NETNAME_DELETED, u"网络连接已断开"},
    {ERROR_DEV_NOT_EXIST, u"设备已不存在"},
    {ERROR_FILE_EXISTS, u"文件已存在"},
    {ERROR_ALREADY_EXISTS, u"文件已存在"},
    {ERROR_NOT_ENOUGH_MEMORY, u"内存不足"},
    {ERROR_OUTOFMEMORY, u"内存不足"},
};

// Windows' text for `code` exactly as Qt puts it into a file's error string.
QString windowsText(DWORD code) {
  wchar_t *text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                     FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                 reinterpret_cast<wchar_t *>(&text), 0, nullptr);
  QString result = QString::fromWCharArray(text);
  LocalFree(text);
  if (result.endsWith(QLatin1String("\r\n")))
    result.chop(2);
  return result;
}
#endif

} // namespace

QString systemReason(int code) {
  for (const KnownReason &known : kKnownReasons)
    if (known.code == code)
      return QString::fromUtf16(known.chinese);
  return localText(code);
}

QString fileErrorReason(const QFileDevice &file) {
  if (file.error() == QFileDevice::NoError)
    return QStringLiteral("系统没有给出原因");
  const QString text = file.errorString();
  for (const KnownReason &known : kKnownReasons)
    if (text == QLatin1String(known.english) || text == localText(known.code))
      return QString::fromUtf16(known.chinese);
  if (text == QLatin1String("Unknown error"))
    return QStringLiteral("系统没有给出原因");
#ifdef Q_OS_WIN
  for (const WindowsReason &known : kWindowsReasons)
    if (text == windowsText(known.code))
      return QString::fromUtf16(known.chinese);
#endif
  return text;
}

#ifdef Q_OS_WIN
QString windowsReason(unsigned long code) {
  for (const WindowsReason &known : kWindowsReasons)
    if (known.code == code)
      return QString::fromUtf16(known.chinese);
  const QString text = windowsText(code);
  return text.isEmpty() ? QStringLiteral("Windows 错误 %1").arg(code) : text;
}
#endif

} // namespace korvane
