#pragma once

// The two deployment records of stage.bin, each described once: the enemy record
// (16 bytes) and the ally record (14 bytes). Their table lies in each stage's block
// (see stage_blocks.h), so a record's address is the block's offset plus the
// record size times its index; the layouts' own table offset is 0. Free of widgets.

#include "editors/deployment/stage_blocks.h"
#include "editors/shared/record_layout.h"

namespace korvane {

inline constexpr int kEnemyRecordSize = 16;
inline constexpr int kAllyRecordSize = 14;
// The ally unit and pilot codes that stand for an empty slot and for no pilot.
inline constexpr quint32 kNoneCode = 65535;

// Bytes 6 and 15 are not described, so a save never writes them.
const RecordLayout &enemyRecordLayout();
// Byte 13 is not described, so a save never writes it.
const RecordLayout &allyRecordLayout();

// The enemy chip list: "------" for no chip, then the 53 enhancement parts.
const QStringList &ChipNames();

// Everything a window or a tool needs to walk one kind of deployment.
struct DeploymentKind {
  const StageListFiles *lists;
  const RecordLayout &(*layout)();
  // Rows the unit and pilot lists add after the name lists, standing for 65535;
  // empty for enemies.
  QString emptyUnitRow;
  QString noPilotRow;
};

const DeploymentKind &enemyDeployment();
const DeploymentKind &allyDeployment();

// The 0-based stage.bin offset of record `index` of the block at `blockOffset`.
qint64 deploymentRecordOffset(const RecordLayout &layout, qint64 blockOffset, int index);

// The index of the named field within `layout.fields`; throws DescriptionMismatch
// when it has none, so that the index is always one of its fields.
size_t deploymentFieldIndex(const RecordLayout &layout, const QString &name);

// The ally save's empty-slot mark: the record's stored unit code was 65535 and the
// pilot code it is saved with is not, and record index + 1 lies inside the stage's
// block of `count` records. The mark then writes 65535 as record index + 1's unit code.
bool marksNextSlotEmpty(quint32 oldUnitCode, quint32 savedPilotCode, int index, int count);

} // namespace korvane
