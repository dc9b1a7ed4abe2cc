// korvane-tool's BPS patch and apply of a whole disc image of 2.2 GB against
// xdelta3's encode and decode of the same pair, each a program of its own run
// side by side, for three changes: 3 bytes, 200 bytes across 85 fields, and a
// changed block of 1 MiB. Each run reports its peak resident memory. The images
// are sparse: a few MB of data at either end, and a hole between.
//
// xdelta3 is Debian's package "xdelta3"; without it only korvane-tool runs, and
// the run says so.

#include "bench/ratio_report.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace {

constexpr qint64 kImageSize = qint64(1123000) * 2048; // 2.3 GB
constexpr qint64 kDataAtEachEnd = 8 << 20;

enum Change { ThreeBytes, EightyFiveFields, OneMebibyte };

QByteArray randomBytes(qint64 size, quint32 seed) {
  QByteArray bytes(size, Qt::Uninitialized);
  QRandomGenerator(seed).fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
  return bytes;
}

// Writes `bytes` at `offset` of the file at `path`.
bool writeAt(const QString &path, qint64 offset, const QByteArray &bytes) {
  QFile file(path);
  return file.open(QIODevice::ReadWrite) && file.seek(offset) && file.write(bytes) == bytes.size();
}

// The original image: data at either end, a hole between.
bool writeOriginal(const QString &path) {
  QFile::remove(path);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || !file.resize(kImageSize))
    return false;
  file.close();
  return writeAt(path, 0, randomBytes(kDataAtEachEnd, 1)) &&
         writeAt(path, kImageSize - kDataAtEachEnd, randomBytes(kDataAtEachEnd, 2));
}

bool writeModified(const QString &path, Change change) {
  if (!writeOriginal(path))
    return false;
  switch (change) {
  case ThreeBytes:
    return writeAt(path, 0x9321, "\x5A") && writeAt(path, kImageSize / 2, "\x01") &&
           writeAt(path, kImageSize - 0x1234, "\xA5");
  case EightyFiveFields: {
    // 30 words of four bytes, 25 of two and 30 single bytes: 200 bytes, in the
    // records of the data at the start.
    for (int field = 0; field < 85; ++field) {
      const int width = field < 30 ? 4 : field < 55 ? 2 : 1;
      if (!writeAt(path, 0x40000 + qint64(field) * 732 * 9, QByteArray(width, '\x7F')))
        return false;
    }
    return true;
  }
  case OneMebibyte:
    return writeAt(path, kImageSize / 3 * 2, randomBytes(1 << 20, 3));
  }
  return false;
}

struct Files {
  QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/korvane-bench-XXXXXX")};
  QString original = dir.filePath(QStringLiteral("original.iso"));
  QString xdelta3 = QStandardPaths::findExecutable(QStringLiteral("xdelta3"));
  Files() { writeOriginal(original); }
  QString modified(Change change) const {
    return dir.filePath(QStringLiteral("modified%1.iso").arg(int(change)));
  }
  QString patch(Change change, const char *suffix) const {
    return dir.filePath(QStringLiteral("patch%1.%2").arg(int(change)).arg(QLatin1String(suffix)));
  }
};

Files &files() {
  static Files instance;
  return instance;
}

// Runs `arguments` as a program of its own; false when it failed. `peakKb` keeps
// the largest resident size any run reached.
// posix_spawn, not fork: a forked child starts out holding this process's
// resident pages, and its peak would count them.
bool run(const std::vector<QString> &arguments, long &peakKb) {
  std::vector<QByteArray> encoded;
  for (const QString &argument : arguments)
    encoded.push_back(QFile::encodeName(argument));
  std::vector<char *> argv;
  for (QByteArray &argument : encoded)
    argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t child = 0;
  const bool spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  if (!spawned)
    return false;
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child)
    return false;
  peakKb = std::max(peakKb, usage.ru_maxrss);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void reportPeak(benchmark::State &state, long peakKb) {
  state.counters["peak_MB"] = double(peakKb) / 1024.0;
}

bool prepareModified(Change change) {
  static bool written[3] = {};
  if (!written[change])
    written[change] = writeModified(files().modified(change), change);
  return written[change];
}

void BM_ToolPatch(benchmark::State &state) {
  const Change change = Change(state.range(0));
  if (!prepareModified(change))
    return state.SkipWithError("the images could not be written");
  long peak = 0;
  for (auto _ : state)
    if (!run({QStringLiteral(KORVANE_TOOL_PATH), QStringLiteral("patch"), files().original,
              files().modified(change), QStringLiteral("-o"), files().patch(change, "bps")},
             peak))
      state.SkipWithError("korvane-tool patch failed");
  reportPeak(state, peak);
}

// Each round patches a fresh original in place, written again untimed.
void BM_ToolApply(benchmark::State &state) {
  const Change change = Change(state.range(0));
  long peak = 0;
  const QString image = files().dir.filePath(QStringLiteral("apply.iso"));
  if (!prepareModified(change) ||
      !run({QStringLiteral(KORVANE_TOOL_PATH), QStringLiteral("patch"), files().original,
            files().modified(change), QStringLiteral("-o"), files().patch(change, "bps")},
           peak))
    return state.SkipWithError("the patch could not be made");
  peak = 0;
  for (auto _ : state) {
    state.PauseTiming();
    writeOriginal(image);
    state.ResumeTiming();
    if (!run({QStringLiteral(KORVANE_TOOL_PATH), QStringLiteral("apply"), image,
              files().patch(change, "bps")},
             peak))
      state.SkipWithError("korvane-tool apply failed");
  }
  QFile::remove(image);
  reportPeak(state, peak);
}

void BM_Xdelta3Encode(benchmark::State &state) {
  const Change change = Change(state.range(0));
  if (files().xdelta3.isEmpty())
    return state.SkipWithError("xdelta3 is not installed (Debian: apt-get install xdelta3)");
  if (!prepareModified(change))
    return state.SkipWithError("the images could not be written");
  long peak = 0;
  for (auto _ : state)
    if (!run({files().xdelta3, QStringLiteral("-e"), QStringLiteral("-f"), QStringLiteral("-s"),
              files().original, files().modified(change), files().patch(change, "vcdiff")},
             peak))
      state.SkipWithError("xdelta3 -e failed");
  reportPeak(state, peak);
}

// xdelta3 writes the patched image as a new file.
void BM_Xdelta3Decode(benchmark::State &state) {
  const Change change = Change(state.range(0));
  if (files().xdelta3.isEmpty())
    return state.SkipWithError("xdelta3 is not installed (Debian: apt-get install xdelta3)");
  long peak = 0;
  const QString decoded = files().dir.filePath(QStringLiteral("decoded.iso"));
  if (!prepareModified(change) ||
      !run({files().xdelta3, QStringLiteral("-e"), QStringLiteral("-f"), QStringLiteral("-s"),
            files().original, files().modified(change), files().patch(change, "vcdiff")},
           peak))
    return state.SkipWithError("the xdelta3 patch could not be made");
  peak = 0;
  for (auto _ : state) {
    if (!run({files().xdelta3, QStringLiteral("-d"), QStringLiteral("-f"), QStringLiteral("-s"),
              files().original, files().patch(change, "vcdiff"), decoded},
             peak))
      state.SkipWithError("xdelta3 -d failed");
    state.PauseTiming();
    QFile::remove(decoded);
    state.ResumeTiming();
  }
  reportPeak(state, peak);
}

void changes(benchmark::internal::Benchmark *benchmark) {
  benchmark->Arg(ThreeBytes)->Arg(EightyFiveFields)->Arg(OneMebibyte)->Unit(benchmark::kSecond);
}

BENCHMARK(BM_Xdelta3Encode)->Apply(changes);
BENCHMARK(BM_ToolPatch)->Apply(changes);
BENCHMARK(BM_Xdelta3Decode)->Apply(changes);
BENCHMARK(BM_ToolApply)->Apply(changes);

} // namespace

int main(int argc, char **argv) {
  if (files().xdelta3.isEmpty())
    std::printf("xdelta3 is not installed (Debian: apt-get install xdelta3): only korvane-tool "
                "runs, with no ratio to compare.\n");
  std::vector<korvane::bench::Ratio> ratios;
  for (int change : {ThreeBytes, EightyFiveFields, OneMebibyte}) {
    const std::string arg = '/' + std::to_string(change);
    ratios.push_back({"BM_ToolPatch" + arg, "BM_Xdelta3Encode" + arg, 1.5});
    ratios.push_back({"BM_ToolApply" + arg, "BM_Xdelta3Decode" + arg, 1.5});
  }
  return korvane::bench::runWithRatios(argc, argv, ratios);
}
