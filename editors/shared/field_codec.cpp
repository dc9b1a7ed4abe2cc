#include "editors/shared/field_codec.h"

#include "io/module1.h"

#include <QRegularExpression>
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

// Digits only, no sign: what a spreadsheet writes for a whole number it read.
bool isDigits(QStringView text) {
  return !text.isEmpty() &&
         std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
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

// Full-width letters, digits and signs as a Chinese input method types them, and
// the ideographic blank, in their ASCII forms.
QString halfWidth(QString text) {
  for (QChar &c : text) {
    if (c.unicode() >= 0xFF01 && c.unicode() <= 0xFF5E)
      c = QChar(c.unicode() - 0xFEE0);
    else if (c.unicode() == 0x3000)
      c = u' ';
  }
  return text;
}

// A row text a spreadsheet would turn into another text: digits with leading zeros.
bool losesLeadingZeros(const QString &rowText, const QString &cell) {
  return rowText != cell && rowText.size() > 1 && rowText.startsWith(u'0') && isDigits(rowText) &&
         isDigits(cell) && cell.toLongLong() == rowText.toLongLong();
}

// The rows whose text, blanks around aside, is `text`.
QList<int> rowsTrimmedAs(const QStringList &shown, const QString &text) {
  QList<int> found;
  for (qsizetype row = 0; row < shown.size(); ++row)
    if (shown[row].trimmed() == text)
      found.append(int(row));
  return found;
}

// The list row that `text` names: its exact text, or else its text without the
// blanks around when only one row has it; -1 when none or several do. `error` is
// set when the digits may be a spreadsheet's rewrite of a row named by digits.
int rowNamed(const QStringList &shown, const QString &text, QString &error) {
  if (const qsizetype exact = shown.indexOf(text); exact >= 0)
    return int(exact);
  for (const QString &row : shown)
    if (losesLeadingZeros(row, text.trimmed())) {
      error = QStringLiteral("“%1”可能是表格程序把列表中的“%2”当成数字后去掉了开头的 0，"
                             "也可能是代码 %1，无法确定。请填写列表中的文字。")
                  .arg(text.trimmed(), row);
      return -1;
    }
  const QList<int> trimmed = rowsTrimmedAs(shown, text.trimmed());
  return trimmed.size() == 1 ? trimmed.front() : -1;
}

std::optional<quint32> codeOfChoiceText(const FieldPart &part, const Field &field, quint32 stored,
                                        const QString &text, ListRows &rows, QString &error) {
  const QStringList &shown = rows.rowsOf(part.choices);
  const QString storedText = choiceText(part, stored, rows);
  if (storedText == text || storedText.trimmed() == text.trimmed())
    return stored;
  const int row = rowNamed(shown, text, error);
  if (row >= 0)
    return choiceCode(part, row, int(shown.size()));
  const CellInteger code =
      error.isEmpty() && isDigits(text.trimmed()) ? cellInteger(text) : CellInteger{};
  if (code.value && *code.value <= largestCode(part, field))
    return quint32(*code.value);
  return std::nullopt;
}

std::optional<quint32> valueOfTickedRowsText(const FieldPart &part, const Field &field,
                                             const QString &text, ListRows &rows, QString &error) {
  static const QRegularExpression separators(QStringLiteral("[、，,]"));
  const QStringList &shown = rows.rowsOf(part.choices);
  quint32 ticks = 0;
  for (const QString &item : text.split(separators)) {
    const QString name = item.trimmed();
    if (name.isEmpty())
      continue;
    // A row the list has no text for is printed as its number.
    qsizetype row = rowNamed(shown, name, error);
    if (row < 0 && error.isEmpty() && isDigits(name)) {
      bool converted = false;
      const int number = name.toInt(&converted);
      row = converted ? number : -1; // too long for an int: no row, not row 0
    }
    if (row < 0 || row >= partBits(part, field))
      return std::nullopt;
    ticks |= 1u << row;
  }
  return valueOfTickedRows(part, field, ticks);
}

ParsedValue refuseValue(QString message) { return {std::nullopt, std::move(message)}; }

QString numberRefusal(const FieldPart &part, const Field &field, const QString &text) {
  QString message = QStringLiteral("“%1”应填入 %2 到 %3 之间的整数。")
                        .arg(part.caption)
                        .arg(partMinimum(part, field))
                        .arg(partMaximum(part, field));
  if (cellInteger(text).rounded)
    message += QStringLiteral("“%1”是表格程序四舍五入后的写法，原来的数字已经丢失："
                              "请把这一列设为不用科学记数法的数字格式，重新填写。")
                   .arg(cellQuote(text.trimmed()));
  return message;
}

// Numbers as spreadsheets write them; a value equal to the stored one is kept even
// when the part's range would not take it.
ParsedValue parseDecimalCell(const FieldPart &part, const Field &field, quint32 raw,
                             const QString &text) {
  const CellInteger number = cellInteger(text);
  if (number.value && QString::number(*number.value) == formatPartText(part, field, raw))
    return {raw, {}};
  const ParsedEntry entry =
      number.value ? parsePartText(part, field, QString::number(*number.value)) : ParsedEntry{};
  if (!entry.value)
    return refuseValue(numberRefusal(part, field, text));
  return {withPartValue(part, field, raw, *entry.value), {}};
}

// Every `digits`-long text that a spreadsheet shows as the whole number `shown`:
// the same digits behind the zeros it drops ("0023" → 23) and exponent forms it
// expands ("96E2" → 9600).
QStringList spreadsheetSources(const QString &shown, int digits) {
  QStringList sources;
  if (!isDigits(shown) || (shown.size() > 1 && shown.startsWith(u'0')))
    return sources;
  if (shown.size() < digits)
    sources << shown.rightJustified(digits, u'0');
  qsizetype zeros = 0;
  while (zeros < shown.size() - 1 && shown[shown.size() - 1 - zeros] == u'0')
    ++zeros;
  for (qsizetype exponent = 0; exponent <= zeros; ++exponent) {
    const QString mantissa = shown.first(shown.size() - exponent);
    const QString power = QString::number(exponent);
    for (qsizetype width = mantissa.size(); width + 1 + power.size() <= digits; ++width)
      sources << mantissa.rightJustified(width, u'0') + u'E' +
                     power.rightJustified(digits - 1 - width, u'0');
  }
  return sources;
}

QString hexCellRefusal(const FieldPart &part, const Field &field) {
  return QStringLiteral(
             "“%1”应填入 0x 加正好 %2 位十六进制数（例如 0x%3），字节按文件中的顺序排列；"
             "这样写表格程序不会改动它。")
      .arg(part.caption)
      .arg(2 * field.width)
      .arg(QString(2 * field.width, u'0'));
}

QString ambiguousHex(const FieldPart &part, const QString &cell, const QStringList &readings,
                     const QString &stored) {
  QString message = QStringLiteral("“%1”的“%2”有歧义：表格程序会把十六进制文字当成数字改写"
                                   "（96E2 变成 9600，0023 变成 23），它可能来自 %3。")
                        .arg(part.caption, cell, readings.join(QStringLiteral("、")));
  if (readings.contains(QStringLiteral("0x") + stored))
    message += QStringLiteral("文件中是 0x%1，表格程序可能把它当成了数字 %2。").arg(stored, cell);
  else
    message += QStringLiteral("文件中是 0x%1。").arg(stored);
  return message + QStringLiteral("请写成 0x 加正好 %1 位十六进制数，例如 0x%2。")
                       .arg(stored.size())
                       .arg(stored);
}

// A hex cell: "0x" and every digit, or bare digits that only one stored text can
// have become in a spreadsheet.
ParsedValue parseHexCell(const FieldPart &part, const Field &field, quint32 raw,
                         const QString &text) {
  const int digits = 2 * field.width;
  const QString cell = halfWidth(text).trimmed();
  const QString stored = formatPartText(part, field, raw);
  if (cell.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
    const QStringView hex = QStringView(cell).sliced(2);
    if (hex.size() != digits || !Module1::IsHexDigits(hex))
      return refuseValue(hexCellRefusal(part, field));
    return {withPartValue(part, field, raw, fileOrderValue(hex, field.width)), {}};
  }
  if (cell.compare(stored, Qt::CaseInsensitive) == 0)
    return {raw, {}};
  QStringList readings;
  QList<quint32> values;
  auto addReading = [&](const QString &hex) {
    const quint32 value = fileOrderValue(hex, field.width);
    if (!values.contains(value)) {
      values << value;
      readings << QStringLiteral("0x") + Module1::FileOrderHex(value, field.width);
    }
  };
  if (cell.size() <= digits && Module1::IsHexDigits(cell))
    addReading(cell);
  for (const QString &source : spreadsheetSources(cell, digits))
    addReading(source);
  if (values.size() == 1)
    return {withPartValue(part, field, raw, values.front()), {}};
  if (values.size() > 1)
    return refuseValue(ambiguousHex(part, cellQuote(cell), readings, stored));
  return refuseValue(hexCellRefusal(part, field));
}

// A box takes a number in every form an import takes it, so that what a
// spreadsheet or an input method writes means the same in both.
ParsedEntry parseDecimal(const FieldPart &part, const Field &field, const QString &text) {
  const std::optional<qint64> number = cellInteger(text).value;
  if (!number || *number < partMinimum(part, field) || *number > partMaximum(part, field))
    return refuse(numberRefusal(part, field, text));
  return {quint32(*number) & partMask(part, field), {}};
}

ParsedEntry parseHex(const FieldPart &part, const Field &field, const QString &text) {
  const QString trimmed = halfWidth(text).trimmed();
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

QString partCellText(const FieldPart &part, const Field &field, quint32 raw, ListRows &rows) {
  const QString text = partValueText(part, field, raw, rows);
  return part.encoding == Encoding::Hex ? QStringLiteral("0x") + text : text;
}

ParsedValue parsePartValueText(const FieldPart &part, const Field &field, quint32 raw,
                               const QString &text, ListRows &rows) {
  if (part.encoding == Encoding::Hex)
    return parseHexCell(part, field, raw, text);
  if (!isChoice(part.encoding) && !isTickedRows(part.encoding) && part.encoding != Encoding::Flag)
    return parseDecimalCell(part, field, raw, text);
  std::optional<quint32> value;
  QString ambiguity;
  if (isChoice(part.encoding)) {
    value = codeOfChoiceText(part, field, partValue(part, field, raw), text, rows, ambiguity);
    if (!value)
      return refuseValue(QStringLiteral("“%1”应填入列表中的一项或它的代码（0 到 %2）。%3")
                             .arg(part.caption)
                             .arg(largestCode(part, field))
                             .arg(ambiguity));
  } else if (part.encoding == Encoding::Flag) {
    const std::optional<qint64> tick = cellInteger(text).value;
    if (tick != 0 && tick != 1)
      return refuseValue(QStringLiteral("“%1”应填入 1（选中）或 0（不选）。").arg(part.caption));
    value = quint32(*tick);
  } else {
    value = valueOfTickedRowsText(part, field, text, rows, ambiguity);
    if (!value)
      return refuseValue(QStringLiteral("“%1”应填入列表中的项目，多项之间用“、”分隔。%2")
                             .arg(part.caption, ambiguity));
  }
  return {withPartValue(part, field, raw, *value), {}};
}

CellInteger cellInteger(const QString &text) {
  // No value a field holds needs more characters; a longer cell is refused
  // before a pattern walks it, which would take time growing with its square.
  constexpr qsizetype kLongestNumberCell = 64;
  if (text.size() > kLongestNumberCell && text.trimmed().size() > kLongestNumberCell)
    return {};
  static const QRegularExpression whole(QStringLiteral("^([+-]?[0-9]+)(\\.0*)?$"));
  static const QRegularExpression exponent(
      QStringLiteral("^[+-]?[0-9]*\\.?[0-9]*[eE][+-]?[0-9]+$"));
  const QString cell = halfWidth(text).trimmed();
  const QRegularExpressionMatch match = whole.match(cell);
  bool converted = false;
  const qint64 number = match.hasMatch() ? match.captured(1).toLongLong(&converted) : 0;
  if (converted)
    return {number, false};
  return {std::nullopt, exponent.match(cell).hasMatch()};
}

QString cellQuote(const QString &cell, int most) {
  QString shown = cell.left(most);
  for (QChar &c : shown)
    if (c.unicode() < 0x20)
      c = QChar(0x2400 + c.unicode()); // the control character's picture, ␀ for 0
  return cell.size() > most ? shown + QStringLiteral("…") : shown;
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
