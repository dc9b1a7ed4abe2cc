#pragma once

// The one way a stored field becomes what its parts show, and back: a box's text,
// a pick list's or option frame's row, a check box's tick, a list's ticked rows,
// and the single-string form that the command-line tools, the change history and
// imports print and read. The windows only move these between the codec and their
// controls, so a window always shows what a dump prints. Widget-free.

#include "editors/shared/list_rows.h"
#include "editors/shared/record_layout.h"

#include <QByteArrayView>
#include <optional>
#include <type_traits>

namespace korvane {

// The value of `part` within the stored `raw` field value.
quint32 partValue(const FieldPart &part, const Field &field, quint32 raw);
// `raw` with the bits of `part` replaced by `value`.
quint32 withPartValue(const FieldPart &part, const Field &field, quint32 raw, quint32 value);

// The text a box shows for a decimal, signed or hex part.
QString formatPartText(const FieldPart &part, const Field &field, quint32 raw);

struct ParsedEntry {
  std::optional<quint32> value; // the part's bits, or empty when refused
  QString error;                // names the caption and what it accepts
};

// Converts a box's text. A number is taken in the forms cellInteger takes (blanks
// around, full-width digits, "12.0"); hex digits may be full-width too.
ParsedEntry parsePartText(const FieldPart &part, const Field &field, const QString &text);

// Hex digits in file order to the little-endian value `width` bytes hold,
// by the two-digit group rule of the hex writers ("123" is 12 03).
quint32 fileOrderValue(QStringView digits, int width);

QString chooseRowMessage(const QString &caption);

// The row of a pick list or option frame that shows the part's code `value`, out
// of the `shownRows` rows it shows (the row for `lastRowCode` included); -1 when
// no row does and the code is kept unlisted.
int choiceRow(const FieldPart &part, quint32 value, int shownRows);
// The code that `row` of such a list stands for.
quint32 choiceCode(const FieldPart &part, int row, int shownRows);

// The ticks of a tickable-row part: bit r of the result is row r's tick.
quint32 tickedRows(const FieldPart &part, const Field &field, quint32 value);
// The part's value for those ticks.
quint32 valueOfTickedRows(const FieldPart &part, const Field &field, quint32 ticks);

// The single-string form of `part` within the stored field value `raw`: numbers as
// their boxes show them, a pick list's code as its row text (the code itself when
// no row shows it), a check box as "1" or "0", tickable rows as the ticked rows'
// texts joined by "、".
QString partValueText(const FieldPart &part, const Field &field, quint32 raw, ListRows &rows);

// The form of a spreadsheet cell: the single-string form, but a hex part written
// "0x96E2" (digits in file order), which spreadsheets keep as text where they would
// read 96E2 as 9600 and 0023 as 23.
QString partCellText(const FieldPart &part, const Field &field, quint32 raw, ListRows &rows);

// Turns a cell (either form above) back into the field value, starting from the
// stored `raw`: only the part's bits change. A text equal to what the file holds
// always stands for it; only a changed value is checked against the part's range.
// Numbers may be written as spreadsheets write them ("12.0", full-width digits,
// blanks around); a rounded one ("2.17E+04") is refused. A bare hex text is taken
// only when no spreadsheet could have made it out of another stored text. A pick
// list takes a row text (trailing blanks aside, when one row matches) or the code;
// where several rows share a text, the stored code is kept when its row has that
// text; digits that a spreadsheet could have made of a row named by digits ("12"
// of "0012") are refused. Tickable rows are separated by "、", "，" or ",".
struct ParsedValue {
  std::optional<quint32> raw;
  QString error; // names the caption and what it accepts
};
ParsedValue parsePartValueText(const FieldPart &part, const Field &field, quint32 raw,
                               const QString &text, ListRows &rows);

// A whole cell read as an integer the way spreadsheets write one: blanks around,
// full-width digits and a zero fraction ("12.0") allowed, nothing else.
struct CellInteger {
  std::optional<qint64> value;
  bool rounded = false; // written in exponent form, so digits may be lost
};
CellInteger cellInteger(const QString &text);

// At most `most` characters of `cell`, control characters made visible, for messages.
QString cellQuote(const QString &cell, int most = 40);

// The little-endian value of the first `width` bytes of `bytes`, and the bytes
// that hold `value` so.
quint32 littleEndianAt(QByteArrayView bytes, int width);
QByteArray littleEndianBytes(quint32 value, int width);
// A bare pointer would become a view that ends at its first zero byte.
template <typename Pointer>
requires std::is_pointer_v<Pointer> quint32 littleEndianAt(Pointer bytes, int width)
= delete;
// The value of `field` in the record whose bytes `record` holds from its start.
quint32 fieldValueAt(QByteArrayView record, const Field &field);
template <typename Pointer>
requires std::is_pointer_v<Pointer> quint32 fieldValueAt(Pointer record, const Field &field)
= delete;
// Every field of that record, in the order of `fields`.
RecordValues recordValuesAt(QByteArrayView record, const RecordLayout &layout);

} // namespace korvane
