#include "io/game_files.h"

#include "io/disc_image.h"
#include "io/regular_file.h"

#include <QFileInfo>

namespace korvane {

QString gameFileName(GameFile file) {
  return file == GameFile::Exe ? kExeEntryName : kStageEntryName;
}

GamePaths &gamePaths() {
  static GamePaths paths;
  return paths;
}

std::optional<GameFile> gameFileAt(const QString &path) {
  if (path.isEmpty())
    return std::nullopt;
  if (path == gamePaths().ExePath)
    return GameFile::Exe;
  if (path == gamePaths().StagePath)
    return GameFile::Stage;
  // An entry of a disc image is the game file it is named after.
  const GameFileRef ref = GameFileRef::fromPathText(path);
  const QString name = ref.inImage() ? ref.entry : QFileInfo(path).fileName();
  for (GameFile file : {GameFile::Exe, GameFile::Stage})
    if (name.compare(gameFileName(file), Qt::CaseInsensitive) == 0)
      return file;
  return std::nullopt;
}

bool isSameFile(const QString &a, const QString &b) {
  if (a.isEmpty() || b.isEmpty())
    return false;
  if (a == b)
    return true;
  // An entry of a disc image is the same file only as the same entry of that image.
  const GameFileRef first = GameFileRef::fromPathText(a);
  const GameFileRef second = GameFileRef::fromPathText(b);
  if (first.entry != second.entry)
    return false;
  return onSameDiskFile(first.path, second.path) && QFileInfo::exists(first.path);
}

bool onSameDiskFile(const QString &a, const QString &b) {
  const QString first = GameFileRef::fromPathText(a).path;
  const QString second = GameFileRef::fromPathText(b).path;
  // By identity, not by path: a hard link names the file it links to under a
  // path of its own.
  const std::optional<FileIdentity> identity = fileIdentity(first);
  if (identity)
    return identity == fileIdentity(second);
  return QFileInfo(first).absoluteFilePath() == QFileInfo(second).absoluteFilePath();
}

} // namespace korvane
