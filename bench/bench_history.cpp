// The change history: one unit save with the history recording it against the same
// save with the history switched off; and opening the history window on a full
// history of bulk commands against a plain list of the same headlines, with what
// the history holds per changed byte.

#include "app/history_window.h"
#include "bench/ratio_report.h"
#include "bench/sample_files.h"
#include "bench/unit_saves.h"
#include "editors/units/form2.h"
#include "editors/units/unit_record.h"
#include "io/change_history.h"
#include "io/edit.h"
#include "io/module1.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <benchmark/benchmark.h>
#include <malloc.h>

namespace {

constexpr int kSavedUnit = 400;

using korvane::bench::files;

// Every save changes the unit's HP, so that every one with the history on makes
// an entry (after the first thousand, each also drops the oldest).
void unitSaves(benchmark::State &state, bool history) {
  files();
  korvane::changeHistory().clear();
  korvane::changeHistory().setEnabled(history);
  korvane::bench::timeUnitSaves(state, kSavedUnit);
  korvane::changeHistory().setEnabled(true);
}

void BM_UnitSaveWithoutHistory(benchmark::State &state) { unitSaves(state, false); }
void BM_UnitSaveWithHistory(benchmark::State &state) { unitSaves(state, true); }

// A full history: the unit window's bulk command a thousand times, each setting
// the part slots of all 837 units (alternately 4 and 3, so that each changes them).
struct FullHistory {
  qint64 heapBytes = 0;
  qint64 changedBytes = 0;

  FullHistory() {
    const korvane::RecordLayout &table = korvane::unitHeadLayout();
    korvane::changeHistory().clear();
    korvane::changeHistory().setEnabled(true);
    const size_t heapBefore = mallinfo2().uordblks;
    for (size_t round = 0; round < korvane::ChangeHistory::kMaxEntries; ++round) {
      korvane::Edit edit;
      edit.file = korvane::GameFileRef::plain(files().exe);
      edit.label = {QStringLiteral("Korvane机体修改器"), QStringLiteral("全机体可装备4个强化部件")};
      for (int row = 0; row < table.recordCount; ++row)
        edit.spans.push_back({table.recordOffset(row) + korvane::kPartSlotsOffset,
                              QByteArray(1, char(round % 2 ? 3 : 4)),
                              {}});
      korvane::commitEdit(edit);
    }
    heapBytes = qint64(mallinfo2().uordblks - heapBefore);
    for (const korvane::ChangeEntry &entry : korvane::changeHistory().entries())
      changedBytes += entry.spans.byteCount();
  }
};

const FullHistory &fullHistory() {
  files();
  static const FullHistory history;
  return history;
}

void BM_OpenHistoryWindow(benchmark::State &state) {
  const FullHistory &history = fullHistory();
  for (auto _ : state) {
    korvane::HistoryWindow window;
    window.show();
    benchmark::DoNotOptimize(window.findChild<QListWidget *>()->count());
  }
  state.counters["historyBytes"] = double(history.heapBytes);
  state.counters["changedBytes"] = double(history.changedBytes);
  state.counters["bytesPerChangedByte"] = double(history.heapBytes) / double(history.changedBytes);
}

// The same headlines, made beforehand, in a plain list in a plain window.
void BM_PlainHeadlineList(benchmark::State &state) {
  fullHistory();
  QStringList headlines;
  {
    korvane::HistoryWindow window;
    const auto *list = window.findChild<QListWidget *>(QStringLiteral("historyList"));
    for (int row = 0; row < list->count(); ++row)
      headlines.append(list->item(row)->text());
  }
  for (auto _ : state) {
    QWidget window;
    auto *list = new QListWidget(&window);
    (new QVBoxLayout(&window))->addWidget(list);
    list->addItems(headlines);
    window.show();
    benchmark::DoNotOptimize(list->count());
  }
}

// Picking an entry of the full history builds its 837 field lines.
void BM_PickBulkEntry(benchmark::State &state) {
  fullHistory();
  korvane::HistoryWindow window;
  auto *list = window.findChild<QListWidget *>(QStringLiteral("historyList"));
  int row = 0;
  for (auto _ : state)
    list->setCurrentRow(row++ % list->count());
}

BENCHMARK(BM_UnitSaveWithoutHistory)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UnitSaveWithHistory)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainHeadlineList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenHistoryWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PickBulkEntry)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return korvane::bench::runWithRatios(
      argc, argv,
      {{"BM_UnitSaveWithHistory", "BM_UnitSaveWithoutHistory", 1.3},
       {"BM_OpenHistoryWindow", "BM_PlainHeadlineList", 5.0}});
}
