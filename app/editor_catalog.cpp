#include "app/window_registry.h"

namespace korvane {

void registerEditors(WindowRegistry &registry) { (void)registry; }

} // namespace korvane
