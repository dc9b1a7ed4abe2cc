// The accessors against one plain read or write of the same bytes, and the
// reading of the largest name list.

#include "bench/ratio_report.h"
#include "bench/sample_files.h"
#include "io/module1.h"
#include "io/name_list.h"
#include "tools/sample_data.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr qint64 kUnitRecord = 0x2BE710 + 732 * 400;

// The widths of a unit record's fields, head then 18 weapon entries, with the
// gaps the windows step over given as negative widths.
const std::vector<int> &unitRecordWalk() {
  static const std::vector<int> walk = [] {
    std::vector<int> w{2, -2, 2, -2, 4, 2,  2, 2, 2,  1, 1,  1, -1, 2, 2, 2,  2, 4, -1, 1,
                       1, 1,  1, 1,  1, -1, 1, 1, -6, 1, -1, 1, -1, 2, 1, -1, 1, 1, -22};
    for (int j = 0; j < 18; ++j)
      w.insert(w.end(), {-10, 2, 1, 1, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
    return w;
  }();
  return walk;
}

using korvane::bench::files;

void BM_RawRecordRead(benchmark::State &state) {
  for (auto _ : state) {
    QFile file(files().exe);
    file.open(QIODevice::ReadWrite);
    file.seek(kUnitRecord);
    benchmark::DoNotOptimize(file.read(732));
    file.close();
  }
}

void BM_AccessorRecordRead(benchmark::State &state) {
  for (auto _ : state) {
    Module1::Operation op(korvane::GameFileRef::plain(files().exe));
    Module1::FilePos = qint32(kUnitRecord + 1);
    quint32 sum = 0;
    for (int width : unitRecordWalk()) {
      if (width < 0)
        Module1::FilePos -= width;
      else
        sum += width == 1 ? op.ReadByte() : width == 2 ? op.ReadWord() : quint32(op.ReadDword());
    }
    benchmark::DoNotOptimize(sum);
    op.close();
  }
}

void BM_RawRecordWrite(benchmark::State &state) {
  QFile source(files().exe);
  source.open(QIODevice::ReadOnly);
  source.seek(kUnitRecord);
  const QByteArray record = source.read(732);
  for (auto _ : state) {
    QFile file(files().exe);
    file.open(QIODevice::ReadWrite);
    file.seek(kUnitRecord);
    file.write(record);
    file.close();
  }
}

void BM_AccessorRecordWrite(benchmark::State &state) {
  for (auto _ : state) {
    Module1::Operation op(korvane::GameFileRef::plain(files().exe));
    Module1::FilePos = qint32(kUnitRecord + 1);
    for (int width : unitRecordWalk()) {
      if (width < 0)
        Module1::FilePos -= width;
      else if (width == 1)
        op.WriteByte(7);
      else if (width == 2)
        op.WriteWord(700);
      else
        op.WriteDword(70000);
    }
    op.close();
  }
}

void BM_ReadUnitNames(benchmark::State &state) {
  const QString path = files().dir.path() + QStringLiteral("/unit.txt");
  for (auto _ : state)
    benchmark::DoNotOptimize(korvane::readNameListFrom(path, 837));
}

BENCHMARK(BM_RawRecordRead);
BENCHMARK(BM_AccessorRecordRead);
BENCHMARK(BM_RawRecordWrite);
BENCHMARK(BM_AccessorRecordWrite);
BENCHMARK(BM_ReadUnitNames);

} // namespace

int main(int argc, char **argv) {
  return korvane::bench::runWithRatios(argc, argv,
                                       {{"BM_AccessorRecordRead", "BM_RawRecordRead", 2.0},
                                        {"BM_AccessorRecordWrite", "BM_RawRecordWrite", 2.0}});
}
