#pragma once

// The words for change-history entries: which game file an entry wrote, the records
// it touched by their list names, and each changed field as its caption with the old
// and the new value in the window's own text form. Bytes that no table names are
// given by offset. Widget-free; an entry is described only when it is shown.

#include "editors/catalog/table_catalog.h"
#include "io/change_history.h"

#include <QStringList>
#include <optional>

namespace korvane {

struct SpanText {
  QStringList records; // the list names of the records touched, in catalog order
  QStringList lines;   // "机体0012 / HP: 3500 → 4200", "偏移 0x2BE75C: 00 → 04"
};

// Describes entries with name lists read once and each game file's records laid
// out once, so that an entry costs in proportion to the records it touched.
class ChangeDescriber {
public:
  explicit ChangeDescriber(QString namesDir = {});

  // `spans` of the game file `file` (none: every byte by offset) as the change
  // from each span's `before` to its `after`.
  SpanText describe(std::optional<GameFile> file, const ChangeSpans &spans);
  // The entry's row in the history list, without making its field lines.
  QString headline(const ChangeEntry &entry);

private:
  const RecordIndex &indexOf(GameFile file);

  ListRows rows_;
  std::optional<RecordIndex> exeIndex_;
  std::optional<RecordIndex> stageIndex_;
};

// One description on its own (lists and records read for it).
SpanText describeSpans(std::optional<GameFile> file, const ChangeSpans &spans, ListRows &rows);

// One line for the entry's row in the history list: time, window, what it was,
// file and records.
QString entryHeadline(const ChangeEntry &entry, const SpanText &text);

// "#12 保存（Korvane机体修改器）" names an entry in questions.
QString entryName(const ChangeEntry &entry);

} // namespace korvane
