#pragma once

// The 18 weapon entries at the end of every unit record: 36 bytes each, of which
// the page "武器修改" shows bytes 10 to 35. Widget-free.

#include "editors/shared/record_layout.h"

namespace korvane {

inline constexpr int kWeaponSize = 36;
inline constexpr int kWeaponsPerUnit = 18;

// The 0-based file offset of weapon entry `weaponRow` (0..17) of unit `unitRow`.
qint64 weaponOffset(int unitRow, int weaponRow);

// The shown fields of one weapon entry, offsets from the entry's start. The table
// is the entries of unit 0; an entry of any unit starts at weaponOffset().
const RecordLayout &weaponLayout();

} // namespace korvane
