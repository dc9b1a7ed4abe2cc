#include "app/window_registry.h"
#include "editors/characters/form3.h"
#include "editors/deployment/form13.h"
#include "editors/deployment/form14.h"
#include "editors/units/form2.h"

namespace korvane {

void registerEditors(WindowRegistry &registry) {
  registry.add(0, [] { return new Form2; });
  registry.add(1, [] { return new Form3; });
  registry.add(11, [] { return new Form13; });
  registry.add(12, [] { return new Form14; });
}

} // namespace korvane
