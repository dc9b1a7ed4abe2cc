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

namespace korvane {

void registerEditors(WindowRegistry &registry) {
  registry.add(0, [] { return new Form2; });
  registry.add(1, [] { return new Form3; });
  registry.add(2, [] { return new Form4; });
  registry.add(3, [] { return new Form5; });
  registry.add(4, [] { return new Form6; });
  registry.add(5, [] { return new Form7; });
  registry.add(6, [] { return new Form8; });
  registry.add(7, [] { return new Form9; });
  registry.add(8, [] { return new Form10; });
  registry.add(9, [] { return new Form11; });
  registry.add(10, [] { return new Form12; });
  registry.add(11, [] { return new Form13; });
  registry.add(12, [] { return new Form14; });
}

} // namespace korvane
