#pragma once

// The name lists that lie beside the program: GBK text, one item per line. Lists
// saved by today's editors as UTF-8 or UTF-16 are recognised as well.

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

// Splits decoded text into items the way the lists were always read: leading
// blanks skipped, an item ends at an ASCII comma or a line end (LF, CRLF or a lone
// CR), double quotes around an item removed. At most `count` items are taken.
QStringList splitNameItems(const QString &text, int count);

// Decodes a list's bytes: by its byte-order mark (UTF-8, UTF-16, UTF-32) when it
// has one; as UTF-8 when the bytes are valid UTF-8 holding non-ASCII text that is
// not also plausible GBK; as GBK otherwise. `encodingName` receives the name used.
QString decodeNameListText(const QByteArray &bytes, QString *encodingName = nullptr);

struct NameListResult {
  QStringList items; // always exactly `wanted` rows; missing ones are placeholders
  QString path;
  int found = 0;
  int wanted = 0;
  bool missing = false; // the file could not be read at all
  QString reason;       // why it could not, when missing
  QString encoding;     // how the bytes were decoded ("GBK", "UTF-8", ...)
  // Lines (from 1) of the items read that hold U+FFFD or control characters: text
  // the chosen encoding could not make sense of.
  QList<int> unreadableLines;

  bool complete() const { return !missing && found == wanted; }
  // Complete, and every item read as text.
  bool sound() const { return complete() && unreadableLines.isEmpty(); }
  // A message for the user naming the file, its path, the count found and the
  // lines that did not decode; empty when the list is sound.
  QString problem() const;
};

// The placeholder that stands in for a missing row, showing the row's number.
QString missingNamePlaceholder(int row);

NameListResult readNameList(const NameListFile &list);
NameListResult readNameListFrom(const QString &path, int count);

} // namespace korvane
