#pragma once

// A unit save in the unit editor, timed over and over: the unit's HP alternates
// between two values, so that every save writes.

#include "editors/units/form2.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <benchmark/benchmark.h>

namespace korvane::bench {

inline void timeUnitSaves(benchmark::State &state, int unitRow) {
  Form2 form;
  form.findChild<QListWidget *>(QStringLiteral("List1"))->setCurrentRow(unitRow);
  auto *hp = form.findChild<QLineEdit *>(QStringLiteral("Text1"));
  auto *save = form.findChild<QPushButton *>(QStringLiteral("Command1"));
  int step = 0;
  for (auto _ : state) {
    hp->setText(QString::number(4000 + (step++ & 1)));
    save->click();
  }
}

} // namespace korvane::bench
