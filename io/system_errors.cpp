#include "io/system_errors.h"

#include <QFileDevice>
#include <cerrno>
#include <cstring>

namespace korvane {

namespace {

struct KnownReason {
  int code;
  const char *english; // the text Qt gives for it whatever the locale
  const char16_t *chinese;
};

constexpr KnownReason kKnownReasons[] = {
    {ENOSPC, "No space left on device", u"磁盘空间不足"},
    {EDQUOT, "Disk quota exceeded", u"超出了磁盘配额"},
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
  return text;
}

} // namespace korvane
