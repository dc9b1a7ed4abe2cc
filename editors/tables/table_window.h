#pragma once

// Layout pieces of the small table windows: the described record's controls under
// their headings, the filling of their pick lists, and a record list as wide as
// its rows.

#include "editors/shared/record_layout.h"

#include <QStringList>
#include <vector>

class QLayout;
class QListWidget;
class QWidget;

namespace korvane {

// The controls of `layout` named in `rows`, one layout row each, left to right,
// every control under its heading: a text box as wide as its largest entry for a
// number, an empty pick list for a code.
QLayout *headedFieldRows(QWidget *form, const RecordLayout &layout,
                         const std::vector<QStringList> &rows);

// Fills every pick list of `layout` with its fixed rows, in offset order, and
// leaves none selected.
void fillFixedChoices(QWidget *form, const RecordLayout &layout);

// Keeps the list at least as wide as its longest row and a scroll bar.
void fitListToRows(QListWidget *list);

} // namespace korvane
