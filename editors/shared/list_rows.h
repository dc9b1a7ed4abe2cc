#pragma once

// The rows of the lists that table descriptions name, as a window fills them:
// name lists read once from beside the program, and the extra row of a list whose
// last row stands for a code of its own. Widget-free.

#include "editors/shared/record_layout.h"
#include "io/name_list.h"

#include <QHash>
#include <QStringList>

namespace korvane {

class ListRows {
public:
  // Name lists are read from `dir` (DataDir when empty), each once.
  explicit ListRows(QString dir = {});

  const QStringList &nameList(const NameListFile &list) { return read(list).items; }
  // The list as read, with what was found of it.
  const NameListResult &read(const NameListFile &list);
  // The rows a pick list shows, the row that stands for `lastRowCode` included.
  const QStringList &rowsOf(const ChoiceSource &source);
  // One line per name list that was missing or short, naming the file.
  const QStringList &problems() const { return problems_; }

private:
  QString dir_;
  QHash<const NameListFile *, NameListResult> nameLists_;
  QHash<const ChoiceSource *, QStringList> withLastRow_;
  QStringList problems_;
};

} // namespace korvane
