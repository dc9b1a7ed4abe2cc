#pragma once

// The synthetic game files and name lists the benchmarks work on, written once
// into a temporary folder that the windows' DataDir and game paths point at.

#include "editors/shared/game_paths.h"
#include "io/name_list.h"
#include "tools/sample_data.h"

#include <QTemporaryDir>

namespace korvane::bench {

struct SampleFiles {
  QTemporaryDir dir;
  QString exe;
  SampleFiles() {
    samples::writeGameFiles(dir.path(), nullptr);
    samples::writeNameLists(dir.path(), nullptr);
    exe = dir.filePath(QStringLiteral("SLPS_255.37"));
    setDataDirOverride(dir.path());
    gamePaths() = {GameFileRef::plain(exe), GameFileRef::plain(dir.filePath(QStringLiteral("stage.bin")))};
  }
};

inline SampleFiles &files() {
  static SampleFiles instance;
  return instance;
}

} // namespace korvane::bench
