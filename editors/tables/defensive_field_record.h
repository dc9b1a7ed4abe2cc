#pragma once

// The defensive-field table of SLPS_255.37: one 16-byte record per barrier or
// special armour, in FieldNames order. Free of widgets; the field window and any
// table tool walk it.

#include "editors/shared/record_layout.h"

#include <QStringList>

namespace korvane {

// The consumed EN, the needed morale, the damage value and the defence type; the
// other bytes of a record (1, 3-5, 8-11, 13-15) are not described, so a save never
// writes them.
const RecordLayout &defensiveFieldLayout();

// The 25 fields, as the game's own list spells them; not the unit page's field
// choices, which differ in several characters.
const QStringList &FieldNames();
// Whether a field nullifies (row 0) or reduces (row 1) damage.
const QStringList &DefenseTypes();

} // namespace korvane
