#pragma once

// Drives the deployment windows through their controls on the synthetic game, with
// stage lists and stage.bin bytes that a test puts in place before opening.

#include "editors/deployment/form13.h"
#include "editors/deployment/form14.h"
#include "io/name_list.h"
#include "tests/support/window_harness.h"
#include "tools/sample_data.h"

#include <QTest>
#include <type_traits>

namespace korvane::test {

// The stage the tests place their block at, by the worked line "1A0，12"; bytes
// before 0x800 of the sample stage.bin belong to no block.
inline constexpr int kTestStage = 5;
inline constexpr qint64 kTestBlock = 0x1A0;

inline QString stageLine(const QString &offset, const QString &count) {
  return offset + QChar(0xFF0C) + count;
}

template <typename Form> class DeploymentHarness : public WindowHarness {
public:
  DeploymentHarness() : WindowHarness(&makeForm<Form>) {}

  static constexpr bool kAlly = std::is_same_v<Form, Form14>;
  const NameListFile &offsetList() const { return kAlly ? kAllyStageOffsets : kEnemyStageOffsets; }

  // The sample's offset lines with line `stage` replaced.
  void setStageLine(int stage, const QString &line) const {
    QStringList lines = offsetLines();
    lines[stage] = line;
    setOffsetLines(lines);
  }
  QStringList offsetLines() const {
    return kAlly ? samples::allyStages().offsetLines : samples::enemyStages().offsetLines;
  }
  void setOffsetLines(const QStringList &lines) const {
    SampleGame::writeFile(game.listPath(offsetList().fileName), samples::encodeGbk(lines));
  }
  void patchStage(qint64 offset, const QByteArray &bytes) const {
    QByteArray stage = game.stage();
    stage.replace(offset, bytes.size(), bytes);
    SampleGame::writeFile(game.stagePath(), stage);
  }

  void pickStage(int stage) const { list(QStringLiteral("List1"))->setCurrentRow(stage); }
  void pickRecord(int record) const { list(QStringLiteral("List2"))->setCurrentRow(record); }
  QStringList records() const {
    QStringList rows;
    QListWidget *records = list(QStringLiteral("List2"));
    for (int row = 0; row < records->count(); ++row)
      rows << records->item(row)->text();
    return rows;
  }
  void write() const { click(QStringLiteral("Command2")); }
};

} // namespace korvane::test
