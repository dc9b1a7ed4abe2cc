#pragma once

// The editor windows the main window opens: each exists at most once, is created
// (and loads) when first shown, and is only brought to the front when shown again.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>

namespace korvane {

class WindowRegistry {
public:
  using Factory = std::function<QWidget *()>;

  void add(int row, Factory factory);
  bool has(int row) const { return factories_.count(row) > 0; }

  // Shows the editor of `row`, creating it when it is not open; null when the row
  // has no editor.
  QWidget *show(int row);
  QWidget *openWindow(int row) const;
  void closeAll();

private:
  std::map<int, Factory> factories_;
  std::map<int, QPointer<QWidget>> open_;
};

// Registers every editor window the program has, by its section row.
void registerEditors(WindowRegistry &registry);

} // namespace korvane
