#pragma once

// The fixed pick lists of the unit and weapon pages. The stored byte is the
// 0-based row; the terrain ranks come from the shared lists.

#include <QStringList>

namespace korvane {

// Unit sizes, smallest first.
const QStringList &UnitSizes();
// The terrains a unit moves over.
const QStringList &MoveTypes();
// Defensive fields a unit carries; row 0 is none. The texts are this page's
// own and differ from the defensive-field window's names in a few characters.
const QStringList &FieldChoices();
// Protection against status effects; row 0 is none.
const QStringList &StatusDefenses();
// Equipment bits 0 to 3, one tickable row each.
const QStringList &EquipmentFlags();
// Ability bits, row 0 standing for bit 15 and row 15 for bit 0.
const QStringList &AbilityFlags();
// Unit skills; row 0 is none.
const QStringList &UnitSkills();
// Which pilots may transfer into the unit.
const QStringList &TransferTypes();
// Weapon upgrade cost classes: the cost at steps 10 and 15.
const QStringList &UpgradeCostTypes();
// Weapon kinds.
const QStringList &WeaponKinds();
// Shapes of map weapons.
const QStringList &MapShapes();
// Whether a map weapon spares friendly units.
const QStringList &FriendFoeChoices();
// The pilot skill a weapon needs, by the high digit of its skill byte.
const QStringList &RequiredSkills();
// Attack animations; row 0 is none. Names that appear twice stand for two
// different animations.
const QStringList &Animations();

} // namespace korvane
