#include "tools/korvane_tool/tool_shared.h"

#include "io/disc_image.h"
#include "io/module1.h"
#include "io/system_errors.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <memory>
#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace korvane::tool {
namespace {

// Gives the temporary file `from` the name `to` unless something has that name
// already (a file, or a link that would lead the write elsewhere): through a
// hard link where the file system has them, so that the check and the naming
// are one step.
int placeWithoutReplacing(const QString &from, const QString &to) {
#ifdef Q_OS_WIN
  // Windows' rename never replaces an existing file.
  return QFile::rename(from, to) ? 0 : EEXIST;
#else
  const QByteArray source = QFile::encodeName(from);
  const QByteArray target = QFile::encodeName(to);
  if (::link(source.constData(), target.constData()) == 0)
    return 0;
  if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS)
    return errno;
  struct stat status {};
  if (::lstat(target.constData(), &status) == 0)
    return EEXIST;
  return ::rename(source.constData(), target.constData()) == 0 ? 0 : errno;
#endif
}

// Gives a written file the permissions of any new file (a temporary file is
// readable by its owner only).
bool givePlainPermissions([[maybe_unused]] QTemporaryFile &file) {
#ifdef Q_OS_WIN
  return true;
#else
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return ::fchmod(file.handle(), 0666 & ~mask) == 0;
#endif
}

} // namespace

// Both game files are read and written under temporary names in the folder
// before either gets its name, so that a refused image or a failed write leaves
// nothing behind; nothing in the folder is ever replaced or written through.
int Tool::extract(const QString &image, const QString &folder) {
  const QDir target(folder);
  const QString names[] = {kExeEntryName, kStageEntryName};
  QByteArray contents[2];
  for (int i = 0; i < 2; ++i) {
    const QString path = target.filePath(names[i]);
    if (QFileInfo(path).isSymLink())
      return fail(QStringLiteral("“%1”是一个符号链接，写入它会写到别处，所以没有写。")
                      .arg(fileLabel(path)) +
                  kNothingWritten);
    if (QFileInfo::exists(path))
      return fail(QStringLiteral("“%1”已经存在，没有覆盖它。").arg(fileLabel(path)) +
                  kNothingWritten);
    const FileContents read =
        Module1::readWholeFile(GameFileRef{image, names[i]}, kMaxGameFileSize);
    if (!read.ok())
      return fail(read.error + kNothingWritten);
    contents[i] = read.bytes;
  }
  if (!target.exists() && !QDir().mkpath(folder))
    return fail(QStringLiteral("无法建立文件夹“%1”。").arg(fileLabel(folder)) + kNothingWritten);

  std::unique_ptr<QTemporaryFile> written[2];
  for (int i = 0; i < 2; ++i) {
    written[i] = std::make_unique<QTemporaryFile>(
        target.filePath(QStringLiteral(".") + names[i] + QStringLiteral(".XXXXXX")));
    QTemporaryFile &file = *written[i];
    if (!file.open() || file.write(contents[i]) != contents[i].size() || !file.flush() ||
        !givePlainPermissions(file))
      return fail(QStringLiteral("写不出“%1”：%2。")
                      .arg(fileLabel(target.filePath(names[i])), fileErrorReason(file)) +
                  kNothingWritten);
  }
  for (int i = 0; i < 2; ++i) {
    const QString path = target.filePath(names[i]);
    written[i]->close();
    if (const int code = placeWithoutReplacing(written[i]->fileName(), path); code != 0) {
      if (i == 1)
        QFile::remove(target.filePath(names[0]));
      return fail(QStringLiteral("写不出“%1”：%2。").arg(fileLabel(path), systemReason(code)) +
                  kNothingWritten);
    }
  }
  for (const QString &name : names)
    out_ << QStringLiteral("已写出 %1\n").arg(fileLabel(target.filePath(name)));
  out_.flush();
  return kSuccess;
}

} // namespace korvane::tool
