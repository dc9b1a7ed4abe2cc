#pragma once

// The 27 game-wide settings of SLPS_255.37 that lie at twelve places across the
// file: two spirit-command multipliers, two limits, five morale changes, and three
// runs of words (weapon terrain, all-weapon and unit terrain corrections). Free
// of widgets, so that the window and any table tool walk it alike.

#include "editors/shared/record_layout.h"

#include <QStringList>
#include <vector>

namespace korvane {

// The settings as one record that starts at the first of them: each field's offset
// is its distance from there, and the record ends with the last word of the unit
// terrain run, so a file is refused only when it does not hold every setting. The
// bytes between the settings are not described and a save never writes them.
// Field i is box Text(i + 1).
const RecordLayout &systemSettingsLayout();

// The single settings are fields 0 .. kSingleSettings - 1; each box stands under
// its caption.
inline constexpr int kSingleSettings = 9;
inline constexpr int kMultiplierSettings = 2; // the hex fields, Text1 and Text2
inline constexpr int kLimitSettings = 2;      // Text3 and Text4; the rest are morale changes

// A run of words shown as a small table under one heading: row by row, each row
// across its columns, in file order.
struct SettingsRun {
  QString heading;
  QStringList rows; // row labels; a run of one row has none
  QStringList columns;
  int firstField; // into systemSettingsLayout().fields
};

enum SettingsRunIndex { kWeaponTerrainRun, kAllWeaponRun, kUnitTerrainRun };
// The three runs in file order.
const std::vector<SettingsRun> &systemSettingsRuns();

} // namespace korvane
