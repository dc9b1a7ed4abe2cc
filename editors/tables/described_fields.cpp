#include "editors/tables/described_fields.h"

namespace korvane {

std::vector<Field> describedFields(std::initializer_list<DescribedField> rows) {
  std::vector<Field> fields;
  for (const DescribedField &row : rows) {
    const QString name = QString::fromLatin1(row.name);
    const QString control = QString::fromLatin1(row.control);
    const QString caption = QString::fromUtf8(row.caption);
    fields.push_back(
        row.choices ? choiceField(name, row.offset, row.width, control, caption, {&row.choices()})
                    : decimalField(name, row.offset, row.width, control, caption));
  }
  return fields;
}

} // namespace korvane
