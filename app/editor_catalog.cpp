#include "app/window_registry.h"
#include "editors/characters/form3.h"
#include "editors/deployment/form13.h"
#include "editors/deployment/form14.h"
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

#include <array>

namespace korvane {

namespace {

template <class Window> QWidget *makeWindow() { return new Window; }

struct SectionWindow {
  Section section;
  QWidget *(*make)();
};

// The window of every section of the registration, in row order.
constexpr std::array kWindows{
    SectionWindow{Section::Units, makeWindow<Form2>},
    SectionWindow{Section::Characters, makeWindow<Form3>},
    SectionWindow{Section::Parts, makeWindow<Form4>},
    SectionWindow{Section::DefensiveFields, makeWindow<Form5>},
    SectionWindow{Section::LeaderAbilities, makeWindow<Form6>},
    SectionWindow{Section::ProtagonistSpirits, makeWindow<Form7>},
    SectionWindow{Section::SkillTraining, makeWindow<Form8>},
    SectionWindow{Section::SkillCorrection, makeWindow<Form9>},
    SectionWindow{Section::PotentialCorrection, makeWindow<Form10>},
    SectionWindow{Section::Upgrades, makeWindow<Form11>},
    SectionWindow{Section::SystemSettings, makeWindow<Form12>},
    SectionWindow{Section::EnemyDeployment, makeWindow<Form13>},
    SectionWindow{Section::AllyDeployment, makeWindow<Form14>},
};

constexpr bool oneWindowPerSectionInRowOrder() {
  if (kWindows.size() != size_t(kSectionCount))
    return false;
  for (size_t row = 0; row < kWindows.size(); ++row)
    if (sectionRow(kWindows[row].section) != int(row) || !kWindows[row].make)
      return false;
  return true;
}
static_assert(oneWindowPerSectionInRowOrder(),
              "every section of the registration needs its window here, in row order");

} // namespace

void registerEditors(WindowRegistry &registry) {
  for (const SectionWindow &window : kWindows)
    registry.add(window.section, window.make);
}

} // namespace korvane
