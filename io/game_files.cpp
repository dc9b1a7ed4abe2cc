#include "io/game_files.h"

#include "io/regular_file.h"

#include <QDir>
#include <QFileInfo>

namespace korvane {

const QString kEntrySeparator = QStringLiteral(" \u203A ");

QString gameFileName(GameFile file) {
  return file == GameFile::Exe ? kExeEntryName : kStageEntryName;
}

QString GameFileRef::displayName() const {
  const QString shown = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
  return inImage() ? shown + kEntrySeparator + entry : shown;
}

QString GameFileRef::shortName() const {
  const QString name = QFileInfo(path).fileName();
  return inImage() ? name + kEntrySeparator + entry : name;
}

QString GameFileRef::folderAndName() const {
  const QFileInfo file(path);
  const QString name = QDir::toNativeSeparators(file.dir().dirName() + u'/' + file.fileName());
  return inImage() ? name + kEntrySeparator + entry : name;
}

QString GameFileRef::givenName() const {
  const QString name = QDir::toNativeSeparators(path);
  return inImage() ? name + kEntrySeparator + entry : name;
}

namespace {

bool sameDiskFile(const QString &a, const QString &b) {
  if (a.isEmpty() || b.isEmpty())
    return false;
  if (a == b)
    return true;
  const std::optional<FileIdentity> first = fileIdentity(a);
  const std::optional<FileIdentity> second = fileIdentity(b);
  if (first || second)
    return first == second;
  return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

} // namespace

bool operator==(const GameFileRef &a, const GameFileRef &b) {
  return a.entry == b.entry && sameDiskFile(a.path, b.path);
}

GamePaths &gamePaths() {
  static GamePaths paths;
  return paths;
}

std::optional<GameFile> gameFileAt(const GameFileRef &file) {
  if (file.isEmpty())
    return std::nullopt;
  if (file == gamePaths().ExePath)
    return GameFile::Exe;
  if (file == gamePaths().StagePath)
    return GameFile::Stage;
  // An entry of a disc image is the game file it is named after.
  const QString name = file.inImage() ? file.entry : QFileInfo(file.path).fileName();
  for (GameFile kind : {GameFile::Exe, GameFile::Stage})
    if (name.compare(gameFileName(kind), Qt::CaseInsensitive) == 0)
      return kind;
  return std::nullopt;
}

bool onSameDiskFile(const GameFileRef &a, const GameFileRef &b) {
  return sameDiskFile(a.path, b.path);
}

} // namespace korvane
