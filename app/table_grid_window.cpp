#include "app/table_grid_window.h"

#include "editors/shared/editor_window.h"
#include "editors/shared/field_codec.h"
#include "editors/shared/game_paths.h"
#include "editors/shared/messages.h"
#include "editors/shared/record_actions.h"
#include "editors/shared/record_coherence.h"
#include "editors/shared/record_io.h"
#include "io/disc_image.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <limits>

namespace korvane {

namespace {

// Far above either game file, so that a wrong pick is refused instead of read.
constexpr qint64 kMaxOriginalSize = 64 * 1024 * 1024;
// Rows whose texts size the columns; the rest are as wide or scroll.
constexpr int kRowsMeasured = 50;
constexpr int kWidestColumn = 360;
constexpr int kAskedLines = 20; // changed fields named in the overwrite question

const QColor kPendingColour(255, 230, 140);
const QColor kDifferingColour(255, 205, 205);
const QColor kDifferingText(150, 0, 0);

// A sheet whose place and name columns stay in view while it scrolls sideways: a
// second view over its left edge shows them, sharing its model and selection.
class FrozenColumnsView : public QTableView {
public:
  explicit FrozenColumnsView(QWidget *parent) : QTableView(parent), frozen_(new QTableView(this)) {
    frozen_->setObjectName(QStringLiteral("gridFrozen"));
    frozen_->setFocusPolicy(Qt::NoFocus);
    frozen_->verticalHeader()->hide();
    frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frozen_->setVerticalScrollMode(ScrollPerPixel);
    frozen_->setStyleSheet(QStringLiteral("QTableView { border: none; }"));
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollMode(ScrollPerPixel);
    connect(frozen_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, frozen_->verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int size) {
              if (column < columns_)
                frozen_->setColumnWidth(column, size);
              placeFrozen();
            });
    connect(horizontalHeader(), &QHeaderView::sortIndicatorChanged, frozen_->horizontalHeader(),
            [this](int column, Qt::SortOrder order) {
              const QSignalBlocker quiet(frozen_->horizontalHeader());
              frozen_->horizontalHeader()->setSortIndicator(column, order);
            });
    // A click on a frozen header sorts the sheet as a click on its own would.
    connect(frozen_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
      const QHeaderView *header = horizontalHeader();
      const Qt::SortOrder order = header->sortIndicatorSection() == column &&
                                          header->sortIndicatorOrder() == Qt::AscendingOrder
                                      ? Qt::DescendingOrder
                                      : Qt::AscendingOrder;
      sortByColumn(column, order);
    });
  }

  QTableView *frozenView() const { return frozen_; }

  void setModel(QAbstractItemModel *model) override {
    QTableView::setModel(model);
    frozen_->setModel(model);
    frozen_->setSelectionModel(selectionModel());
    frozen_->setItemDelegate(itemDelegate());
    frozen_->setEditTriggers(NoEditTriggers);
    connect(model, &QAbstractItemModel::modelReset, this, &FrozenColumnsView::freezeLeading);
  }

  void freeze(int columns) {
    columns_ = columns;
    freezeLeading();
  }

protected:
  void resizeEvent(QResizeEvent *event) override {
    QTableView::resizeEvent(event);
    placeFrozen();
  }
  void updateGeometries() override {
    QTableView::updateGeometries();
    placeFrozen();
  }
  // Keeps a cell that the keys move to out from under the frozen columns.
  void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override {
    if (index.column() >= columns_)
      QTableView::scrollTo(index, hint);
    else if (index.isValid()) // only the rows scroll: the column beside the frozen ones stays
      QTableView::scrollTo(
          model()->index(index.row(),
                         std::max(columns_, horizontalHeader()->logicalIndexAt(frozenWidth() + 1))),
          hint);
  }
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override {
    const QModelIndex current = QTableView::moveCursor(action, modifiers);
    if (action == MoveLeft && current.column() >= columns_ &&
        visualRect(current).left() < frozenWidth()) {
      const int hidden = visualRect(current).left() - frozenWidth();
      horizontalScrollBar()->setValue(horizontalScrollBar()->value() + hidden);
    }
    return current;
  }

private:
  int frozenWidth() const {
    int width = 0;
    for (int column = 0; column < columns_; ++column)
      width += columnWidth(column);
    return width;
  }

  void freezeLeading() {
    if (!model())
      return;
    for (int column = 0; column < model()->columnCount(); ++column) {
      frozen_->setColumnHidden(column, column >= columns_);
      if (column < columns_)
        frozen_->setColumnWidth(column, columnWidth(column));
    }
    frozen_->setVisible(columns_ > 0);
    placeFrozen();
  }

  void placeFrozen() {
    frozen_->horizontalHeader()->setFixedHeight(horizontalHeader()->height());
    frozen_->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    frozen_->setGeometry(verticalHeader()->width() + frameWidth(), frameWidth(), frozenWidth(),
                         viewport()->height() + horizontalHeader()->height());
  }

  QTableView *frozen_;
  int columns_ = 0;
};

// Editors that fit each part: a number box with the part's range, a hex box, a
// pick list, a tick box, a tick list.
class CellDelegate : public QStyledItemDelegate {
public:
  CellDelegate(TableGridWindow *window, TableGridModel &model)
      : QStyledItemDelegate(window), window_(window), model_(model) {}

  QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                        const QModelIndex &index) const override {
    const TableColumn *column = model_.partColumn(index.column());
    if (!column)
      return nullptr;
    const FieldPart &part = *column->part;
    const Field &field = *column->field;
    QWidget *editor = nullptr;
    switch (part.encoding) {
    case Encoding::Choice:
    case Encoding::OptionGroup: {
      auto *combo = new QComboBox(parent);
      const QStringList &rows = model_.rows().rowsOf(part.choices);
      for (int row = 0; row < rows.size(); ++row)
        combo->addItem(rows[row], choiceCode(part, row, int(rows.size())));
      editor = combo;
      break;
    }
    case Encoding::Flag:
      editor = new QCheckBox(part.caption, parent);
      editor->setAutoFillBackground(true);
      break;
    case Encoding::FlagRows:
    case Encoding::FlagRowsReversed: {
      auto *list = new QListWidget(parent);
      const QStringList &rows = model_.rows().rowsOf(part.choices);
      for (int row = 0; row < partBits(part, field); ++row) {
        auto *item =
            new QListWidgetItem(row < rows.size() ? rows[row] : QString::number(row), list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
      }
      editor = list;
      break;
    }
    case Encoding::Hex: {
      auto *box = new QLineEdit(parent);
      box->setValidator(new QRegularExpressionValidator(
          QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,%1}").arg(2 * field.width)), box));
      box->setToolTip(
          QStringLiteral("%1 位十六进制数，字节按文件中的顺序排列").arg(2 * field.width));
      editor = box;
      break;
    }
    default: {
      const qint64 low = partMinimum(part, field);
      const qint64 high = partMaximum(part, field);
      const qint64 now = index.data(Qt::EditRole).toString().toLongLong();
      // A stored value outside the range is kept as it is unless retyped.
      if (low >= std::numeric_limits<int>::min() && high <= std::numeric_limits<int>::max() &&
          now >= low && now <= high) {
        auto *spin = new QSpinBox(parent);
        spin->setRange(int(low), int(high));
        editor = spin;
      } else {
        editor = new QLineEdit(parent);
      }
      editor->setToolTip(QStringLiteral("%1 到 %2").arg(low).arg(high));
      break;
    }
    }
    editor->setObjectName(QStringLiteral("cellEditor"));
    Q_UNUSED(option);
    return editor;
  }

  void setEditorData(QWidget *editor, const QModelIndex &index) const override {
    const TableColumn *column = model_.partColumn(index.column());
    const quint32 value = index.data(TableGridModel::PartValueRole).toUInt();
    const QString text = index.data(Qt::EditRole).toString();
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
      int row = combo->findData(value);
      if (row < 0) { // a code no row shows stays pickable as itself
        combo->addItem(QString::number(value), value);
        row = combo->count() - 1;
      }
      combo->setCurrentIndex(row);
    } else if (auto *check = qobject_cast<QCheckBox *>(editor)) {
      check->setChecked(value & 1);
    } else if (auto *list = qobject_cast<QListWidget *>(editor)) {
      const quint32 ticks = tickedRows(*column->part, *column->field, value);
      for (int row = 0; row < list->count(); ++row)
        list->item(row)->setCheckState((ticks >> row) & 1 ? Qt::Checked : Qt::Unchecked);
    } else if (auto *spin = qobject_cast<QSpinBox *>(editor)) {
      spin->setValue(text.toInt());
    } else if (auto *box = qobject_cast<QLineEdit *>(editor)) {
      box->setText(column->part->encoding == Encoding::Hex ? text.mid(2) : text);
    }
    editor->setProperty("shownText", text);
  }

  void setModelData(QWidget *editor, QAbstractItemModel *,
                    const QModelIndex &index) const override {
    const TableColumn *column = model_.partColumn(index.column());
    QString text;
    std::optional<quint32> value;
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
      text = combo->currentText();
      value = combo->currentData().toUInt();
    } else if (auto *check = qobject_cast<QCheckBox *>(editor)) {
      value = check->isChecked() ? 1 : 0;
      text = QString::number(*value);
    } else if (auto *list = qobject_cast<QListWidget *>(editor)) {
      quint32 ticks = 0;
      QStringList ticked;
      for (int row = 0; row < list->count(); ++row)
        if (list->item(row)->checkState() == Qt::Checked) {
          ticks |= 1u << row;
          ticked << list->item(row)->text();
        }
      value = valueOfTickedRows(*column->part, *column->field, ticks);
      text = ticked.join(QStringLiteral("、"));
    } else if (auto *spin = qobject_cast<QSpinBox *>(editor)) {
      text = spin->cleanText();
    } else if (auto *box = qobject_cast<QLineEdit *>(editor)) {
      text = column->part->encoding == Encoding::Hex ? QStringLiteral("0x") + box->text()
                                                     : box->text();
    }
    // An editor closed as it opened sets nothing, also not the other selected cells.
    if (text == editor->property("shownText").toString())
      return;
    window_->applyTyped(index, text, value);
  }

  void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const override {
    QStyledItemDelegate::updateEditorGeometry(editor, option, index);
    if (auto *list = qobject_cast<QListWidget *>(editor)) {
      // A tick list needs room for its rows: it opens over the cells below.
      QRect room = option.rect;
      room.setWidth(std::max(room.width(), 220));
      room.setHeight(std::min(list->sizeHintForRow(0) * list->count() + 6, 260));
      editor->setGeometry(room);
    }
  }

protected:
  void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    const bool differs = index.data(TableGridModel::DiffersRole).toBool();
    if (index.data(TableGridModel::PendingRole).toBool())
      option->backgroundBrush = kPendingColour;
    else if (differs)
      option->backgroundBrush = kDifferingColour;
    if (differs)
      option->palette.setColor(QPalette::Text, kDifferingText);
  }

private:
  TableGridWindow *window_;
  TableGridModel &model_;
};

QString tableChoiceText(const CatalogTable &table) {
  return QStringLiteral("%1 · %2").arg(table.section, table.key);
}

// Describes how `field` now differs from what was shown, part by part, as the
// windows' overwrite question does.
void describeFieldChange(const QString &record, const Field &field, quint32 shown, quint32 now,
                         ListRows &rows, QStringList &lines) {
  for (const FieldPart &part : field.parts) {
    const QString was = partValueText(part, field, shown, rows);
    const QString is = partValueText(part, field, now, rows);
    if (was != is)
      lines << QStringLiteral("（%1）%2: %3 → %4").arg(record, part.caption, was, is);
  }
}

} // namespace

TableGridWindow::TableGridWindow(QWidget *parent) : QWidget(parent) {
  setUpEditorWindow(this, "TableGridWindow", QStringLiteral("表格视图"));

  tableChoice = makePickList(QStringLiteral("tableChoice"), this);
  for (const CatalogTable &table : tableCatalog())
    tableChoice->addItem(tableChoiceText(table));
  tableChoice->setCurrentIndex(-1);
  tableChoice->setPlaceholderText(QStringLiteral("选择表格"));
  gridFilter = makeTextBox(QStringLiteral("gridFilter"), this);
  gridFilter->setPlaceholderText(QStringLiteral("筛选：名称或序号"));
  gridFilter->setClearButtonEnabled(true);

  auto *view = new FrozenColumnsView(this);
  grid = view;
  grid->setObjectName(QStringLiteral("grid"));
  grid->setItemDelegate(new CellDelegate(this, model_));
  grid->setModel(&model_);
  grid->setSortingEnabled(true);
  grid->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  grid->verticalHeader()->hide();
  grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
  grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
  grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                        QAbstractItemView::AnyKeyPressed);
  grid->setWordWrap(false);

  auto *copy = new QAction(QStringLiteral("复制"), grid);
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  auto *paste = new QAction(QStringLiteral("粘贴"), grid);
  paste->setShortcut(QKeySequence::Paste);
  paste->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  grid->addActions({copy, paste});
  grid->setContextMenuPolicy(Qt::ActionsContextMenu);

  writeChanges = makeButton("writeChanges", QStringLiteral("写入"), this);
  discardChanges = makeButton("discardChanges", QStringLiteral("放弃修改"), this);
  compareWith = makeButton("compareWith", QStringLiteral("对比原版…"), this);
  onlyChanged = new QCheckBox(QStringLiteral("只显示不同的行"), this);
  onlyChanged->setObjectName(QStringLiteral("onlyChanged"));
  summaryLabel = new QLabel(this);
  summaryLabel->setObjectName(QStringLiteral("summaryLabel"));

  auto *top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("表格："), this));
  top->addWidget(tableChoice, 2);
  top->addWidget(gridFilter, 1);
  top->addWidget(compareWith);
  top->addWidget(onlyChanged);
  auto *bottom = new QHBoxLayout;
  bottom->addWidget(summaryLabel, 1);
  bottom->addWidget(discardChanges);
  bottom->addWidget(writeChanges);
  auto *layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(grid, 1);
  layout->addLayout(bottom);
  resize(1000, 600);

  connect(tableChoice, &QComboBox::currentIndexChanged, this,
          &TableGridWindow::tableChoice_Changed);
  connect(gridFilter, &QLineEdit::textChanged, &model_, &TableGridModel::setFilter);
  connect(onlyChanged, &QCheckBox::toggled, &model_, &TableGridModel::setOnlyChanged);
  connect(writeChanges, &QPushButton::clicked, this, &TableGridWindow::writeChanges_Click);
  connect(discardChanges, &QPushButton::clicked, this, &TableGridWindow::discardChanges_Click);
  connect(compareWith, &QPushButton::clicked, this, &TableGridWindow::compareWith_Click);
  connect(copy, &QAction::triggered, this, &TableGridWindow::copyCells);
  connect(paste, &QAction::triggered, this, &TableGridWindow::pasteCells);
  connect(&model_, &TableGridModel::summaryChanged, this, &TableGridWindow::showSummary);
  connect(&changeHistory(), &ChangeHistory::entryAdded, this, [this](quint64 id) {
    const ChangeEntry *entry = changeHistory().find(id);
    if (entry && entry->origin != this && model_.table() && entry->location == model_.file())
      followFile();
  });
  connect(&gameFileSwitches(), &GameFileSwitches::switched, this, [this](GameFile file) {
    if (model_.table() && model_.table()->file == file)
      followChosenFile();
  });
  showSummary();
}

void TableGridWindow::tableChoice_Changed(int row) {
  if (row < 0 || row >= int(tableCatalog().size()))
    return;
  const CatalogTable &table = tableCatalog()[size_t(row)];
  const GameFileRef &chosen = gamePaths().of(table.file);
  const auto stay = [this] {
    const QSignalBlocker quiet(tableChoice);
    tableChoice->setCurrentIndex(shownChoice_);
  };
  if (chosen.isEmpty()) {
    showMessage(this, QStringLiteral("请先打开%1文件再进入修改").arg(gameFileName(table.file)));
    return stay();
  }
  // Typed and pasted cells can be many; they are not dropped unasked.
  if (model_.hasPending() &&
      !askOkCancel(this, QStringLiteral("有 %1 个格子还没有写入。\n确定：放弃这些修改，显示“%2”。\n"
                                        "取消：留在现在的表格。")
                             .arg(model_.pendingCells())
                             .arg(tableChoice->itemText(row))))
    return stay();
  shownChoice_ = row;
  grid->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  QString error = model_.load(table, chosen);
  // The original chosen for another table of the same game file compares this one too.
  if (error.isEmpty() && original_.file == table.file && !original_.bytes.isEmpty())
    error = model_.compareWith(original_.bytes, original_.name);
  fitColumns();
  if (!error.isEmpty())
    showMessage(this, error);
  reportListProblems();
}

// The lists a table's cells name are read with its first rows; a missing or short
// one is told once, as the editor windows tell it.
void TableGridWindow::reportListProblems() {
  QStringList fresh;
  for (const QString &problem : model_.rows().problems())
    if (!reportedProblems_.contains(problem)) {
      reportedProblems_.insert(problem);
      fresh << problem;
    }
  if (!fresh.isEmpty())
    showMessage(this, fresh.join(QStringLiteral("\n\n")));
}

void TableGridWindow::fitColumns() {
  const QFontMetrics metrics = grid->fontMetrics();
  const int rows = std::min(model_.rowCount(), kRowsMeasured);
  for (int column = 0; column < model_.columnCount(); ++column) {
    int width = grid->horizontalHeader()->fontMetrics().horizontalAdvance(
                    model_.headerData(column, Qt::Horizontal).toString()) +
                24;
    for (int row = 0; row < rows; ++row)
      width = std::max(width,
                       metrics.horizontalAdvance(model_.index(row, column).data().toString()) + 16);
    grid->setColumnWidth(column, std::min(width, kWidestColumn));
  }
  static_cast<FrozenColumnsView *>(grid)->freeze(model_.leadingColumns());
}

void TableGridWindow::showSummary() {
  QStringList parts;
  if (model_.table())
    parts << QStringLiteral("显示 %1 / %2 条记录").arg(model_.rowCount()).arg(model_.recordCount());
  if (const int pending = model_.pendingCells(); pending > 0)
    parts << QStringLiteral("%1 个格子还没有写入").arg(pending);
  if (model_.comparing())
    parts << QStringLiteral("与原版相比：%1 个格子、%2 条记录不同")
                 .arg(model_.differingCells())
                 .arg(model_.differingRecords());
  summaryLabel->setText(parts.join(QStringLiteral("；")));
  writeChanges->setEnabled(model_.hasPending());
  discardChanges->setEnabled(model_.hasPending());
  onlyChanged->setEnabled(model_.comparing());
}

void TableGridWindow::applyTyped(const QModelIndex &index, const QString &text,
                                 std::optional<quint32> partValue) {
  std::vector<TableGridModel::CellEdit> edits;
  const QModelIndexList selected = grid->selectionModel()->selectedIndexes();
  if (selected.size() > 1 && selected.contains(index)) {
    for (const QModelIndex &cell : selected)
      if (model_.partColumn(cell.column()))
        edits.push_back({cell.row(), cell.column(), text,
                         cell.column() == index.column() ? partValue : std::nullopt});
  } else {
    edits.push_back({index.row(), index.column(), text, partValue});
  }
  const QStringList refused = model_.setCells(edits);
  if (!refused.isEmpty())
    showMessage(
        this,
        TableGridModel::refusalMessage(
            QStringLiteral("输入的内容有 %1 处不能接受，没有修改任何格子：").arg(refused.size()),
            refused));
}

void TableGridWindow::copyCells() {
  const QItemSelectionModel *selection = grid->selectionModel();
  const QModelIndexList cells = selection->selectedIndexes();
  if (cells.isEmpty())
    return;
  std::vector<int> rows;
  std::vector<int> columns;
  for (const QModelIndex &cell : cells) {
    rows.push_back(cell.row());
    columns.push_back(cell.column());
  }
  for (std::vector<int> *list : {&rows, &columns}) {
    std::sort(list->begin(), list->end());
    list->erase(std::unique(list->begin(), list->end()), list->end());
  }
  const bool wholeColumns = std::all_of(columns.begin(), columns.end(), [&](int column) {
    return selection->isColumnSelected(column);
  });
  QApplication::clipboard()->setText(
      model_.copyBlock(rows, columns, wholeColumns, [&](int row, int column) {
        return selection->isSelected(model_.index(row, column));
      }));
}

void TableGridWindow::pasteCells() {
  const QModelIndex at = grid->currentIndex();
  if (!at.isValid() || !model_.table())
    return;
  const QStringList refused =
      model_.pasteBlock(at.row(), at.column(), QApplication::clipboard()->text());
  if (!refused.isEmpty())
    showMessage(
        this,
        TableGridModel::refusalMessage(
            QStringLiteral("粘贴的内容有 %1 处不能接受，没有粘贴任何内容：").arg(refused.size()),
            refused));
}

// The grid's drift, record by record: each drifted field as the grid showed it
// and as the file holds it now. `records` made the edit's spans, one per field.
QStringList
TableGridWindow::changedSinceShown(const Drift &drift,
                                   const std::vector<TableGridModel::PendingRecord> &records) {
  const RecordLayout &layout = *model_.table()->layout;
  const size_t fields = layout.fields.size();
  QStringList lines;
  for (size_t r = 0; r < records.size(); ++r) {
    const TableGridModel::PendingRecord &record = records[r];
    const RecordValues now = valuesAfterDrift(layout, record.shown, drift, r * fields);
    for (size_t f = 0; f < fields; ++f)
      if (now[f] != record.shown[f])
        describeFieldChange(model_.recordLabel(record.record), layout.fields[f], record.shown[f],
                            now[f], model_.rows(), lines);
  }
  return lines;
}

bool TableGridWindow::confirmOverwrite(const QStringList &changed) {
  QStringList lines = changed.mid(0, kAskedLines);
  if (changed.size() > kAskedLines)
    lines << QStringLiteral("……另有 %1 处").arg(changed.size() - kAskedLines);
  return askOkCancel(this, QStringLiteral("文件中的%1在本窗口显示以后被改过"
                                          "（窗口显示的值 → 文件现在的值）：\n%2\n\n"
                                          "确定：仍然写入，用窗口中的内容覆盖这些改动。\n"
                                          "取消：不写入任何内容。")
                               .arg(model_.table()->layout->what, lines.join(u'\n')));
}

// One span per field of every pending record: the whole record is checked
// against what the grid showed, the pending fields are written.
std::vector<EditSpan>
TableGridWindow::pendingSpans(const std::vector<TableGridModel::PendingRecord> &records) const {
  const RecordLayout &layout = *model_.table()->layout;
  std::vector<EditSpan> spans;
  for (const TableGridModel::PendingRecord &record : records) {
    std::vector<EditSpan> fields = recordSpans(layout, record.start, record.shown, &record.shown);
    for (EditSpan &field : fields)
      field.bytes.clear();
    for (const TableGridModel::PendingField &field : record.fields) {
      const Field &described = layout.fields[size_t(field.fieldIndex)];
      fields[size_t(field.fieldIndex)].bytes = littleEndianBytes(field.wanted, described.width);
    }
    spans.insert(spans.end(), std::make_move_iterator(fields.begin()),
                 std::make_move_iterator(fields.end()));
  }
  return spans;
}

// Every pending cell in one operation: one entry in the change history, all of
// it written or none.
void TableGridWindow::writeChanges_Click() {
  if (!model_.table() || followChosenFile())
    return;
  const std::vector<TableGridModel::PendingRecord> records = model_.pendingRecords();
  if (records.empty())
    return;
  Edit edit;
  edit.file = model_.file();
  edit.label = {windowTitle(), QStringLiteral("写入")};
  edit.origin = this;
  edit.what = model_.table()->layout->what;
  edit.spans = pendingSpans(records);
  const EditResult result = runEdit(this, edit, [&](const Drift &drift) {
    return confirmOverwrite(changedSinceShown(drift, records));
  });
  if (!result.written())
    return;
  if (const QString error = model_.reload(true).error; !error.isEmpty())
    showMessage(this, error);
}

void TableGridWindow::discardChanges_Click() { model_.discardPending(); }

void TableGridWindow::followFile() {
  const TableGridModel::Reloaded reloaded = model_.reload();
  if (!reloaded.error.isEmpty())
    showMessage(this, reloaded.error);
  else if (!reloaded.dropped.isEmpty())
    showMessage(this, TableGridModel::refusalMessage(
                          QStringLiteral("文件中的值在输入以后被改过，下面 %1 个还没有写入的格子"
                                         "已经放弃（显示的是文件现在的值）：")
                              .arg(reloaded.dropped.size()),
                          reloaded.dropped));
}

// Another program may have written while the window was in the background.
void TableGridWindow::changeEvent(QEvent *event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && model_.table() &&
      !QApplication::activeModalWidget() && !followChosenFile())
    followFile();
}

bool TableGridWindow::followChosenFile() {
  const GameFileRef chosen = gamePaths().of(model_.table()->file);
  if (chosen == model_.file())
    return false;
  const int dropped = model_.pendingCells();
  const int row = shownChoice_;
  shownChoice_ = -1;
  {
    const QSignalBlocker quiet(tableChoice);
    tableChoice->setCurrentIndex(-1);
  }
  if (chosen.isEmpty())
    return true;
  QString message = QStringLiteral("主窗口选择了另一个%1：\n%2\n表格改为显示这个文件。")
                        .arg(gameFileName(model_.table()->file), chosen.displayName());
  if (dropped > 0)
    message += QStringLiteral("原来的文件中还没有写入的 %1 个格子已经放弃，没有写入任何内容。")
                   .arg(dropped);
  model_.discardPending();
  tableChoice->setCurrentIndex(row);
  showMessage(this, message);
  return true;
}

void TableGridWindow::compareWith_Click() {
  if (!model_.table()) {
    showMessage(this, QStringLiteral("请先选择一个表格。"));
    return;
  }
  const GameFile file = model_.table()->file;
  QFileDialog dialog(this,
                     QStringLiteral("选择原版（没有改动过的）%1或光盘镜像").arg(gameFileName(file)),
                     QFileInfo(model_.file().path).absolutePath());
  dialog.setObjectName(QStringLiteral("CompareDialog"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return;
  const QString chosen = dialog.selectedFiles().constFirst();
  const GameFileRef original =
      isDiscImagePath(chosen) ? GameFileRef::imageEntry(chosen, file) : GameFileRef::plain(chosen);
  if (original == model_.file()) {
    showMessage(this, QStringLiteral("选择的原版文件就是正在修改的%1，请选择一份没有改动过的原版。")
                          .arg(gameFileName(file)));
    return;
  }
  const FileContents contents = Module1::readWholeFile(original, kMaxOriginalSize);
  if (!contents.ok()) {
    showMessage(this, contents.error);
    return;
  }
  original_ = {file, contents.bytes, original.displayName()};
  const QString error = model_.compareWith(original_.bytes, original_.name);
  if (!error.isEmpty()) {
    original_ = {};
    showMessage(this, error);
  }
}

} // namespace korvane
