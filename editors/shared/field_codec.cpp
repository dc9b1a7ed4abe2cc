#include "editors/shared/field_codec.h"

#include "io/module1.h"

#include <algorithm>

namespace korvane {

namespace {

quint32 partMask(const FieldPart &part, const Field &field) {
  const int bits = partBits(part, field);
  return bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
}

bool isSigned(Encoding encoding) {
  return encoding == Encoding::SignedDecimal || encoding == Encoding::SignedRewrittenOnSave;
}

// An optional sign and ASCII digits, nothing else.
bool isPlainInteger(const QString &text) {
  const qsizetype start = text.startsWith(u'-') || text.startsWith(u'+') ? 1 : 0;
  if (text.size() == start)
    return false;
  for (qsizetype i = start; i < text.size(); ++i)
    if (text[i] < u'0' || text[i] > u'9')
      return false;
  return true;
}

ParsedEntry refuse(QString message) { return {std::nullopt, std::move(message)}; }

constexpr QChar kRowSeparator = u'、';

bool isTickedRows(Encoding encoding) {
  return encoding == Encoding::FlagRows || encoding == Encoding::FlagRowsReversed;
}

bool isChoice(Encoding encoding) {
  return encoding == Encoding::Choice || encoding == Encoding::OptionGroup;
}

// The list row that shows bit `bit`; the same mapping takes a row to its bit.
int rowOfBit(const FieldPart &part, const Field &field, int bit) {
  return part.encoding == Encoding::FlagRowsReversed ? partBits(part, field) - 1 - bit : bit;
}

qint64 largestCode(const FieldPart &part, const Field &field) {
  return (qint64(1) << partBits(part, field)) - 1;
}

// The rows whose own index is their code: all but the row for `lastRowCode`.
int indexedRows(const ChoiceSource &choices, int shownRows) {
  return choices.lastRowCode >= 0 ? shownRows - 1 : shownRows;
}

// The text of the row that shows `code`, or the code itself when no row does.
QString choiceText(const FieldPart &part, quint32 code, ListRows &rows) {
  const QStringList &shown = rows.rowsOf(part.choices);
  const int row = choiceRow(part, code, int(shown.size()));
  return row >= 0 ? shown[row] : QString::number(code);
}

QString tickedRowsText(const FieldPart &part, const Field &field, quint32 value, ListRows &rows) {
  const QStringList &shown = rows.rowsOf(part.choices);
  const quint32 ticks = tickedRows(part, field, value);
  QStringList ticked;
  for (int row = 0; row < partBits(part, field); ++row)
    if ((ticks >> row) & 1)
      ticked.append(row < shown.size() ? shown[row] : QString::number(row));
  return ticked.join(kRowSeparator);
}

std::optional<quint32> codeOfChoiceText(const FieldPart &part, const Field &field, quint32 stored,
                                        const QString &text, ListRows &rows) {
  const QStringList &shown = rows.rowsOf(part.choices);
  if (choiceText(part, stored, rows) == text)
    return stored;
  const qsizetype row = shown.indexOf(text);
  if (row >= 0)
    return choiceCode(part, int(row), int(shown.size()));
  bool isNumber = false;
  const qint64 code = text.toLongLong(&isNumber);
  if (isNumber && code >= 0 && code <= largestCode(part, field))
    return quint32(code);
  return std::nullopt;
}

std::optional<quint32> valueOfTickedRowsText(const FieldPart &part, const Field &field,
                                             const QString &text, ListRows &rows) {
  const QStringList &shown = rows.rowsOf(part.choices);
  quint32 ticks = 0;
  for (const QString &name : text.split(kRowSeparator, Qt::SkipEmptyParts)) {
    // A row the list has no text for is printed as its number.
    bool isNumber = true;
    qsizetype row = shown.indexOf(name);
    if (row < 0)
      row = name.toInt(&isNumber);
    if (!isNumber || row < 0 || row >= partBits(part, field))
      return std::nullopt;
    ticks |= 1u << row;
  }
  return valueOfTickedRows(part, field, ticks);
}

ParsedValue refuseValue(QString message) { return {std::nullopt, std::move(message)}; }

std::optional<quint32> parseChoiceText(const FieldPart &part, const Field &field, quint32 stored,
                                       const QString &text, ListRows &rows) {
  const std::optional<quint32> exact = codeOfChoiceText(part, field, stored, text, rows);
  return exact ? exact : codeOfChoiceText(part, field, stored, text.trimmed(), rows);
}

ParsedEntry parseDecimal(const FieldPart &part, const Field &field, const QString &text) {
  const qint64 low = partMinimum(part, field);
  const qint64 high = partMaximum(part, field);
  const QString trimmed = text.trimmed();
  bool converted = false;
  const qint64 number = isPlainInteger(trimmed) ? trimmed.toLongLong(&converted) : 0;
  if (!converted || number < low || number > high)
    return refuse(
        QStringLiteral("“%1”应填入 %2 到 %3 之间的整数。").arg(part.caption).arg(low).arg(high));
  const quint32 bits = quint32(number) & partMask(part, field);
  return {bits, {}};
}

ParsedEntry parseHex(const FieldPart &part, const Field &field, const QString &text) {
  const QString trimmed = text.trimmed();
  const int maxDigits = 2 * field.width;
  if (!Module1::IsHexDigits(trimmed) || trimmed.size() > maxDigits) {
    if (field.width == 1)
      return refuse(
          QStringLiteral("“%1”应填入 1 到 2 位十六进制数（00 到 FF）。").arg(part.caption));
    return refuse(QStringLiteral("“%1”应填入 1 到 %2 位十六进制数，字节按文件中的顺序排列。")
                      .arg(part.caption)
                      .arg(maxDigits));
  }
  return {fileOrderValue(trimmed, field.width), {}};
}

} // namespace

quint32 partValue(const FieldPart &part, const Field &field, quint32 raw) {
  return (raw >> part.shift) & partMask(part, field);
}

quint32 withPartValue(const FieldPart &part, const Field &field, quint32 raw, quint32 value) {
  const quint32 mask = partMask(part, field) << part.shift;
  return (raw & ~mask) | ((value << part.shift) & mask);
}

QString formatPartText(const FieldPart &part, const Field &field, quint32 raw) {
  const quint32 value = partValue(part, field, raw);
  if (part.encoding == Encoding::Hex)
    return Module1::FileOrderHex(value, field.width);
  if (isSigned(part.encoding)) {
    const int bits = partBits(part, field);
    const qint64 signedValue = bits < 64 && (value >> (bits - 1)) & 1
                                   ? qint64(value) - (qint64(1) << bits)
                                   : qint64(value);
    return QString::number(signedValue);
  }
  return QString::number(value);
}

ParsedEntry parsePartText(const FieldPart &part, const Field &field, const QString &text) {
  if (part.encoding == Encoding::Hex)
    return parseHex(part, field, text);
  return parseDecimal(part, field, text);
}

quint32 fileOrderValue(QStringView digits, int width) {
  if (width == 1)
    return quint32(Module1::ParseHex(digits));
  quint32 value = 0;
  for (int i = 0; i < width; ++i)
    value |= quint32(Module1::ParseHex(digits.mid(2 * i, 2)) & 0xFF) << (8 * i);
  return value;
}

QString chooseRowMessage(const QString &caption) {
  return QStringLiteral("请在“%1”中选择一项。").arg(caption);
}

int choiceRow(const FieldPart &part, quint32 value, int shownRows) {
  const ChoiceSource &choices = part.choices;
  if (choices.codes) {
    const auto found = std::find(choices.codes->begin(), choices.codes->end(), value);
    const auto row = found - choices.codes->begin();
    return found != choices.codes->end() && row < shownRows ? int(row) : -1;
  }
  if (choices.lastRowCode >= 0 && value == quint64(choices.lastRowCode))
    return shownRows > 0 ? shownRows - 1 : -1;
  return value < quint32(std::max(0, indexedRows(choices, shownRows))) ? int(value) : -1;
}

quint32 choiceCode(const FieldPart &part, int row, int shownRows) {
  const ChoiceSource &choices = part.choices;
  if (choices.codes)
    return (*choices.codes)[size_t(row)];
  if (choices.lastRowCode >= 0 && row == shownRows - 1)
    return quint32(choices.lastRowCode);
  return quint32(row);
}

quint32 tickedRows(const FieldPart &part, const Field &field, quint32 value) {
  quint32 ticks = 0;
  for (int bit = 0; bit < partBits(part, field); ++bit)
    if ((value >> bit) & 1)
      ticks |= 1u << rowOfBit(part, field, bit);
  return ticks;
}

quint32 valueOfTickedRows(const FieldPart &part, const Field &field, quint32 ticks) {
  // The row-to-bit mapping is its own inverse.
  return tickedRows(part, field, ticks);
}

QString partValueText(const FieldPart &part, const Field &field, quint32 raw, ListRows &rows) {
  const quint32 value = partValue(part, field, raw);
  if (isChoice(part.encoding))
    return choiceText(part, value, rows);
  if (part.encoding == Encoding::Flag)
    return QString::number(value & 1);
  if (isTickedRows(part.encoding))
    return tickedRowsText(part, field, value, rows);
  return formatPartText(part, field, raw);
}

ParsedValue parsePartValueText(const FieldPart &part, const Field &field, quint32 raw,
                               const QString &text, ListRows &rows) {
  const QString trimmed = text.trimmed();
  std::optional<quint32> value;
  if (isChoice(part.encoding)) {
    value = parseChoiceText(part, field, partValue(part, field, raw), text, rows);
    if (!value)
      return refuseValue(QStringLiteral("“%1”应填入列表中的一项或它的代码（0 到 %2）。")
                             .arg(part.caption)
                             .arg(largestCode(part, field)));
  } else if (part.encoding == Encoding::Flag) {
    if (trimmed != QLatin1String("0") && trimmed != QLatin1String("1"))
      return refuseValue(QStringLiteral("“%1”应填入 1（选中）或 0（不选）。").arg(part.caption));
    value = trimmed == QLatin1String("1") ? 1 : 0;
  } else if (isTickedRows(part.encoding)) {
    value = valueOfTickedRowsText(part, field, trimmed, rows);
    if (!value)
      return refuseValue(
          QStringLiteral("“%1”应填入列表中的项目，多项之间用“、”分隔。").arg(part.caption));
  } else {
    const ParsedEntry entry = parsePartText(part, field, text);
    if (!entry.value)
      return refuseValue(entry.error);
    value = entry.value;
  }
  return {withPartValue(part, field, raw, *value), {}};
}

quint32 littleEndianAt(QByteArrayView bytes, int width) {
  Q_ASSERT(bytes.size() >= width);
  quint32 value = 0;
  for (int i = width - 1; i >= 0; --i)
    value = (value << 8) | quint8(bytes[i]);
  return value;
}

QByteArray littleEndianBytes(quint32 value, int width) {
  QByteArray bytes(width, Qt::Uninitialized);
  for (int i = 0; i < width; ++i)
    bytes[i] = char(value >> (8 * i));
  return bytes;
}

quint32 fieldValueAt(QByteArrayView record, const Field &field) {
  return littleEndianAt(record.sliced(field.offset), field.width);
}

RecordValues recordValuesAt(QByteArrayView record, const RecordLayout &layout) {
  RecordValues values;
  values.reserve(layout.fields.size());
  for (const Field &field : layout.fields)
    values.push_back(fieldValueAt(record, field));
  return values;
}

} // namespace korvane
