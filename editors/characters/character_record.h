#pragma once

// The character table of SLPS_255.37: one 184-byte record per pilot, in pilot.txt
// order. Free of widgets; the character window and any table tool walk it.

#include "editors/shared/record_layout.h"

namespace korvane {

inline constexpr int kSpiritSlots = 6;
inline constexpr int kSkillSlots = 6;
inline constexpr int kSkillLevels = 9; // L1 .. L9 of a skill slot

// Every shown field in offset order. Bytes 2-71, 79-81 and 87-99 of a record are
// not described, so a save never writes them.
const RecordLayout &characterLayout();

} // namespace korvane
