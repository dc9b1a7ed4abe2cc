#include "app/window_registry.h"
#include "editors/characters/form3.h"
#include "editors/deployment/form13.h"
#include "editors/deployment/form14.h"
#include "editors/shared/sections.h"
#include "editors/tables/form10.h"
#include "editors/tables/form11.h"
#include "editors/tables/form12.h"
#include "editors/tables/form4.h"
#include "editors/tables/form5.h"
#include "editors/tables/form6.h"
#include "editors/tables/form7.h"
#include "editors/tables/form8.h"
#include "editors/tables/form9.h"
#include "editors/units/form2.h"

namespace korvane {

void registerEditors(WindowRegistry &registry) {
  const std::pair<Section, WindowRegistry::Factory> editors[] = {
      {Section::Units, [] { return new Form2; }},
      {Section::Characters, [] { return new Form3; }},
      {Section::Parts, [] { return new Form4; }},
      {Section::DefensiveFields, [] { return new Form5; }},
      {Section::LeaderAbilities, [] { return new Form6; }},
      {Section::ProtagonistSpirits, [] { return new Form7; }},
      {Section::SkillTraining, [] { return new Form8; }},
      {Section::SkillCorrection, [] { return new Form9; }},
      {Section::PotentialCorrection, [] { return new Form10; }},
      {Section::Upgrades, [] { return new Form11; }},
      {Section::SystemSettings, [] { return new Form12; }},
      {Section::EnemyDeployment, [] { return new Form13; }},
      {Section::AllyDeployment, [] { return new Form14; }}};
  for (const auto &[section, factory] : editors)
    registry.add(sectionRow(section), factory);
}

} // namespace korvane
