#pragma once

// Synthetic game files and placeholder name lists, for users without the
// game disc and for the tests. Everything here is deterministic: the same
// bytes come out of every call, on every platform.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace korvane::samples {

// Large enough for every table; the last one, the unit terrain correction
// run, ends at 0x37B262.
inline constexpr qint64 kExeSize = 0x37C000;

// Rows of each name list.
inline constexpr int kUnitCount = 837;
inline constexpr int kEffectCount = 125;
inline constexpr int kPilotCount = 735;
inline constexpr int kEnemyStageCount = 173;
inline constexpr int kAllyStageCount = 115;

// Free bytes left after every ally block: saving an ally record may mark the
// record after it as an empty slot, also after a stage's last record.
inline constexpr int kAllyBlockSpare = 16;

QByteArray makeExe();   // SLPS_255.37 with every table filled
QByteArray makeStage(); // stage.bin, laid out as enemyStages() and allyStages() say

QStringList unitNames();   // "机体0000" .. "机体0836"
QStringList effectNames(); // "特效000" .. "特效124"
QStringList pilotNames();  // "机师0000" .. "机师0734"

struct StageLists {
  QStringList offsetLines; // "1A0，12": block offset in hex, full-width comma, record count
  QStringList stageNames;
};
StageLists enemyStages(); // 173 stages, "敌军关卡000" ..
StageLists allyStages();  // 115 stages, "我方关卡000" ..

// One item per line, each line ended by CRLF, in the GBK code page.
QByteArray encodeGbk(const QStringList &lines);

// Paths relative to the target folder, in the order the writers write them.
QStringList nameListFileNames(); // unit.txt, ts.txt, pilot.txt, data/...
QStringList gameFileNames();     // SLPS_255.37, stage.bin

// Both create dir (and dir/data) as needed. On failure they return false and,
// if error is not null, describe which file failed and why.
bool writeNameLists(const QString &dir, QString *error);
bool writeGameFiles(const QString &dir, QString *error);

} // namespace korvane::samples
