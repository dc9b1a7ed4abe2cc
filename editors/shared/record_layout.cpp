#include "editors/shared/record_layout.h"

#include "io/name_list.h"

namespace korvane {

int ChoiceSource::rows() const {
  const int listed = fixedRows ? int(fixedRows->size()) : nameList ? nameList->count : 0;
  return listed + (lastRowCode >= 0 ? 1 : 0);
}

bool Field::hexAccess() const {
  if (!display.isEmpty())
    return true;
  for (const FieldPart &part : parts)
    if (part.encoding == Encoding::Hex)
      return true;
  return false;
}

int partBits(const FieldPart &part, const Field &field) {
  return part.bits > 0 ? part.bits : 8 * field.width;
}

qint64 partMinimum(const FieldPart &part, const Field &field) {
  if (part.minimum != 0 || part.maximum != 0)
    return part.minimum;
  if (part.encoding == Encoding::SignedDecimal || part.encoding == Encoding::SignedRewrittenOnSave)
    return -(qint64(1) << (partBits(part, field) - 1));
  return 0;
}

qint64 partMaximum(const FieldPart &part, const Field &field) {
  if (part.minimum != 0 || part.maximum != 0)
    return part.maximum;
  const int bits = partBits(part, field);
  // A signed word that is rewritten to its stored form also takes that form back.
  if (part.encoding == Encoding::SignedDecimal)
    return (qint64(1) << (bits - 1)) - 1;
  return (qint64(1) << bits) - 1;
}

ControlPart findControlPart(const RecordLayout &layout, const QString &control) {
  for (const Field &field : layout.fields)
    for (const FieldPart &part : field.parts)
      if (part.control == control)
        return {&field, &part};
  return {};
}

ControlPart requireControlPart(const RecordLayout &layout, const QString &control) {
  const ControlPart described = findControlPart(layout, control);
  if (!described.part)
    throw DescriptionMismatch(QStringLiteral("the description of %1 has no control %2")
                                  .arg(layout.what, control)
                                  .toStdString());
  return described;
}

QString controlCaption(const RecordLayout &layout, const QString &control) {
  return requireControlPart(layout, control).part->caption;
}

QString arrayElementName(const char *name, int index) {
  return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

namespace {

Field singlePart(const QString &name, int offset, int width, FieldPart part) {
  return Field{name, offset, width, {std::move(part)}};
}

} // namespace

Field decimalField(const QString &name, int offset, int width, const QString &control,
                   const QString &caption) {
  return singlePart(name, offset, width, {control, caption, Encoding::Decimal});
}

Field signedField(const QString &name, int offset, int width, const QString &control,
                  const QString &caption) {
  return singlePart(name, offset, width, {control, caption, Encoding::SignedDecimal});
}

Field hexField(const QString &name, int offset, int width, const QString &control,
               const QString &caption) {
  return singlePart(name, offset, width, {control, caption, Encoding::Hex});
}

Field choiceField(const QString &name, int offset, int width, const QString &control,
                  const QString &caption, ChoiceSource choices) {
  FieldPart part{control, caption, Encoding::Choice};
  part.choices = choices;
  return singlePart(name, offset, width, std::move(part));
}

} // namespace korvane
