#include "editors/catalog/table_grid_model.h"

#include "editors/shared/field_codec.h"
#include "io/module1.h"

#include <algorithm>
#include <numeric>

namespace korvane {

namespace {

constexpr int kMostRefusalsListed = 50;

// Full-width letters and digits compare as their ASCII forms, as in the record lists.
QString folded(const QString &text) { return text.normalized(QString::NormalizationForm_KC); }

bool isList(Encoding encoding) {
  return encoding == Encoding::Choice || encoding == Encoding::OptionGroup ||
         encoding == Encoding::FlagRows || encoding == Encoding::FlagRowsReversed;
}

// The number a hex box's digits spell: the field's bytes in file order.
qint64 fileOrderNumber(quint32 value, int width) {
  qint64 number = 0;
  for (int i = 0; i < width; ++i)
    number = (number << 8) | ((value >> (8 * i)) & 0xFF);
  return number;
}

// What a column sorts by: the number a box shows, the value hex digits spell, a
// list's row (unlisted codes after the listed rows), the ticked rows as bits.
qint64 sortKey(const FieldPart &part, const Field &field, quint32 raw, ListRows &rows) {
  const quint32 value = partValue(part, field, raw);
  switch (part.encoding) {
  case Encoding::Hex:
    return fileOrderNumber(value, field.width);
  case Encoding::SignedDecimal:
  case Encoding::SignedRewrittenOnSave: {
    const int bits = partBits(part, field);
    return (value >> (bits - 1)) & 1 ? qint64(value) - (qint64(1) << bits) : qint64(value);
  }
  case Encoding::Choice:
  case Encoding::OptionGroup: {
    const int shown = int(rows.rowsOf(part.choices).size());
    const int row = choiceRow(part, value, shown);
    return row >= 0 ? row : qint64(shown) + value;
  }
  case Encoding::FlagRows:
  case Encoding::FlagRowsReversed:
    return tickedRows(part, field, value);
  default:
    return value;
  }
}

// Cells of a spreadsheet's tab-separated block: a cell that holds a tab, a line
// break or a quote comes quoted, its quotes doubled; lines end in LF, CRLF or CR.
std::vector<QStringList> tabBlockCells(const QString &block) {
  std::vector<QStringList> lines;
  QStringList cells;
  QString cell;
  bool quoted = false;
  bool atCellStart = true;
  const auto endCell = [&] {
    cells << cell;
    cell.clear();
    atCellStart = true;
  };
  for (qsizetype i = 0; i < block.size(); ++i) {
    const QChar c = block[i];
    if (quoted) {
      if (c == u'"' && i + 1 < block.size() && block[i + 1] == u'"') {
        cell += c;
        ++i;
      } else if (c == u'"') {
        quoted = false;
      } else {
        cell += c;
      }
    } else if (c == u'"' && atCellStart) {
      quoted = true;
      atCellStart = false;
    } else if (c == u'\t') {
      endCell();
    } else if (c == u'\n' || c == u'\r') {
      if (c == u'\r' && i + 1 < block.size() && block[i + 1] == u'\n')
        ++i;
      endCell();
      lines.push_back(std::move(cells));
      cells.clear();
    } else {
      cell += c;
      atCellStart = false;
    }
  }
  if (!cell.isEmpty() || !cells.isEmpty())
    endCell();
  if (!cells.isEmpty())
    lines.push_back(std::move(cells));
  return lines;
}

QString tabBlockCell(const QString &text) {
  if (!text.contains(u'\t') && !text.contains(u'\n') && !text.contains(u'\r') &&
      !text.startsWith(u'"'))
    return text;
  QString quoted = text;
  quoted.replace(u'"', QStringLiteral("\"\""));
  return u'"' + quoted + u'"';
}

} // namespace

TableGridModel::TableGridModel(const QString &namesDir, QObject *parent)
    : QAbstractTableModel(parent), rows_(namesDir) {}

QString TableGridModel::load(const CatalogTable &table, const GameFileRef &file) {
  beginResetModel();
  table_ = &table;
  file_ = file;
  columns_ = partColumns(table);
  headers_ = dumpColumns(table);
  leading_ = int(placeColumns(table).size()) + 1;
  offsets_ = table.recordOffsets(rows_);
  places_ = table.stagePlacement ? table.stagePlacement(rows_).records : std::vector<StageRecord>{};
  names_.clear();
  pending_.clear();
  original_.clear();
  bytes_.clear();
  QString error;
  if (!offsets_.empty()) {
    const auto [first, last] = std::minmax_element(offsets_.begin(), offsets_.end());
    spanStart_ = *first;
    const qint64 length = *last + table.layout->recordSize - spanStart_;
    Module1::Operation op(file);
    if (op.requireSpan(spanStart_, length, table.layout->what))
      bytes_ = op.readBytes(spanStart_, length);
    if (!op.close())
      error = op.error();
  }
  if (!error.isEmpty()) {
    offsets_.clear();
    places_.clear();
    bytes_.clear();
  }
  order_.resize(offsets_.size());
  std::iota(order_.begin(), order_.end(), 0);
  recompare();
  rebuildRows();
  endResetModel();
  emit summaryChanged();
  return error;
}

const TableColumn *TableGridModel::partColumn(int column) const {
  const int part = column - (table_ ? leadingColumns() : 0);
  return table_ && part >= 0 && part < int(columns_.size()) ? &columns_[size_t(part)] : nullptr;
}

QString TableGridModel::recordLabel(int record) const {
  if (places_.empty())
    return QStringLiteral("%1 %2").arg(kIndexColumn).arg(record);
  const StageRecord &place = places_[size_t(record)];
  return QStringLiteral("关卡%1 机体%2").arg(place.stage).arg(place.record);
}

QByteArrayView TableGridModel::recordBytes(int record) const {
  return QByteArrayView(bytes_).sliced(offsets_[size_t(record)] - spanStart_,
                                       table_->layout->recordSize);
}

quint32 TableGridModel::storedRaw(int record, int field) const {
  return fieldValueAt(recordBytes(record), table_->layout->fields[size_t(field)]);
}

quint32 TableGridModel::shownRaw(int record, int field) const {
  const auto found = pending_.find({record, field});
  return found != pending_.end() ? found->second.wanted : storedRaw(record, field);
}

QString TableGridModel::recordName(int record) const {
  if (!names_.empty())
    return names_[size_t(record)];
  return table_->recordName(record, rows_);
}

void TableGridModel::ensureNames() const {
  if (!names_.empty() || offsets_.empty())
    return;
  names_.reserve(offsets_.size());
  for (int record = 0; record < recordCount(); ++record)
    names_.push_back(table_->recordName(record, rows_));
}

QString TableGridModel::placeText(int record, int column) const {
  if (places_.empty())
    return QString::number(record);
  const StageRecord &place = places_[size_t(record)];
  return QString::number(column == 0 ? place.stage : place.record);
}

QString TableGridModel::cellText(int record, int column) const {
  const int nameColumn = leadingColumns() - 1;
  if (column < nameColumn)
    return placeText(record, column);
  if (column == nameColumn)
    return recordName(record);
  const TableColumn &shown = *partColumn(column);
  return partCellText(*shown.part, *shown.field, shownRaw(record, shown.fieldIndex), rows_);
}

int TableGridModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : int(shown_.size());
}

int TableGridModel::columnCount(const QModelIndex &parent) const {
  return parent.isValid() || !table_ ? 0 : int(headers_.size());
}

QVariant TableGridModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid() || index.row() >= rowCount())
    return {};
  const int record = recordAt(index.row());
  const TableColumn *shown = partColumn(index.column());
  switch (role) {
  case Qt::DisplayRole:
  case Qt::EditRole:
    return cellText(record, index.column());
  case Qt::TextAlignmentRole:
    return shown && !isList(shown->part->encoding)
               ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter))
               : QVariant();
  case PendingRole:
  case DiffersRole:
  case OriginalRole:
  case PartValueRole:
  case Qt::ToolTipRole:
    break;
  default:
    return {};
  }
  if (!shown)
    return {};
  const Field &field = *shown->field;
  const FieldPart &part = *shown->part;
  const auto pending = pending_.find({record, shown->fieldIndex});
  const bool isPending =
      pending != pending_.end() && partValue(part, field, pending->second.wanted) !=
                                       partValue(part, field, pending->second.base);
  const bool differs = comparing() && cellDiffers(record, index.column());
  const auto originalText = [&] {
    return partCellText(
        part, field,
        fieldValueAt(QByteArrayView(original_).sliced(offsets_[size_t(record)] - spanStart_,
                                                      table_->layout->recordSize),
                     field),
        rows_);
  };
  switch (role) {
  case PendingRole:
    return isPending;
  case DiffersRole:
    return differs;
  case OriginalRole:
    return comparing() ? QVariant(originalText()) : QVariant();
  case PartValueRole:
    return partValue(part, field, shownRaw(record, shown->fieldIndex));
  case Qt::ToolTipRole: {
    QStringList tips;
    if (isPending)
      tips << QStringLiteral("还没有写入；文件中是 %1")
                  .arg(partCellText(part, field, pending->second.base, rows_));
    if (differs)
      tips << QStringLiteral("原版：%1").arg(originalText());
    return tips.isEmpty() ? QVariant() : QVariant(tips.join(u'\n'));
  }
  default:
    return {};
  }
}

QVariant TableGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= headers_.size())
    return {};
  if (role == Qt::DisplayRole)
    return headers_[section];
  if (role == Qt::ToolTipRole)
    if (const TableColumn *shown = partColumn(section))
      return QStringLiteral("%1（%2，记录内偏移 %3）")
          .arg(shown->name, shown->part->control)
          .arg(shown->field->offset);
  return {};
}

Qt::ItemFlags TableGridModel::flags(const QModelIndex &index) const {
  if (!index.isValid())
    return Qt::NoItemFlags;
  const Qt::ItemFlags shown = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
  return partColumn(index.column()) ? shown | Qt::ItemIsEditable : shown;
}

bool TableGridModel::setData(const QModelIndex &index, const QVariant &value, int role) {
  if (!index.isValid() || (role != Qt::EditRole && role != PartValueRole))
    return false;
  CellEdit edit{index.row(), index.column(), {}, {}};
  if (role == PartValueRole)
    edit.partValue = value.toUInt();
  else
    edit.text = value.toString();
  return setCells({edit}).isEmpty();
}

QStringList TableGridModel::setCells(const std::vector<CellEdit> &edits) {
  QStringList refusals;
  std::map<Key, quint32> working;
  for (const CellEdit &edit : edits) {
    const TableColumn *shown = partColumn(edit.column);
    if (!shown || edit.row < 0 || edit.row >= rowCount())
      continue;
    const int record = recordAt(edit.row);
    const Key key{record, shown->fieldIndex};
    const auto held = working.find(key);
    quint32 raw = held != working.end() ? held->second : shownRaw(record, shown->fieldIndex);
    if (edit.partValue) {
      raw = withPartValue(*shown->part, *shown->field, raw, *edit.partValue);
    } else if (edit.text != partCellText(*shown->part, *shown->field, raw, rows_)) {
      const ParsedValue parsed =
          parsePartValueText(*shown->part, *shown->field, raw, edit.text, rows_);
      if (!parsed.raw) {
        refusals << cellRefusal(recordLabel(record), shown->name, edit.text, parsed.error);
        continue;
      }
      raw = *parsed.raw;
    }
    working[key] = raw;
  }
  if (!refusals.isEmpty() || working.empty())
    return refusals;
  for (const auto &[key, raw] : working) {
    const quint32 stored = storedRaw(key.record, key.field);
    if (raw == stored)
      pending_.erase(key);
    else
      pending_[key] = {stored, raw};
  }
  int lastRecord = -1;
  for (const auto &[key, raw] : working) {
    if (key.record == lastRecord)
      continue;
    lastRecord = key.record;
    recompareRecord(key.record);
    if (const int row = rowOfRecord(key.record); row >= 0)
      emit dataChanged(index(row, leadingColumns()), index(row, columnCount() - 1));
  }
  emit summaryChanged();
  return refusals;
}

QStringList TableGridModel::pasteBlock(int row, int column, const QString &block) {
  std::vector<QStringList> lines = tabBlockCells(block);
  if (lines.empty() || row < 0 || column < 0)
    return {};
  const QStringList keys = table_ ? dumpKeys(*table_) : QStringList();
  const QHash<QString, QString> keyOf = table_ ? headerKeys(*table_) : QHash<QString, QString>();
  const QStringList &first = lines.front();
  bool header = true;
  for (qsizetype cell = 0; header && cell < first.size(); ++cell) {
    const int at = column + int(cell);
    header = at < keys.size() && keyOf.value(first[cell].trimmed()) == keys[at];
  }
  if (header)
    lines.erase(lines.begin());
  qsizetype width = 0;
  for (const QStringList &line : lines)
    width = std::max(width, line.size());
  if (row + qsizetype(lines.size()) > rowCount() || column + width > columnCount())
    return {QStringLiteral("粘贴的内容有 %1 行 %2 列，从当前格开始放不下：下面还有 %3 行，"
                           "右边还有 %4 列。")
                .arg(lines.size())
                .arg(width)
                .arg(rowCount() - row)
                .arg(columnCount() - column)};
  std::vector<CellEdit> edits;
  for (size_t line = 0; line < lines.size(); ++line)
    for (qsizetype cell = 0; cell < lines[line].size(); ++cell)
      if (partColumn(column + int(cell)))
        edits.push_back({row + int(line), column + int(cell), lines[line][cell], {}});
  return setCells(edits);
}

QString TableGridModel::copyBlock(const std::vector<int> &rows, const std::vector<int> &columns,
                                  bool header,
                                  const std::function<bool(int, int)> &selected) const {
  QString text;
  const auto addLine = [&text](const QStringList &cells) {
    text += cells.join(u'\t');
    text += u'\n';
  };
  QStringList cells;
  if (header) {
    for (int column : columns)
      cells << tabBlockCell(headers_.value(column));
    addLine(cells);
  }
  for (int row : rows) {
    cells.clear();
    for (int column : columns)
      cells << (selected(row, column) ? tabBlockCell(cellText(recordAt(row), column)) : QString());
    addLine(cells);
  }
  return text;
}

std::vector<TableGridModel::PendingRecord> TableGridModel::pendingRecords() const {
  std::vector<PendingRecord> records;
  for (const auto &[key, change] : pending_) {
    if (records.empty() || records.back().record != key.record)
      records.push_back({key.record,
                         offsets_[size_t(key.record)],
                         recordValuesAt(recordBytes(key.record), *table_->layout),
                         {}});
    records.back().fields.push_back({key.field, change.base, change.wanted});
  }
  return records;
}

int TableGridModel::pendingCells() const {
  int cells = 0;
  for (const auto &[key, change] : pending_) {
    const Field &field = table_->layout->fields[size_t(key.field)];
    for (const FieldPart &part : field.parts)
      cells += partValue(part, field, change.base) != partValue(part, field, change.wanted);
  }
  return cells;
}

void TableGridModel::discardPending() {
  if (pending_.empty())
    return;
  pending_.clear();
  refreshAll();
}

TableGridModel::Reloaded TableGridModel::reload(bool written) {
  Reloaded result;
  if (!table_ || offsets_.empty())
    return result;
  QByteArray now;
  {
    Module1::Operation op(file_);
    if (op.requireSpan(spanStart_, bytes_.size(), table_->layout->what))
      now = op.readBytes(spanStart_, bytes_.size());
    if (!op.close()) {
      result.error = op.error();
      return result;
    }
  }
  result.changed = now != bytes_;
  if (!result.changed && !written)
    return result;
  bytes_ = std::move(now);
  for (auto it = pending_.begin(); it != pending_.end();) {
    const auto [key, change] = *it;
    const quint32 stored = storedRaw(key.record, key.field);
    if (written || stored == change.wanted) {
      it = pending_.erase(it);
      continue;
    }
    if (stored == change.base) {
      ++it;
      continue;
    }
    const Field &field = table_->layout->fields[size_t(key.field)];
    for (const TableColumn &column : columns_) {
      const FieldPart &part = *column.part;
      if (column.field != &field ||
          partValue(part, field, change.wanted) == partValue(part, field, change.base))
        continue;
      result.dropped << QStringLiteral("（%1）“%2”：输入的 %3 没有写入，文件中已由 %4 变成 %5")
                            .arg(recordLabel(key.record), column.name,
                                 partCellText(part, field, change.wanted, rows_),
                                 partCellText(part, field, change.base, rows_),
                                 partCellText(part, field, stored, rows_));
    }
    it = pending_.erase(it);
  }
  refreshAll();
  return result;
}

QString TableGridModel::compareWith(const QByteArray &original, const QString &name) {
  if (!table_ || offsets_.empty())
    return {};
  if (original.size() < spanStart_ + bytes_.size())
    return QStringLiteral("原版文件“%1”只有 %2 字节，容纳不下%3（需要到偏移 0x%4）。")
        .arg(name)
        .arg(original.size())
        .arg(table_->layout->what, QString::number(spanStart_ + bytes_.size(), 16).toUpper());
  original_ = original.mid(spanStart_, bytes_.size());
  originalName_ = name;
  recompare();
  if (onlyChanged_)
    rearrange([this] { rebuildRows(); });
  refreshAll();
  return {};
}

void TableGridModel::clearComparison() {
  original_.clear();
  recompare();
  if (onlyChanged_)
    rearrange([this] { rebuildRows(); });
  refreshAll();
}

bool TableGridModel::cellDiffers(int record, int column) const {
  const TableColumn &shown = *partColumn(column);
  const QByteArrayView was = QByteArrayView(original_).sliced(offsets_[size_t(record)] - spanStart_,
                                                              table_->layout->recordSize);
  const quint32 old = fieldValueAt(was, *shown.field);
  const quint32 now = shownRaw(record, shown.fieldIndex);
  const FieldPart &part = *shown.part;
  if (partValue(part, *shown.field, old) == partValue(part, *shown.field, now))
    return false;
  // Numbers and hex show every value differently; a list may show two codes alike.
  return !isList(part.encoding) || partValueText(part, *shown.field, old, rows_) !=
                                       partValueText(part, *shown.field, now, rows_);
}

void TableGridModel::recompareRecord(int record) {
  if (!comparing())
    return;
  const size_t width = columns_.size();
  const int lead = leadingColumns();
  bool any = false;
  for (size_t c = 0; c < width; ++c) {
    const bool differs = cellDiffers(record, lead + int(c));
    differingCells_ += int(differs) - int(differs_[size_t(record) * width + c]);
    differs_[size_t(record) * width + c] = differs;
    any = any || differs;
  }
  differingRecords_ += int(any) - int(recordDiffers_[size_t(record)]);
  recordDiffers_[size_t(record)] = any;
}

void TableGridModel::recompare() {
  differingCells_ = 0;
  differingRecords_ = 0;
  differs_.assign(comparing() ? offsets_.size() * columns_.size() : 0, false);
  recordDiffers_.assign(comparing() ? offsets_.size() : 0, false);
  for (int record = 0; comparing() && record < recordCount(); ++record)
    recompareRecord(record);
}

void TableGridModel::refreshAll() {
  if (rowCount() > 0 && columnCount() > 0)
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
  emit summaryChanged();
}

bool TableGridModel::rowWanted(int record) const {
  if (onlyChanged_ && comparing() && !recordDiffers_[size_t(record)])
    return false;
  if (filter_.isEmpty())
    return true;
  const QString place = places_.empty() ? QString::number(record) : recordLabel(record);
  return place.contains(filter_) ||
         folded(names_[size_t(record)]).contains(filter_, Qt::CaseInsensitive);
}

void TableGridModel::rebuildRows() {
  if (!filter_.isEmpty())
    ensureNames();
  shown_.clear();
  rowOf_.assign(offsets_.size(), -1);
  for (int record : order_)
    if (rowWanted(record)) {
      rowOf_[size_t(record)] = int(shown_.size());
      shown_.push_back(record);
    }
}

void TableGridModel::rearrange(const std::function<void()> &change) {
  emit layoutAboutToBeChanged();
  const QModelIndexList before = persistentIndexList();
  std::vector<int> records;
  records.reserve(size_t(before.size()));
  for (const QModelIndex &index : before)
    records.push_back(index.row() < rowCount() ? recordAt(index.row()) : -1);
  change();
  QModelIndexList after;
  after.reserve(before.size());
  for (qsizetype i = 0; i < before.size(); ++i) {
    const int row = records[size_t(i)] >= 0 ? rowOfRecord(records[size_t(i)]) : -1;
    after << (row >= 0 ? index(row, before[i].column()) : QModelIndex());
  }
  changePersistentIndexList(before, after);
  emit layoutChanged();
  emit summaryChanged();
}

std::vector<qint64> TableGridModel::numericKeys(int column) const {
  std::vector<qint64> keys(offsets_.size());
  const TableColumn *shown = partColumn(column);
  for (int record = 0; record < recordCount(); ++record) {
    if (shown)
      keys[size_t(record)] =
          sortKey(*shown->part, *shown->field, shownRaw(record, shown->fieldIndex), rows_);
    else if (places_.empty())
      keys[size_t(record)] = record;
    else
      keys[size_t(record)] =
          column == 0 ? places_[size_t(record)].stage : places_[size_t(record)].record;
  }
  return keys;
}

void TableGridModel::sort(int column, Qt::SortOrder order) {
  if (!table_ || column < 0 || column >= columnCount())
    return;
  rearrange([&] {
    std::iota(order_.begin(), order_.end(), 0);
    if (column == leadingColumns() - 1) {
      ensureNames();
      const auto less = [this](int a, int b) { return names_[size_t(a)] < names_[size_t(b)]; };
      if (order == Qt::AscendingOrder)
        std::stable_sort(order_.begin(), order_.end(), less);
      else
        std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) { return less(b, a); });
    } else {
      const std::vector<qint64> keys = numericKeys(column);
      if (order == Qt::AscendingOrder)
        std::stable_sort(order_.begin(), order_.end(),
                         [&](int a, int b) { return keys[size_t(a)] < keys[size_t(b)]; });
      else
        std::stable_sort(order_.begin(), order_.end(),
                         [&](int a, int b) { return keys[size_t(a)] > keys[size_t(b)]; });
    }
    rebuildRows();
  });
}

void TableGridModel::setFilter(const QString &text) {
  const QString wanted = folded(text.trimmed());
  if (wanted == filter_)
    return;
  rearrange([&] {
    filter_ = wanted;
    rebuildRows();
  });
}

void TableGridModel::setOnlyChanged(bool only) {
  if (only == onlyChanged_)
    return;
  rearrange([&] {
    onlyChanged_ = only;
    rebuildRows();
  });
}

QString TableGridModel::refusalMessage(const QString &lead, const QStringList &refusals) {
  QStringList lines = refusals.mid(0, kMostRefusalsListed);
  if (refusals.size() > kMostRefusalsListed)
    lines << QStringLiteral("……另有 %1 处。").arg(refusals.size() - kMostRefusalsListed);
  return lead + u'\n' + lines.join(u'\n');
}

} // namespace korvane
