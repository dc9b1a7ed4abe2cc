#include "tools/korvane_tool/tool_shared.h"

#include "io/disc_image.h"

#include <QDir>
#include <QFileInfo>

namespace korvane::tool {

// Both game files are found before either is written, so that a refused image
// leaves nothing behind; a file already in the folder is never replaced.
int Tool::extract(const QString &image, const QString &folder) {
  const QDir target(folder);
  for (const QString &name : {kExeEntryName, kStageEntryName}) {
    if (const ImageEntryResult found = findImageEntry(image, name); !found.ok())
      return fail(found.error + kNothingWritten);
    if (QFileInfo::exists(target.filePath(name)))
      return fail(QStringLiteral("“%1”已经存在，没有覆盖它。没有写入任何内容。")
                      .arg(fileLabel(target.filePath(name))));
  }
  if (!target.exists() && !QDir().mkpath(folder))
    return fail(QStringLiteral("无法建立文件夹“%1”。").arg(fileLabel(folder)));
  for (const QString &name : {kExeEntryName, kStageEntryName}) {
    QString error;
    if (!extractImageEntry(image, name, target.filePath(name), &error))
      return fail(error);
    out_ << QStringLiteral("已写出 %1\n").arg(fileLabel(target.filePath(name)));
  }
  out_.flush();
  return kSuccess;
}

} // namespace korvane::tool
