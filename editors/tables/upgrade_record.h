#pragma once

// The upgrade price and gain area of SLPS_255.37: the money each of the fifteen
// upgrade steps costs for HP, EN, mobility, armor and the five weapon types, and
// the attack each step adds to a weapon of each type. One 694-byte area, shown
// whole; free of widgets, so that the window and any table tool walk it alike.

#include "editors/shared/record_layout.h"

namespace korvane {

inline constexpr int kUpgradeSteps = 15;      // L1 .. L15
inline constexpr int kUpgradeCostColumns = 9; // HP, EN, 运动性, 装甲, 类型1 .. 类型5
inline constexpr int kAttackGainColumns = 5;  // 类型1 .. 类型5
inline constexpr int kUpgradeColumns = kUpgradeCostColumns + kAttackGainColumns;

// The area as one record. Field j is box Text1_j: column j / 15, step j % 15,
// columns in file order, each running down L1 to L15. Area bytes 540-543 are not
// described, so a save never writes them.
const RecordLayout &upgradeSettingsLayout();

// The heading over grid column `column` (0 .. 13) and the caption of its block.
QString upgradeColumnHeading(int column);
QString upgradeBlockCaption(int column);
// "L1" .. "L15" for step 0 .. 14.
QString upgradeStepLabel(int step);

} // namespace korvane
