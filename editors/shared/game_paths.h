#pragma once

// The two game files the user chose in the main window. Every editor operation
// opens the path as it stands at that moment.

#include <QString>

namespace korvane {

struct GamePaths {
  QString ExePath;   // the chosen SLPS_255.37
  QString StagePath; // the chosen stage.bin
};

// The program's one pair of paths; only the main window sets them.
GamePaths &gamePaths();

} // namespace korvane
