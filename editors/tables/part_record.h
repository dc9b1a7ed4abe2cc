#pragma once

// The enhancement-part table of SLPS_255.37: one 36-byte record per part, in
// PartNames order, and the code lists of its five coded bytes. Free of widgets;
// the part window and any table tool walk it.

#include "editors/shared/record_layout.h"

#include <QStringList>

namespace korvane {

// Offsets 4 to 26 of a record; bytes 0-3 and 27-35 are not described, so a save
// never writes them.
const RecordLayout &partLayout();

// The part's code lists; a stored byte is the row. Terrain codes 2 and 3 have no
// name and show like code 0.
const QStringList &PartTerrainCodes();
const QStringList &PartGrantedSkills();
const QStringList &PartRecoveryItems();
const QStringList &PartSpecialEffects();
const QStringList &PartSpRecoveries();

} // namespace korvane
