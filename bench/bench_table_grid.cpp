// 表格视图 on the largest table, the 15,066 weapon entries: choosing it in the
// window (one read, the columns sized from the first rows) and sorting it by a
// number and by a list column, each against a plain read of the same bytes with
// every field of every entry decoded; and the memory the table takes above the
// empty window.

#include "app/table_grid_window.h"
#include "bench/ratio_report.h"
#include "bench/sample_files.h"
#include "editors/shared/field_codec.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>

namespace {

using korvane::bench::files;

const korvane::CatalogTable &weapons() { return *korvane::findTable(QStringLiteral("weapons")); }

int choiceRow(const QString &key) {
  for (size_t row = 0; row < korvane::tableCatalog().size(); ++row)
    if (korvane::tableCatalog()[row].key == key)
      return int(row);
  return -1;
}

void BM_RawReadAndDecodeWeapons(benchmark::State &state) {
  korvane::ListRows rows;
  const std::vector<qint64> offsets = weapons().recordOffsets(rows);
  const qint64 start = offsets.front();
  const qint64 length = offsets.back() + weapons().layout->recordSize - start;
  for (auto _ : state) {
    QFile file(files().exe);
    file.open(QIODevice::ReadWrite);
    file.seek(start);
    const QByteArray bytes = file.read(length);
    quint64 sum = 0;
    for (qint64 offset : offsets) {
      const QByteArrayView record = QByteArrayView(bytes).sliced(offset - start);
      for (const korvane::Field &field : weapons().layout->fields)
        sum += korvane::fieldValueAt(record, field);
    }
    benchmark::DoNotOptimize(sum);
  }
}

struct OpenGrid {
  korvane::TableGridWindow window;
  QComboBox *tables = window.findChild<QComboBox *>(QStringLiteral("tableChoice"));
  OpenGrid() {
    window.show();
    tables->setCurrentIndex(choiceRow(QStringLiteral("weapons")));
  }
  int column(const QString &caption) {
    korvane::TableGridModel &model = window.model();
    for (int column = 0; column < model.columnCount(); ++column)
      if (model.headerData(column, Qt::Horizontal).toString() == caption)
        return column;
    return 0;
  }
};

void BM_ChooseWeapons(benchmark::State &state) {
  OpenGrid grid;
  for (auto _ : state) {
    state.PauseTiming();
    grid.tables->setCurrentIndex(choiceRow(QStringLiteral("parts")));
    state.ResumeTiming();
    grid.tables->setCurrentIndex(choiceRow(QStringLiteral("weapons")));
  }
}

void sortWeapons(benchmark::State &state, const QString &caption) {
  OpenGrid grid;
  const int column = grid.column(caption);
  bool descending = false;
  for (auto _ : state) {
    grid.window.model().sort(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    descending = !descending;
  }
}

void BM_SortWeaponsByAttack(benchmark::State &state) {
  sortWeapons(state, QStringLiteral("攻击力"));
}
void BM_SortWeaponsByKind(benchmark::State &state) { sortWeapons(state, QStringLiteral("种类")); }

// The heap the weapons take in a shown window, sorted and filtered once, above the
// same window with no table chosen.
void BM_WeaponsMemory(benchmark::State &state) {
  korvane::TableGridWindow window;
  window.show();
  window.grab();
  const size_t empty = mallinfo2().uordblks;
  window.findChild<QComboBox *>(QStringLiteral("tableChoice"))
      ->setCurrentIndex(choiceRow(QStringLiteral("weapons")));
  window.model().sort(window.model().leadingColumns() - 1, Qt::AscendingOrder);
  window.model().setFilter(QStringLiteral("武器1"));
  window.model().setFilter({});
  window.grab();
  const double megabytes = double(mallinfo2().uordblks - empty) / (1024.0 * 1024.0);
  for (auto _ : state)
    benchmark::DoNotOptimize(window.model().rowCount());
  state.counters["tableMB"] = megabytes;
  if (megabytes >= 30.0)
    state.SkipWithError("the weapons take 30 MB or more above the empty window");
}

BENCHMARK(BM_WeaponsMemory)->Iterations(1)->Repetitions(1);
BENCHMARK(BM_RawReadAndDecodeWeapons)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ChooseWeapons)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortWeaponsByAttack)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortWeaponsByKind)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  files();
  return korvane::bench::runWithRatios(
      argc, argv,
      {{"BM_ChooseWeapons", "BM_RawReadAndDecodeWeapons", 20.0},
       {"BM_SortWeaponsByAttack", "BM_RawReadAndDecodeWeapons", 20.0},
       {"BM_SortWeaponsByKind", "BM_RawReadAndDecodeWeapons", 20.0}});
}
