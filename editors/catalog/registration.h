#pragma once

// The one registration of what the editor edits, section by section: each of the
// main window's sections, its row and text, and the tables it edits (registration.cpp,
// one line a section). The catalog of tables, the main window's section list and
// the sample files' checks all follow it; the windows are keyed by its sections
// (app/editor_catalog.cpp), and a section without its window does not compile.
// Widget-free.

#include <QString>
#include <QStringList>
#include <optional>

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
inline constexpr int kSectionCount = int(Section::AllyDeployment) + 1;

constexpr int sectionRow(Section section) { return int(section); }
// The section at `row` of the main window's list; none outside the list.
std::optional<Section> sectionAtRow(int row);

// Every section's text, row by row ("机体&武器" first).
const QStringList &sectionTexts();
QString sectionText(Section section);

} // namespace korvane
