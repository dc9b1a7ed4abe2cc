#include "app/window_registry.h"

namespace korvane {

void WindowRegistry::add(int row, Factory factory) { factories_[row] = std::move(factory); }

QWidget *WindowRegistry::openWindow(int row) const {
  const auto found = open_.find(row);
  return found == open_.end() ? nullptr : found->second.data();
}

QWidget *WindowRegistry::show(int row) {
  QWidget *window = openWindow(row);
  if (!window) {
    const auto factory = factories_.find(row);
    if (factory == factories_.end())
      return nullptr;
    window = factory->second();
    open_[row] = window;
  }
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

void WindowRegistry::closeAll() {
  for (auto &[row, window] : open_)
    if (window)
      window->close();
}

} // namespace korvane
