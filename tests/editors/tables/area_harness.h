#pragma once

// Drives a window that shows one whole area of the synthetic game file.

#include "app/form1.h"
#include "tests/support/window_harness.h"

#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace korvane::test {

template <typename Form> class AreaHarness : public WindowHarness {
public:
  AreaHarness() : WindowHarness(&makeForm<Form>) {}

  // Saves and returns the messages the save showed.
  QStringList save() {
    answers.clear();
    click(QStringLiteral("save"));
    return answers.texts();
  }
};

// The game file with `bytes` put at `offset`.
inline QByteArray patched(QByteArray file, qint64 offset, const QByteArray &bytes) {
  return file.replace(offset, bytes.size(), bytes);
}

} // namespace korvane::test
