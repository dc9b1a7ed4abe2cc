#include "editors/shared/game_paths.h"

namespace korvane {

GamePaths &gamePaths() {
  static GamePaths paths;
  return paths;
}

} // namespace korvane
