// The unit editor on the executable inside a disc image against the same on the
// extracted file: a unit pick and a unit save. Every operation on an image finds
// the entry afresh, which must stay within half again the plain file's cost.

#include "bench/ratio_report.h"
#include "bench/sample_files.h"
#include "bench/unit_saves.h"
#include "editors/units/form2.h"
#include "io/disc_image.h"
#include "tools/sample_image.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <benchmark/benchmark.h>

namespace {

constexpr int kPickedUnit = 400;

using korvane::bench::files;

// The sample image, holding the same synthetic game files, mastered once.
const QString &imagePath() {
  static const QString path = [] {
    files();
    const QString folder = files().dir.filePath(QStringLiteral("image"));
    QDir().mkpath(folder);
    QString error;
    if (!korvane::samples::writeSampleImage(folder, &error))
      qFatal("%s", qPrintable(error));
    return QDir(folder).filePath(korvane::samples::sampleImageName());
  }();
  return path;
}

// Points the executable's path at the image's entry or at the plain file.
void useExe(bool inImage) {
  files();
  korvane::gamePaths().ExePath = inImage ? korvane::GameFileRef{imagePath(), korvane::kExeEntryName}
                                         : korvane::GameFileRef::plain(files().exe);
}

// Two neighbouring units in turn, so that every iteration is a pick.
void unitPicks(benchmark::State &state, bool inImage) {
  useExe(inImage);
  korvane::Form2 form;
  auto *units = form.findChild<QListWidget *>(QStringLiteral("List1"));
  int step = 0;
  for (auto _ : state)
    units->setCurrentRow(kPickedUnit + (step++ & 1));
}

void unitSaves(benchmark::State &state, bool inImage) {
  useExe(inImage);
  korvane::bench::timeUnitSaves(state, kPickedUnit);
}

void BM_UnitPickInFile(benchmark::State &state) { unitPicks(state, false); }
void BM_UnitPickInImage(benchmark::State &state) { unitPicks(state, true); }
void BM_UnitSaveInFile(benchmark::State &state) { unitSaves(state, false); }
void BM_UnitSaveInImage(benchmark::State &state) { unitSaves(state, true); }

BENCHMARK(BM_UnitPickInFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UnitPickInImage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UnitSaveInFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UnitSaveInImage)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  return korvane::bench::runWithRatios(argc, argv,
                                       {{"BM_UnitPickInImage", "BM_UnitPickInFile", 1.5},
                                        {"BM_UnitSaveInImage", "BM_UnitSaveInFile", 1.5}});
}
