#include "app/window_registry.h"
#include "editors/characters/form3.h"
#include "editors/tables/form10.h"
#include "editors/tables/form7.h"
#include "editors/tables/form8.h"
#include "editors/tables/form9.h"
#include "editors/units/form2.h"

namespace korvane {

void registerEditors(WindowRegistry &registry) {
  registry.add(0, [] { return new Form2; });
  registry.add(1, [] { return new Form3; });
  registry.add(5, [] { return new Form7; });
  registry.add(6, [] { return new Form8; });
  registry.add(7, [] { return new Form9; });
  registry.add(8, [] { return new Form10; });
}

} // namespace korvane
