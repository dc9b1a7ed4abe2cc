#pragma once

// The main window's sections, in the order of its list: the one table that the
// section list, the editor registry and the catalog of tables all follow.
// Widget-free.

#include <QString>
#include <QStringList>

namespace korvane {

// A section's value is its row in the main window's list.
enum class Section {
  Units,
  Characters,
  Parts,
  DefensiveFields,
  LeaderAbilities,
  ProtagonistSpirits,
  SkillTraining,
  SkillCorrection,
  PotentialCorrection,
  Upgrades,
  SystemSettings,
  EnemyDeployment,
  AllyDeployment,
};

// Every section's text, row by row ("机体&武器" first).
const QStringList &sectionTexts();
QString sectionText(Section section);
inline int sectionRow(Section section) { return int(section); }

} // namespace korvane
