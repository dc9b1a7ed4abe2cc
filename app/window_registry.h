#pragma once

// The editor windows the main window opens, by section: each exists at most once,
// is created (and loads) when first shown, and is only brought to the front when
// shown again.

#include "editors/catalog/registration.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>

namespace korvane {

class WindowRegistry {
public:
  using Factory = std::function<QWidget *()>;

  void add(Section section, Factory factory);
  bool has(Section section) const { return factories_.count(section) > 0; }

  // Shows the editor of `section`, creating it when it is not open; null when the
  // section has no editor.
  QWidget *show(Section section);
  QWidget *openWindow(Section section) const;
  void closeAll();

private:
  std::map<Section, Factory> factories_;
  std::map<Section, QPointer<QWidget>> open_;
};

// Registers every editor window the program has, one for each section.
void registerEditors(WindowRegistry &registry);

} // namespace korvane
