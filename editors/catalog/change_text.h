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

// The game file `path` is, as the main window holds the two; by its file name
// when the path is neither of them (the user chose another copy since).
std::optional<GameFile> gameFileOf(const QString &path);

struct SpanText {
  QStringList records; // the list names of the records touched, in file order
  QStringList lines;   // "机体0012 / HP: 3500 → 4200", "偏移 0x2BE75C: 00 → 04"
};

// Describes `spans` of the file at `path` as the change from each span's `before`
// to its `after`.
SpanText describeSpans(const QString &path, const std::vector<ChangeSpan> &spans, ListRows &rows);

// One line for the entry's row in the history list: time, window, what it was,
// file and records.
QString entryHeadline(const ChangeEntry &entry, const SpanText &text);

// "#12 保存（Korvane机体修改器）" names an entry in questions.
QString entryName(const ChangeEntry &entry);

} // namespace korvane
