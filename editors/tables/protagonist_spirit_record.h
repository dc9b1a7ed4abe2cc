#pragma once

// The protagonist's spirit commands in SLPS_255.37: one 24-byte record of six
// spirit-command entries for each birthday and blood-type profile.

#include "editors/shared/record_layout.h"

namespace korvane {

inline constexpr int kProtagonistSpiritSlots = 6;

// The 196 profile names, row i for record i: letter, sex, zodiac sign with its
// dates and blood type, then the four records of the special birthday.
const QStringList &BirthProfiles();

const RecordLayout &protagonistSpiritLayout();

} // namespace korvane
