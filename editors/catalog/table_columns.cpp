#include "editors/catalog/table_columns.h"

#include "editors/shared/field_codec.h"

#include <QSet>

namespace korvane {

namespace {

// A hex column's header says how its cells are written, so that whoever edits the
// sheet keeps the "0x" and the file's byte order. Only the header carries it:
// JSON keys and messages use the bare name.
const QString kHexHeaderNote = QStringLiteral("（0x十六进制，按文件字节顺序）");

// The leading columns, then `label` of each shown part's column.
QStringList columnLabels(const CatalogTable &table, QString TableColumn::*label) {
  QStringList names = placeColumns(table);
  names << kNameColumn;
  for (const TableColumn &column : partColumns(table))
    names << column.*label;
  return names;
}

} // namespace

QStringList placeColumns(const CatalogTable &table) {
  if (table.stagePlacement)
    return {kStageColumn, kRecordColumn};
  return {kIndexColumn};
}

std::vector<TableColumn> partColumns(const CatalogTable &table) {
  std::vector<TableColumn> columns;
  QSet<QString> taken{kNameColumn};
  for (const QString &name : placeColumns(table))
    taken.insert(name);
  const std::vector<Field> &fields = table.layout->fields;
  for (size_t f = 0; f < fields.size(); ++f)
    for (const FieldPart &part : fields[f].parts) {
      QString name = part.caption.isEmpty() ? part.control : part.caption;
      if (taken.contains(name))
        name += QStringLiteral("（%1）").arg(part.control);
      taken.insert(name);
      const QString note = part.encoding == Encoding::Hex ? kHexHeaderNote : QString();
      columns.push_back({&fields[f], &part, int(f), name, name + note});
    }
  return columns;
}

QStringList dumpColumns(const CatalogTable &table) {
  return columnLabels(table, &TableColumn::header);
}

QStringList dumpKeys(const CatalogTable &table) { return columnLabels(table, &TableColumn::name); }

QString cellRefusal(const QString &record, const QString &column, const QString &cell,
                    const QString &reason) {
  return QStringLiteral("（%1）“%2”列的“%3”不能接受：%4")
      .arg(record, column, cellQuote(cell), reason);
}

} // namespace korvane
