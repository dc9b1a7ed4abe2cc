#pragma once

// The nine skill levels that the pilot growth tables count, shown "L1" to "L9".

#include <QString>

namespace korvane {

inline constexpr int kGrowthLevels = 9;

// The label of level `level`, counted from 0.
inline QString growthLevelName(int level) { return QStringLiteral("L%1").arg(level + 1); }

} // namespace korvane
