#include "tests/support/sample_game.h"

#include "editors/shared/game_paths.h"
#include "io/name_list.h"
#include "tools/sample_data.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace korvane::test {

SampleGame::SampleGame() {
  QString error;
  if (!samples::writeGameFiles(dir(), &error) || !samples::writeNameLists(dir(), &error))
    qFatal("cannot write the sample game: %s", qPrintable(error));
  setDataDirOverride(dir());
  gamePaths() = {GameFileRef::plain(exePath()), GameFileRef::plain(stagePath())};
}

SampleGame::~SampleGame() {
  setDataDirOverride({});
  gamePaths() = {};
}

QString SampleGame::exePath() const { return dir() + QStringLiteral("/SLPS_255.37"); }

QString SampleGame::stagePath() const { return dir() + QStringLiteral("/stage.bin"); }

QString SampleGame::listPath(const char *fileName) const {
  return dir() + u'/' + QString::fromLatin1(fileName);
}

QString scratchGameFile(const QTemporaryDir &dir, const QByteArray &bytes) {
  const QString path = dir.filePath(QStringLiteral("game.bin"));
  SampleGame::writeFile(path, bytes);
  return path;
}

void SampleGame::patchExe(qint64 offset, const QByteArray &bytes) const {
  QByteArray bytesNow = exe();
  bytesNow.replace(offset, bytes.size(), bytes);
  setExe(bytesNow);
}

QByteArray SampleGame::readFile(const QString &path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return {};
  return file.readAll();
}

void SampleGame::writeFile(const QString &path, const QByteArray &bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
    qFatal("cannot write %s", qPrintable(path));
}

quint32 wordAt(const QByteArray &bytes, qint64 offset) {
  return quint8(bytes[offset]) | quint32(quint8(bytes[offset + 1])) << 8;
}

quint32 dwordAt(const QByteArray &bytes, qint64 offset) {
  return wordAt(bytes, offset) | wordAt(bytes, offset + 2) << 16;
}

QList<qint64> differences(const QByteArray &before, const QByteArray &after) {
  QList<qint64> offsets;
  for (qint64 i = 0; i < qMin(before.size(), after.size()); ++i)
    if (before[i] != after[i])
      offsets.append(i);
  return offsets;
}

} // namespace korvane::test
