#pragma once

// Pick lists that several windows share. The stored byte is the 0-based row.

#include <QStringList>

namespace korvane {

// Terrain ranks of units, weapons and characters.
const QStringList &TerrainRanks();
// Spirit commands of the character and protagonist records; row 0 is none.
const QStringList &SpiritNames();
// Pilot skills; row 0 is none, and the skill-training table holds rows 1 to 40.
const QStringList &SkillNames();
// The 53 enhancement parts, in the order of the part table; the enemy deployment's
// chip list shows them behind a row for "no chip".
const QStringList &PartNames();

} // namespace korvane
