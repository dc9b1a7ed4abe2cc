#pragma once

// The squad-leader ability table of SLPS_255.37: two bytes per pilot, in
// pilot.txt order, each the row of the ability list. Free of widgets; the ability
// window and any table tool walk it.

#include "editors/shared/record_layout.h"

#include <QStringList>

namespace korvane {

const RecordLayout &leaderAbilityLayout();

// The 63 abilities both bytes choose from; row 0 is none.
const QStringList &LeaderAbilityNames();

} // namespace korvane
