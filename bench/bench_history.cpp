// One unit save in the unit editor window with the change history recording it,
// against the same save with the history switched off, in the same run.

#include "bench/ratio_report.h"
#include "bench/sample_files.h"
#include "editors/units/form2.h"
#include "io/change_history.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <benchmark/benchmark.h>

namespace {

constexpr int kSavedUnit = 400;

using korvane::bench::files;

// Every save changes the unit's HP, so that every one with the history on makes
// an entry (after the first thousand, each also drops the oldest).
void unitSaves(benchmark::State &state, bool history) {
  files();
  korvane::changeHistory().clear();
  korvane::changeHistory().setEnabled(history);
  korvane::Form2 form;
  form.findChild<QListWidget *>(QStringLiteral("List1"))->setCurrentRow(kSavedUnit);
  auto *hp = form.findChild<QLineEdit *>(QStringLiteral("Text1"));
  auto *save = form.findChild<QPushButton *>(QStringLiteral("Command1"));
  int step = 0;
  for (auto _ : state) {
    hp->setText(QString::number(4000 + (step++ & 1)));
    save->click();
  }
  korvane::changeHistory().setEnabled(true);
}

void BM_UnitSaveWithoutHistory(benchmark::State &state) { unitSaves(state, false); }
void BM_UnitSaveWithHistory(benchmark::State &state) { unitSaves(state, true); }

BENCHMARK(BM_UnitSaveWithoutHistory)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UnitSaveWithHistory)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return korvane::bench::runWithRatios(
      argc, argv, {{"BM_UnitSaveWithHistory", "BM_UnitSaveWithoutHistory", 1.3}});
}
