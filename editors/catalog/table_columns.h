#pragma once

// The columns a table shows as a sheet: the record's place ("序号", or "关卡" and
// "记录" for the tables the stage lists split), its name, then one per shown part,
// named by its caption. korvane-tool's dump and import and the table grid walk
// these same columns, so a cell means one thing wherever it is read or typed.
// A column's key is the field's name in the table's layout, which no caption
// change touches: JSON keys its values by it, and a sheet's header may name a
// column by its key as well as by its caption. Widget-free.

#include "editors/catalog/table_catalog.h"

#include <QHash>
#include <QStringList>
#include <vector>

namespace korvane {

inline const QString kIndexColumn = QStringLiteral("序号");
inline const QString kStageColumn = QStringLiteral("关卡");
inline const QString kRecordColumn = QStringLiteral("记录");
inline const QString kNameColumn = QStringLiteral("名称");

// One shown part's column.
struct TableColumn {
  const Field *field;
  const FieldPart *part;
  int fieldIndex; // of `field` in the table's layout
  QString
      key; // the stable name, the JSON key: "Hp", or "UpgradeRange.Text15" for one of several parts
  QString name;   // the caption, the column's name in messages: "HP"
  QString header; // the sheet's header: the name, and for hex how its cells are written
};

// The columns that place a record: "序号", or "关卡" and "记录".
QStringList placeColumns(const CatalogTable &table);
// The part columns, in field order (a caption that comes twice gets its control's
// name added).
std::vector<TableColumn> partColumns(const CatalogTable &table);

// Every column's header, as a dump's CSV header holds them: a hex column's adds
// how its cells are written: "名称指针（0x十六进制，按文件字节顺序）".
QStringList dumpColumns(const CatalogTable &table);
// The same columns by their stable keys, as JSON keys them: "NamePointer". The
// leading columns are keyed by their names.
QStringList dumpKeys(const CatalogTable &table);
// The same columns by their bare names, as messages name them: "名称指针".
QStringList dumpNames(const CatalogTable &table);

// The header texts that name a column, each with the column's key: its key, its
// header, and its bare name (a hex column's header without its note, as sheets
// dumped before the note hold it).
QHash<QString, QString> headerKeys(const CatalogTable &table);
// Where each column stands in a sheet's `header`, by the column's key: every
// column once, in any order, each named by any text of headerKeys. Empty, with
// `error` set to say which cell is wrong and what the header should be, for any
// other header.
QHash<QString, int> headerPositions(const CatalogTable &table, const QStringList &header,
                                    QString &error);

// Why a typed or imported cell is refused, as import lists it: "（序号 5）“HP”列的
// “abc”不能接受：…"; `record` names the record ("序号 5", "关卡3 机体2").
QString cellRefusal(const QString &record, const QString &column, const QString &cell,
                    const QString &reason);

} // namespace korvane
