#pragma once

// The potential (底力) corrections in SLPS_255.37: one 40-byte record per skill
// level, four percentages for each of ten HP bands.

#include "editors/shared/record_layout.h"

namespace korvane {

inline constexpr int kHpBands = 10;

// "HP100%" down to "HP10%", band r at record offset 4 × r.
const QStringList &HpBands();
// The four percentages of a band, in byte order.
const QStringList &PotentialColumns();

const RecordLayout &potentialCorrectionLayout();

} // namespace korvane
