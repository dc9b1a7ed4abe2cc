#pragma once

// Where each stage's deployment block lies in stage.bin. The offset lists beside
// the program give one line per stage, "1A0，12": the block's 0-based offset in hex,
// the full-width comma, and the count of records in decimal. Free of widgets, so
// that a command-line tool can address the same records.

#include "io/name_list.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace korvane {

// One stage list pair and what its counts may hold.
struct StageListFiles {
  const NameListFile *offsets; // "data/zcoffset.txt" or "data/jqoffset.txt"
  const NameListFile *names;   // the stage names, one per offset line
  int maxRecordCount;          // a count above it is refused
};

// Enemy counts are held as a signed word, ally counts as a byte.
inline constexpr StageListFiles kEnemyStageLists{&kEnemyStageOffsets, &kEnemyStageNames, 32767};
inline constexpr StageListFiles kAllyStageLists{&kAllyStageOffsets, &kAllyStageNames, 255};

// The full-width comma between offset and count.
inline constexpr char16_t kStageLineSeparator = u'\uFF0C';

// One stage's block: usable when `problem` is empty; a bad line addresses no record.
struct StageBlock {
  qint64 offset = 0; // 0-based offset in stage.bin of record 0
  int count = 0;     // records in the block
  QString problem;   // why the line gives no block

  bool usable() const { return problem.isEmpty(); }
};

// Reads one offset line. The offset is hex digits only ("G1" and "0x1A0" are
// refused, not read digit by digit); the count is read as the lists always were:
// blanks skipped, reading stops at the first other character that is no digit, so
// "7abc" and " 7" are 7 and a count without digits is 0.
StageBlock parseStageLine(const QString &line, int maxRecordCount);

struct StageBlocks {
  std::vector<StageBlock> blocks; // one per stage, always the list's full count
  QString path;                   // the offset list read
  bool missing = false;           // it could not be read at all
  int linesFound = 0;             // lines the list holds, up to its full count

  // A message naming the file and its bad or missing lines; empty when every
  // line gives a block.
  QString problem() const;
};

// Every stage's block from the lines read out of an offset list.
StageBlocks stageBlocksFrom(const NameListResult &offsetLines, int maxRecordCount);
// Reads the offset list of `lists` from DataDir.
StageBlocks readStageBlocks(const StageListFiles &lists);

} // namespace korvane
