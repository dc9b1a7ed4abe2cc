#pragma once

// A temporary folder holding the synthetic game files and a full set of name
// lists; the windows' DataDir and game paths point at it while it lives.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace korvane::test {

class SampleGame {
public:
  SampleGame();
  ~SampleGame();

  QString dir() const { return dir_.path(); }
  QString exePath() const;
  QString stagePath() const;
  QString listPath(const char *fileName) const;

  QByteArray exe() const { return readFile(exePath()); }
  QByteArray stage() const { return readFile(stagePath()); }
  void setExe(const QByteArray &bytes) const { writeFile(exePath(), bytes); }
  // Replaces bytes of the game file, as a hand-edited file would hold them.
  void patchExe(qint64 offset, const QByteArray &bytes) const;

  static QByteArray readFile(const QString &path);
  static void writeFile(const QString &path, const QByteArray &bytes);

private:
  QTemporaryDir dir_;
};

// Writes `bytes` as the file "game.bin" in `dir`, replacing it, and gives its path:
// a scratch game file for the file access's own tests.
QString scratchGameFile(const QTemporaryDir &dir, const QByteArray &bytes);

// Little-endian reads from a byte array, for checking what a save wrote.
quint32 wordAt(const QByteArray &bytes, qint64 offset);
quint32 dwordAt(const QByteArray &bytes, qint64 offset);
// The offsets at which two equally long byte arrays differ.
QList<qint64> differences(const QByteArray &before, const QByteArray &after);

} // namespace korvane::test
