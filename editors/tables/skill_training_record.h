#pragma once

// Skill training in SLPS_255.37: one 48-byte record per pilot skill (SkillNames
// rows 1 to 40) with its training type and the PP cost of each of its levels.

#include "editors/shared/record_layout.h"

namespace korvane {

// The PP-cost bytes, 36 boxes: two groups of nine 2-byte level entries.
inline constexpr int kPpCostGroups = 2;
inline constexpr int kPpCostEntrySize = 2;
inline constexpr int kPpCostOffset = 9; // record offset of the first cost byte

// The four training types, in the order of their option buttons, and the type
// byte that each stands for.
const QStringList &TrainingTypes();
const std::vector<quint32> &TrainingTypeCodes();

// The 40 skills, record i for row i.
QStringList trainedSkillNames();

// The type byte and the 36 cost bytes; bytes 0-7 and 45-47 are not described.
const RecordLayout &skillTrainingLayout();

// The box of byte `byte` of group `group`'s entry for level `level` (all from 0).
int ppCostBox(int group, int level, int byte);

} // namespace korvane
