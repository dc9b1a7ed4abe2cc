#pragma once

// The level corrections of five pilot skills in SLPS_255.37: one 212-byte area
// of five blocks of nine level entries, with four unshown gaps between them.

#include "editors/shared/record_layout.h"

#include <vector>

namespace korvane {

struct CorrectionBlock {
  QString name;        // the skill, the block's heading
  QStringList columns; // each entry byte's column heading; empty where none stands
  int areaOffset;      // of the L1 entry
  int entrySize;       // bytes per level entry
  int firstBox;        // Text1 element of the L1 entry's first byte
};

// In area order.
const std::vector<CorrectionBlock> &correctionBlocks();

// The whole area as one record; the gaps are not described, so never written.
const RecordLayout &skillCorrectionLayout();

} // namespace korvane
