#include "editors/shared/list_rows.h"

#include <QDir>

namespace korvane {

namespace {

constexpr QChar kRowSeparator = u'、';

bool isTickedRows(Encoding encoding) {
  return encoding == Encoding::FlagRows || encoding == Encoding::FlagRowsReversed;
}

// The list row that shows bit `bit`; the same mapping takes a row to its bit.
int rowOfBit(const FieldPart &part, const Field &field, int bit) {
  return part.encoding == Encoding::FlagRowsReversed ? partBits(part, field) - 1 - bit : bit;
}

qint64 largestCode(const FieldPart &part, const Field &field) {
  return (qint64(1) << partBits(part, field)) - 1;
}

// The text of the row that shows `code`, or the code itself when no row does.
QString choiceText(const FieldPart &part, quint32 code, ListRows &rows) {
  const QStringList &shown = rows.rowsOf(part.choices);
  const int row = part.choices.rowOfCode(code);
  return row >= 0 && row < shown.size() ? shown[row] : QString::number(code);
}

QString tickedRowsText(const FieldPart &part, const Field &field, quint32 value, ListRows &rows) {
  const QStringList &shown = rows.rowsOf(part.choices);
  QStringList ticked;
  for (int row = 0; row < partBits(part, field); ++row)
    if ((value >> rowOfBit(part, field, row)) & 1)
      ticked.append(row < shown.size() ? shown[row] : QString::number(row));
  return ticked.join(kRowSeparator);
}

ParsedValue refuse(QString message) { return {std::nullopt, std::move(message)}; }

std::optional<quint32> choiceCode(const FieldPart &part, const Field &field, quint32 stored,
                                  const QString &text, ListRows &rows) {
  const QStringList &shown = rows.rowsOf(part.choices);
  if (choiceText(part, stored, rows) == text)
    return stored;
  const qsizetype row = shown.indexOf(text);
  if (row >= 0)
    return part.choices.codeOfRow(int(row));
  bool isNumber = false;
  const qint64 code = text.toLongLong(&isNumber);
  if (isNumber && code >= 0 && code <= largestCode(part, field))
    return quint32(code);
  return std::nullopt;
}

std::optional<quint32> tickedRowsValue(const FieldPart &part, const Field &field,
                                       const QString &text, ListRows &rows) {
  const QStringList &shown = rows.rowsOf(part.choices);
  quint32 value = 0;
  for (const QString &name : text.split(kRowSeparator, Qt::SkipEmptyParts)) {
    // A row the list has no text for is printed as its number.
    bool isNumber = true;
    qsizetype row = shown.indexOf(name);
    if (row < 0)
      row = name.toInt(&isNumber);
    if (!isNumber || row < 0 || row >= partBits(part, field))
      return std::nullopt;
    value |= 1u << rowOfBit(part, field, int(row));
  }
  return value;
}

} // namespace

ListRows::ListRows(QString dir) : dir_(std::move(dir)) {}

const NameListResult &ListRows::read(const NameListFile &list) {
  auto found = nameLists_.find(&list);
  if (found != nameLists_.end())
    return *found;
  const NameListResult result =
      dir_.isEmpty()
          ? readNameList(list)
          : readNameListFrom(QDir(dir_).filePath(QString::fromLatin1(list.fileName)), list.count);
  if (!result.complete())
    problems_.append(result.problem());
  return *nameLists_.insert(&list, result);
}

const QStringList &ListRows::rowsOf(const ChoiceSource &source) {
  static const QStringList none;
  const QStringList &listed = source.fixedRows  ? *source.fixedRows
                              : source.nameList ? nameList(*source.nameList)
                                                : none;
  if (source.lastRowCode < 0)
    return listed;
  auto found = withLastRow_.find(&source);
  if (found == withLastRow_.end())
    found = withLastRow_.insert(&source, listed + QStringList{source.lastRowText});
  return *found;
}

QString partValueText(const FieldPart &part, const Field &field, quint32 raw, ListRows &rows) {
  const quint32 value = partValue(part, field, raw);
  switch (part.encoding) {
  case Encoding::Choice:
  case Encoding::OptionGroup:
    return choiceText(part, value, rows);
  case Encoding::Flag:
    return QString::number(value & 1);
  case Encoding::FlagRows:
  case Encoding::FlagRowsReversed:
    return tickedRowsText(part, field, value, rows);
  default:
    return formatPartText(part, field, raw);
  }
}

ParsedValue parsePartValueText(const FieldPart &part, const Field &field, quint32 raw,
                               const QString &text, ListRows &rows) {
  const QString trimmed = text.trimmed();
  std::optional<quint32> value;
  if (part.encoding == Encoding::Choice || part.encoding == Encoding::OptionGroup) {
    value = choiceCode(part, field, partValue(part, field, raw), text, rows);
    if (!value)
      value = choiceCode(part, field, partValue(part, field, raw), trimmed, rows);
    if (!value)
      return refuse(QStringLiteral("“%1”应填入列表中的一项或它的代码（0 到 %2）。")
                        .arg(part.caption)
                        .arg(largestCode(part, field)));
  } else if (part.encoding == Encoding::Flag) {
    if (trimmed != QLatin1String("0") && trimmed != QLatin1String("1"))
      return refuse(QStringLiteral("“%1”应填入 1（选中）或 0（不选）。").arg(part.caption));
    value = trimmed == QLatin1String("1") ? 1 : 0;
  } else if (isTickedRows(part.encoding)) {
    value = tickedRowsValue(part, field, trimmed, rows);
    if (!value)
      return refuse(
          QStringLiteral("“%1”应填入列表中的项目，多项之间用“、”分隔。").arg(part.caption));
  } else {
    const ParsedEntry entry = parsePartText(part, field, text);
    if (!entry.value)
      return refuse(entry.error);
    value = entry.value;
  }
  return {withPartValue(part, field, raw, *value), {}};
}

quint32 littleEndianAt(const char *bytes, int width) {
  quint32 value = 0;
  for (int i = width - 1; i >= 0; --i)
    value = (value << 8) | quint8(bytes[i]);
  return value;
}

quint32 fieldValueAt(const char *record, const Field &field) {
  return littleEndianAt(record + field.offset, field.width);
}

} // namespace korvane
