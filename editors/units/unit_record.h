#pragma once

// The unit table of SLPS_255.37 and the 84-byte head of each unit record: the
// statistics the page "机体修改" shows. Widget-free, like every table description.

#include "editors/shared/record_layout.h"

namespace korvane {

// 837 records of 732 bytes: the head, then 18 weapon entries of 36 bytes.
inline constexpr qint64 kUnitTableOffset = 0x2BE710;
inline constexpr int kUnitRecordSize = 732;
inline constexpr int kUnitCount = 837;
inline constexpr int kUnitHeadSize = 84;

// The unit's enhancement-part slots, the byte the bulk command sets for every unit.
inline constexpr int kPartSlotsOffset = 37;

// The head fields in offset order. The table is the whole unit table, so that the
// record span checked before a save, a copy or a paste is the whole 732-byte record.
const RecordLayout &unitHeadLayout();

} // namespace korvane
