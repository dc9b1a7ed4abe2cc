#include "editors/shared/field_text.h"

#include "io/module1.h"

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

} // namespace korvane
