// korvane-tool's BPS patch and apply with 1, 1,000 and all unit records changed,
// each against reading the same two files and comparing them byte by byte, in the
// same run; and IPS apply of a patch of 40,000 records in descending order against
// the same records ascending.

#include "bench/ratio_report.h"
#include "bench/raw_compare.h"
#include "bench/sample_files.h"
#include "io/bps.h"
#include "tools/korvane_tool/tool_commands.h"

#include <QTextStream>
#include <benchmark/benchmark.h>
#include <functional>

namespace {

using korvane::GameFileRef;
using korvane::bench::files;
using korvane::bench::readAll;
using korvane::bench::writeAll;

constexpr qint64 kUnitTable = 0x2BE710;
constexpr qint64 kUnitSize = 732;
constexpr int kUnitCount = 837;

// The executable with `units` unit records changed, beside the sample: each
// unit's HP first, then (past the last unit) a byte 36 further on in each, so that
// 1,000 changes still fall in the unit table.
QString unitsChanged(int units) {
  QByteArray bytes = readAll(files().exe);
  for (int i = 0; i < units; ++i) {
    const qint64 at = kUnitTable + kUnitSize * (i % kUnitCount) + 8 + 36 * (i / kUnitCount);
    bytes[at] = char(bytes[at] ^ 0x5A);
  }
  const QString path = files().dir.filePath(QStringLiteral("units%1.37").arg(units));
  writeAll(path, bytes);
  return path;
}

int runTool(const std::function<int(korvane::tool::Tool &)> &command) {
  QString out;
  QString err;
  QTextStream outStream(&out);
  QTextStream errStream(&err);
  korvane::tool::Tool tool(outStream, errStream, files().dir.path());
  return command(tool);
}

void BM_BpsPatch(benchmark::State &state) {
  const QString modified = unitsChanged(int(state.range(0)));
  const QString patch = files().dir.filePath(QStringLiteral("bench.bps"));
  for (auto _ : state)
    if (runTool([&](korvane::tool::Tool &tool) {
          return tool.patch(GameFileRef::plain(files().exe), GameFileRef::plain(modified), patch);
        }) != korvane::tool::kSuccess)
      state.SkipWithError("the patch was not made");
}

// Each round applies the patch to a fresh copy of the sample, put back untimed.
void timeApply(benchmark::State &state, const QByteArray &patchBytes) {
  const QByteArray original = readAll(files().exe);
  const QString copy = files().dir.filePath(QStringLiteral("apply.37"));
  const QString patch = files().dir.filePath(QStringLiteral("apply.patch"));
  writeAll(patch, patchBytes);
  for (auto _ : state) {
    state.PauseTiming();
    writeAll(copy, original);
    state.ResumeTiming();
    if (runTool([&](korvane::tool::Tool &tool) {
          return tool.apply(GameFileRef::plain(copy), patch);
        }) != korvane::tool::kSuccess)
      state.SkipWithError("the patch was not applied");
  }
}

void BM_BpsApply(benchmark::State &state) {
  timeApply(state,
            korvane::encodeBps(readAll(files().exe), readAll(unitsChanged(int(state.range(0))))));
}

// 40,000 IPS records of two bytes, four bytes apart, in either order.
QByteArray manyIpsRecords(bool descending) {
  constexpr int kRecords = 40000;
  QByteArray patch("PATCH");
  for (int i = 0; i < kRecords; ++i) {
    const qint64 offset = 0x100000 + 4 * qint64(descending ? kRecords - 1 - i : i);
    patch += char(offset >> 16);
    patch += char(offset >> 8);
    patch += char(offset);
    patch += QByteArray::fromHex("0002A55A");
  }
  return patch + "EOF";
}

void BM_IpsApplyAscending(benchmark::State &state) { timeApply(state, manyIpsRecords(false)); }
void BM_IpsApplyDescending(benchmark::State &state) { timeApply(state, manyIpsRecords(true)); }

// The baseline: the sample against a copy with every unit changed.
void BM_RawReadAndCompare(benchmark::State &state) {
  korvane::bench::rawReadAndCompare(state, files().exe, unitsChanged(kUnitCount));
}

BENCHMARK(BM_RawReadAndCompare)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BpsPatch)->Arg(1)->Arg(1000)->Arg(kUnitCount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BpsApply)->Arg(1)->Arg(1000)->Arg(kUnitCount)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IpsApplyAscending)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IpsApplyDescending)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
  std::vector<korvane::bench::Ratio> ratios{{"BM_IpsApplyDescending", "BM_IpsApplyAscending", 2.0}};
  for (const char *measured : {"BM_BpsPatch", "BM_BpsApply"})
    for (int units : {1, 1000, kUnitCount})
      ratios.push_back(
          {std::string(measured) + '/' + std::to_string(units), "BM_RawReadAndCompare", 5.0});
  return korvane::bench::runWithRatios(argc, argv, ratios);
}
