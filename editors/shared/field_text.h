#pragma once

// The text forms of the fields that are typed into boxes: formatting a stored
// value for its box, and checking and converting what the user typed.

#include "editors/shared/record_layout.h"

#include <optional>

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

// Converts a box's text; blanks around the number are accepted, nothing else.
ParsedEntry parsePartText(const FieldPart &part, const Field &field, const QString &text);

// Hex digits in file order to the little-endian value `width` bytes hold,
// by the two-digit group rule of the hex writers ("123" is 12 03).
quint32 fileOrderValue(QStringView digits, int width);

QString chooseRowMessage(const QString &caption);

} // namespace korvane
