// A full korvane-tool diff of two executables against reading the same two files
// and comparing them byte by byte, in the same run; a JSON dump of every table
// against a CSV dump of the same; and the peak memory of a diff of a fully
// changed unit table, which writes its rows as it finds them.

#include "bench/ratio_report.h"
#include "bench/raw_compare.h"
#include "bench/sample_files.h"
#include "editors/units/unit_record.h"
#include "tools/korvane_tool/tool_commands.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <benchmark/benchmark.h>
#include <cstring>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using korvane::GameFileRef;
using korvane::bench::files;
using korvane::bench::readAll;
using korvane::bench::writeAll;

// A modified executable beside the sample one: a hundred scattered edits in
// described fields and a few outside every table.
const QString &modifiedExe() {
  static const QString path = [] {
    QByteArray bytes = readAll(files().exe);
    for (int i = 0; i < 100; ++i) {
      const qint64 unit = 0x2BE710 + 732 * qint64(i * 8);
      bytes[unit + 8] = char(bytes[unit + 8] + 1);   // HP
      bytes[unit + 84 + 36 * (i % 18) + 10] ^= 0x10; // a weapon's attack
    }
    for (qint64 offset : {0x1000, 0x29D400 + 20, 0x300000})
      bytes[offset] = char(~bytes[offset]);
    const QString modified = files().dir.filePath(QStringLiteral("SLPS_255.37.mod"));
    writeAll(modified, bytes);
    return modified;
  }();
  return path;
}

void BM_RawReadAndCompare(benchmark::State &state) {
  korvane::bench::rawReadAndCompare(state, files().exe, modifiedExe());
}

void BM_ToolDiff(benchmark::State &state) {
  const QString &modified = modifiedExe();
  for (auto _ : state) {
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    korvane::tool::Tool tool(outStream, errStream, files().dir.path());
    const int status = tool.diff({GameFileRef::plain(files().exe),
                                  GameFileRef::plain(modified),
                                  korvane::tool::Format::Text,
                                  {}});
    if (status != korvane::tool::kDiffers)
      state.SkipWithError("the diff found no change");
    benchmark::DoNotOptimize(out);
  }
}

void dumpAll(benchmark::State &state, korvane::tool::Format format) {
  QTemporaryDir out;
  QString log;
  QTextStream logStream(&log);
  korvane::tool::Tool tool(logStream, logStream, files().dir.path());
  for (auto _ : state) {
    if (tool.dump({GameFileRef::plain(files().exe),
                   QStringLiteral("all"),
                   format,
                   false,
                   out.path(),
                   {}}) != korvane::tool::kSuccess)
      state.SkipWithError("the dump failed");
  }
}

void BM_DumpAllCsv(benchmark::State &state) { dumpAll(state, korvane::tool::Format::Csv); }
void BM_DumpAllJson(benchmark::State &state) { dumpAll(state, korvane::tool::Format::Json); }

// Every byte of the unit table (the unit heads and their weapons) changed.
const QString &changedUnitTable() {
  static const QString path = [] {
    QByteArray bytes = readAll(files().exe);
    const korvane::RecordLayout &units = korvane::unitHeadLayout();
    for (qint64 at = units.tableOffset; at < units.tableEnd(); ++at)
      bytes[at] = char(~bytes[at]);
    const QString changed = files().dir.filePath(QStringLiteral("SLPS_255.37.all"));
    writeAll(changed, bytes);
    return changed;
  }();
  return path;
}

// The peak resident memory, in MB, of a child process that runs `work`.
double childPeakMegabytes(const std::function<void()> &work) {
  const pid_t child = fork();
  if (child == 0) {
    work();
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return double(usage.ru_maxrss) / 1024.0; // kB
}

// Children's peaks are reported as the largest so far, so the diff comes first.
void BM_DiffPeakMemory(benchmark::State &state) {
  const QString &changed = changedUnitTable();
  qint64 rows = 0;
  const double peak = childPeakMegabytes([&] {
    QFile sink(QStringLiteral("/dev/null"));
    sink.open(QIODevice::WriteOnly);
    QTextStream out(&sink);
    QString err;
    QTextStream errStream(&err);
    korvane::tool::Tool tool(out, errStream, files().dir.path());
    tool.diff({GameFileRef::plain(files().exe),
               GameFileRef::plain(changed),
               korvane::tool::Format::Csv,
               {}});
  });
  for (auto _ : state) {
    QFile file(changed);
    benchmark::DoNotOptimize(file.size());
  }
  {
    QString out;
    QTextStream outStream(&out);
    korvane::tool::Tool tool(outStream, outStream, files().dir.path());
    tool.diff({GameFileRef::plain(files().exe),
               GameFileRef::plain(changed),
               korvane::tool::Format::Text,
               {}});
    rows = out.count(u'\n');
  }
  state.counters["peakMB"] = peak;
  state.counters["changedFields"] = double(rows);
  if (peak >= 50.0)
    state.SkipWithError("the diff's peak memory is 50 MB or more");
}

BENCHMARK(BM_DiffPeakMemory)->Iterations(1)->Repetitions(1);
BENCHMARK(BM_RawReadAndCompare)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToolDiff)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DumpAllCsv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DumpAllJson)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv) {
  return korvane::bench::runWithRatios(
      argc, argv,
      {{"BM_ToolDiff", "BM_RawReadAndCompare", 5.0},
       // Both dumps write the same files; what JSON must not cost is processor time.
       {"BM_DumpAllJson", "BM_DumpAllCsv", 1.5, korvane::bench::Clock::Cpu}});
}
