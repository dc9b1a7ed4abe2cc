#pragma once

// The rows of the lists that table descriptions name, and the text a window shows
// for every part of a stored field, as one string: numbers as their boxes show
// them, a pick list's code as its row text, a check box as "1" or "0", tickable
// rows as the ticked rows' texts joined by "、". The change history and the
// command-line tools print and read fields in this form. Widget-free.

#include "editors/shared/field_text.h"
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

// The text of `part` within the stored field value `raw`.
QString partValueText(const FieldPart &part, const Field &field, quint32 raw, ListRows &rows);

// Turns such a text back into the field value, starting from the stored `raw`: only
// the part's bits change. A pick list takes a row text or the code; where several
// rows share a text, the stored code is kept when its row has that text.
struct ParsedValue {
  std::optional<quint32> raw;
  QString error; // names the caption and what it accepts
};
ParsedValue parsePartValueText(const FieldPart &part, const Field &field, quint32 raw,
                               const QString &text, ListRows &rows);

// The little-endian value of the `width` bytes at `bytes`.
quint32 littleEndianAt(const char *bytes, int width);
// The little-endian value of `field` in the record whose bytes start at `record`.
quint32 fieldValueAt(const char *record, const Field &field);

} // namespace korvane
