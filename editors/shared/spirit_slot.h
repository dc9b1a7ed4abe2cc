#pragma once

// The 4-byte spirit-command entry that the character records and the
// protagonist's birthday records share: the command (a row of SpiritNames), the
// level at which it is learned and two SP cost bytes.

#include "editors/shared/record_layout.h"

#include <vector>

namespace korvane {

inline constexpr int kSpiritSlotSize = 4;

// The control arrays that show the entries of a window's spirit grid, and the
// heading of its learn-level column, which the windows word differently.
struct SpiritSlotControls {
  const char *command; // pick list of SpiritNames
  const char *learnLevel;
  const char *spCost1; // left half of "消耗SP"
  const char *spCost2; // right half
  QString learnLevelHeading;
};

// Appends the four fields of entry `slot`, which starts at record offset `start`.
void addSpiritSlotFields(std::vector<Field> &fields, int start, int slot,
                         const SpiritSlotControls &controls);

// A grid box's caption names its column heading and its row, counted from 1.
QString gridRowCaption(const QString &heading, int row);

} // namespace korvane
