#pragma once

// The two game files: their names, the paths the user chose for them in the main
// window, and which of them a path is. Every editor operation opens the path as it
// stands at that moment and notes then which game file it is.

#include <QString>
#include <optional>

namespace korvane {

enum class GameFile { Exe, Stage };

// "SLPS_255.37" or "stage.bin".
QString gameFileName(GameFile file);

struct GamePaths {
  QString ExePath;   // the chosen SLPS_255.37
  QString StagePath; // the chosen stage.bin
};

// The program's one pair of paths; only the main window sets them.
GamePaths &gamePaths();

// The game file `path` is: one of the two chosen paths, or else by its file name
// (a copy chosen elsewhere) or its entry name in a disc image. None for any other file.
std::optional<GameFile> gameFileAt(const QString &path);

// Whether two paths name one file: the same text, or one existing file on disk by
// its identity (symbolic and hard links name the file they link to); path texts of disc image
// entries name one file when they name the same entry of one image.
bool isSameFile(const QString &a, const QString &b);

// Whether two paths lie in one file on disk: as isSameFile, where an entry of a
// disc image ("game.iso › SLPS_255.37") lies in its image. Writing a new file over
// either would destroy the other.
bool onSameDiskFile(const QString &a, const QString &b);

} // namespace korvane
