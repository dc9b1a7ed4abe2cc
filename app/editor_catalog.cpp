#include "app/window_registry.h"
#include "editors/characters/form3.h"
#include "editors/tables/form11.h"
#include "editors/tables/form12.h"
#include "editors/units/form2.h"

namespace korvane {

void registerEditors(WindowRegistry &registry) {
  registry.add(0, [] { return new Form2; });
  registry.add(1, [] { return new Form3; });
  registry.add(9, [] { return new Form11; });
  registry.add(10, [] { return new Form12; });
}

} // namespace korvane
