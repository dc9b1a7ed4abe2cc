#pragma once

// The name lists that lie beside the program: GBK text, one item per line.

#include <QString>
#include <QStringList>

namespace korvane {

// A name list the windows read: its file name and how many items they take.
struct NameListFile {
  const char *fileName; // relative to DataDir, '/'-separated ("data/zcstage.txt")
  int count;
};

inline constexpr NameListFile kUnitNames{"unit.txt", 837};
inline constexpr NameListFile kEffectNames{"ts.txt", 125};
inline constexpr NameListFile kPilotNames{"pilot.txt", 735};
inline constexpr NameListFile kEnemyStageOffsets{"data/zcoffset.txt", 173};
inline constexpr NameListFile kEnemyStageNames{"data/zcstage.txt", 173};
inline constexpr NameListFile kAllyStageOffsets{"data/jqoffset.txt", 115};
inline constexpr NameListFile kAllyStageNames{"data/jqstage.txt", 115};

// The folder that holds the program and its name lists.
QString DataDir();
// Lets a test suite point the windows at a folder of its own; empty restores the default.
void setDataDirOverride(const QString &dir);
// DataDir, the platform's separator and the file name.
QString dataFilePath(const char *fileName);

// Splits GBK-decoded text into items the way the lists were always read: leading
// blanks skipped, an item ends at an ASCII comma or a line end (LF or CRLF), double
// quotes around an item removed. At most `count` items are taken.
QStringList splitNameItems(const QString &text, int count);

struct NameListResult {
  QStringList items; // always exactly `wanted` rows; missing ones are placeholders
  QString path;
  int found = 0;
  int wanted = 0;
  bool missing = false; // the file could not be read at all
  QString reason;       // why it could not, when missing

  bool complete() const { return !missing && found == wanted; }
  // A message for the user naming the file, its path and the count found; empty
  // when the list is complete.
  QString problem() const;
};

// The placeholder that stands in for a missing row, showing the row's number.
QString missingNamePlaceholder(int row);

NameListResult readNameList(const NameListFile &list);
NameListResult readNameListFrom(const QString &path, int count);

} // namespace korvane
