#include "app/window_registry.h"

#include "editors/shared/record_layout.h"

namespace korvane {

namespace {

// A window whose controls disagree with its table's description cannot be used;
// the program stops there, saying which window and control, in every build.
QWidget *makeWindow(const WindowRegistry::Factory &factory) {
  try {
    return factory();
  } catch (const DescriptionMismatch &mismatch) {
    qFatal("%s", mismatch.what());
  }
}

} // namespace

void WindowRegistry::add(Section section, Factory factory) {
  factories_[section] = std::move(factory);
}

QWidget *WindowRegistry::openWindow(Section section) const {
  const auto found = open_.find(section);
  return found == open_.end() ? nullptr : found->second.data();
}

QWidget *WindowRegistry::show(Section section) {
  QWidget *window = openWindow(section);
  if (!window) {
    const auto factory = factories_.find(section);
    if (factory == factories_.end())
      return nullptr;
    window = makeWindow(factory->second);
    open_[section] = window;
  }
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

void WindowRegistry::closeAll() {
  for (auto &[section, window] : open_)
    if (window)
      window->close();
}

} // namespace korvane
