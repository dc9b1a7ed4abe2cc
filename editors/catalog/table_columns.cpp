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
  QSet<QString> keys = taken;
  for (size_t f = 0; f < fields.size(); ++f)
    for (const FieldPart &part : fields[f].parts) {
      QString name = part.caption.isEmpty() ? part.control : part.caption;
      if (taken.contains(name))
        name += QStringLiteral("（%1）").arg(part.control);
      taken.insert(name);
      // A control's name is as stable as its field's: the windows are found by it.
      QString key = fields[f].name;
      if (fields[f].parts.size() > 1 || keys.contains(key))
        key += u'.' + part.control;
      keys.insert(key);
      const QString note = part.encoding == Encoding::Hex ? kHexHeaderNote : QString();
      columns.push_back({&fields[f], &part, int(f), key, name, name + note});
    }
  return columns;
}

QStringList dumpColumns(const CatalogTable &table) {
  return columnLabels(table, &TableColumn::header);
}

QStringList dumpKeys(const CatalogTable &table) { return columnLabels(table, &TableColumn::key); }

QStringList dumpNames(const CatalogTable &table) { return columnLabels(table, &TableColumn::name); }

QHash<QString, QString> headerKeys(const CatalogTable &table) {
  QHash<QString, QString> keys;
  for (const QString &name : dumpKeys(table))
    keys.insert(name, name);
  for (const TableColumn &column : partColumns(table)) {
    keys.insert(column.name, column.key);
    keys.insert(column.header, column.key);
  }
  return keys;
}

QHash<QString, int> headerPositions(const CatalogTable &table, const QStringList &header,
                                    QString &error) {
  const QStringList expected = dumpColumns(table);
  const QStringList keys = dumpKeys(table);
  const QHash<QString, QString> keyOf = headerKeys(table);
  QHash<QString, int> position;
  for (qsizetype i = 0; i < header.size(); ++i) {
    const QString cell = header[i].trimmed();
    const QString key = keyOf.value(cell);
    if (key.isEmpty() && (cell.contains(u'?') || cell.contains(QChar(0xFFFD)))) {
      error = QStringLiteral("CSV 表头的“%1”中文字变成了“?”：文件保存时没有用 UTF-8 编码，"
                             "中文已经丢失。请从 dump 的文件重新开始，在表格程序中另存为"
                             "“CSV UTF-8”（LibreOffice：“字符集”选“Unicode (UTF-8)”）。")
                  .arg(cellQuote(cell));
      return {};
    }
    if (key.isEmpty()) {
      error = QStringLiteral("CSV 表头的第 %1 列“%2”不是表格 %3 的列。\n表头应为：%4")
                  .arg(i + 1)
                  .arg(cellQuote(cell), table.key, expected.join(u','));
      return {};
    }
    if (position.contains(key)) {
      error = QStringLiteral("CSV 表头中“%1”列出现了两次。")
                  .arg(cellQuote(dumpNames(table).value(keys.indexOf(key))));
      return {};
    }
    position.insert(key, int(i));
  }
  for (qsizetype i = 0; i < keys.size(); ++i)
    if (!position.contains(keys[i])) {
      error = QStringLiteral("CSV 表头缺少“%1”列。\n表头应为：%2")
                  .arg(expected[i], expected.join(u','));
      return {};
    }
  return position;
}

QString cellRefusal(const QString &record, const QString &column, const QString &cell,
                    const QString &reason) {
  return QStringLiteral("（%1）“%2”列的“%3”不能接受：%4")
      .arg(record, column, cellQuote(cell), reason);
}

} // namespace korvane
