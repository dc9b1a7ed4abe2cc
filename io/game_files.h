#pragma once

// The two game files: their names, where the user chose them in the main window,
// and which of them a file is. A game file is a plain file or an entry of a disc
// image; it is held as a GameFileRef wherever it is kept, compared by the
// identity of the file on disk and turned into text only to be shown.

#include <QString>
#include <optional>

namespace korvane {

enum class GameFile { Exe, Stage };

inline const QString kExeEntryName = QStringLiteral("SLPS_255.37");
inline const QString kStageEntryName = QStringLiteral("stage.bin");

// "SLPS_255.37" or "stage.bin".
QString gameFileName(GameFile file);

// Between an image and its entry where a game file is shown: "game.iso › SLPS_255.37".
extern const QString kEntrySeparator;

// Where a game file lies: a plain file, or an entry of a disc image. Every access
// opens `path` and, for an entry, finds it afresh.
struct GameFileRef {
  QString path;  // the plain file, or the disc image
  QString entry; // empty for a plain file; else kExeEntryName or kStageEntryName

  // Not an aggregate: two paths in braces are two game files, never a file and
  // its entry.
  GameFileRef() = default;
  GameFileRef(QString path, QString entry) : path(std::move(path)), entry(std::move(entry)) {}

  static GameFileRef plain(const QString &path) { return {path, {}}; }
  static GameFileRef imageEntry(const QString &image, GameFile file) {
    return {image, gameFileName(file)};
  }

  bool isEmpty() const { return path.isEmpty(); }
  bool inImage() const { return !entry.isEmpty(); }
  // How users see it: "/home/me/game.iso › SLPS_255.37", or the plain file's path,
  // absolute and with the system's separators.
  QString displayName() const;
  // The same with the file's name alone: "game.iso › SLPS_255.37", "SLPS_255.37".
  QString shortName() const;
  // The same with the file's folder and name, so that copies in two folders
  // differ: "mod/game.iso › SLPS_255.37", "mod/SLPS_255.37".
  QString folderAndName() const;
  // The same with the path as it was given, with the system's separators and not
  // made absolute, as a command line echoes it: "mod/game.iso › SLPS_255.37".
  QString givenName() const;

  // One game file: the same entry (or both plain) of one file on disk, told by
  // the file's identity (fileIdentity), so that a hard or symbolic link to a file
  // is that file. Two files that do not exist are one when their absolute paths are.
  friend bool operator==(const GameFileRef &a, const GameFileRef &b);
};

struct GamePaths {
  GameFileRef ExePath;   // the chosen SLPS_255.37
  GameFileRef StagePath; // the chosen stage.bin

  const GameFileRef &of(GameFile file) const { return file == GameFile::Exe ? ExePath : StagePath; }
  GameFileRef &of(GameFile file) { return file == GameFile::Exe ? ExePath : StagePath; }
};

// The program's one pair of game files; only the main window sets them.
GamePaths &gamePaths();

// The game file `file` is: one of the two chosen ones, or else by its file name
// (a copy chosen elsewhere) or its entry name in a disc image. None for any other file.
std::optional<GameFile> gameFileAt(const GameFileRef &file);

// Whether two game files lie in one file on disk (an entry lies in its image):
// writing a new file over either would destroy the other.
bool onSameDiskFile(const GameFileRef &a, const GameFileRef &b);

} // namespace korvane
