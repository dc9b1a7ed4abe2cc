#include "editors/shared/editor_window.h"

#include "editors/shared/record_layout.h"

#include <QAction>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaObject>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

namespace {

// A list view makes its first row current when it gets the focus with none
// current; a record list must wait for the user's pick instead.
class RecordList : public QListWidget {
public:
  using QListWidget::QListWidget;

protected:
  void focusInEvent(QFocusEvent *event) override {
    const bool noneCurrent = currentRow() < 0;
    const QSignalBlocker quiet(this);
    QListWidget::focusInEvent(event);
    if (noneCurrent && currentRow() >= 0)
      setCurrentRow(-1, QItemSelectionModel::NoUpdate);
  }
};

// Full-width letters and digits compare as their ASCII forms, so that a box left
// in full-width input still finds "Ｖ" by "v".
QString folded(const QString &text) { return text.normalized(QString::NormalizationForm_KC); }

// The typed text as a row number: digits only, so that "+5" or "5.0" stay text.
int typedRowNumber(const QString &digits) {
  if (digits.isEmpty() || digits.size() > 9)
    return -1;
  for (const QChar c : digits)
    if (c < u'0' || c > u'9')
      return -1;
  return digits.toInt();
}

// Shows the rows whose text contains `filter`, or whose 0-based number it is. Only
// the rows' visibility changes: never the current row, its selection or a record.
void applyFilter(QListWidget *list, const QString &filter) {
  const QString wanted = folded(filter.trimmed());
  const int number = typedRowNumber(wanted);
  for (int row = 0; row < list->count(); ++row) {
    QListWidgetItem *item = list->item(row);
    const bool shown = wanted.isEmpty() || row == number ||
                       folded(item->text()).contains(wanted, Qt::CaseInsensitive);
    item->setHidden(!shown);
  }
}

} // namespace

void setUpEditorWindow(QWidget *window, const char *name, const QString &caption) {
  window->setObjectName(QString::fromLatin1(name));
  window->setWindowTitle(caption);
  window->setAttribute(Qt::WA_DeleteOnClose);
}

void returnToMainWindow(QWidget *editor) { editor->close(); }

QWidget *requireControl(QWidget *window, const QString &name, const QMetaObject &kind) {
  QWidget *control = window->findChild<QWidget *>(name);
  if (control && control->metaObject()->inherits(&kind))
    return control;
  const QString windowName =
      window->objectName().isEmpty() ? window->metaObject()->className() : window->objectName();
  const QString found = control ? QStringLiteral("a %1").arg(control->metaObject()->className())
                                : QStringLiteral("no control");
  throw DescriptionMismatch(QStringLiteral("window %1 needs a %2 named %3 and has %4")
                                .arg(windowName, kind.className(), name, found)
                                .toStdString());
}

QListWidget *makeRecordList(const char *name, QWidget *parent) {
  auto *list = new RecordList(parent);
  list->setObjectName(QString::fromLatin1(name));
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  return list;
}

QLayout *withFilterBox(QListWidget *list) {
  auto *filter = new QLineEdit(list->parentWidget());
  filter->setObjectName(list->objectName() + QStringLiteral("Filter"));
  filter->setPlaceholderText(QStringLiteral("筛选"));
  filter->setClearButtonEnabled(true);
  // As wide as the list: the box never widens the list's column.
  filter->setSizePolicy(QSizePolicy::Ignored, filter->sizePolicy().verticalPolicy());
  const auto refilter = [list, filter] { applyFilter(list, filter->text()); };
  QObject::connect(filter, &QLineEdit::textChanged, list, [list](const QString &text) {
    applyFilter(list, text);
    // With every row back, the current record's row comes back into view.
    if (text.isEmpty() && list->currentItem())
      list->scrollToItem(list->currentItem());
  });
  // Rows added or renamed while a filter is typed follow it too.
  QAbstractItemModel *rows = list->model();
  QObject::connect(rows, &QAbstractItemModel::rowsInserted, filter, refilter);
  QObject::connect(rows, &QAbstractItemModel::dataChanged, filter, refilter);
  auto *clear = new QAction(filter);
  clear->setShortcut(Qt::Key_Escape);
  clear->setShortcutContext(Qt::WidgetShortcut);
  QObject::connect(clear, &QAction::triggered, filter, &QLineEdit::clear);
  filter->addAction(clear);
  QWidget::setTabOrder(filter, list);

  auto *column = new QVBoxLayout;
  column->addWidget(filter);
  column->addWidget(list);
  return column;
}

QPushButton *makeButton(const char *name, const QString &caption, QWidget *parent) {
  auto *button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

QLineEdit *makeTextBox(const QString &name, QWidget *parent) {
  auto *box = new QLineEdit(parent);
  box->setObjectName(name);
  return box;
}

int byteBoxWidth(const QWidget *window) {
  return window->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 12;
}

QLineEdit *makeByteBox(const QString &name, QWidget *parent) {
  QLineEdit *box = makeTextBox(name, parent);
  box->setFixedWidth(byteBoxWidth(parent));
  return box;
}

void makeShownOnly(QLineEdit *box) {
  box->setReadOnly(true);
  box->setFocusPolicy(Qt::NoFocus);
  QPalette grey = box->palette();
  grey.setColor(QPalette::Base, grey.color(QPalette::Window).darker(110));
  box->setPalette(grey);
}

void nameControlsInToolTips(QWidget *window, const RecordLayout &layout) {
  for (const Field &field : layout.fields)
    for (const FieldPart &part : field.parts)
      if (QWidget *control = window->findChild<QWidget *>(part.control))
        control->setToolTip(part.caption);
}

QString rowHeading(const RecordLayout &layout, const QStringList &controls) {
  QStringList captions;
  for (const QString &control : controls)
    captions.append(controlCaption(layout, control));
  return captions.join(QStringLiteral("  "));
}

// Pick-only: typed text that matches no row could not be saved.
QComboBox *makePickList(const QString &name, QWidget *parent, const QStringList &rows) {
  auto *combo = new QComboBox(parent);
  combo->setObjectName(name);
  combo->setEditable(false);
  fillChoices(combo, rows);
  return combo;
}

void fillChoices(QComboBox *combo, const QStringList &rows) {
  combo->addItems(rows);
  combo->setCurrentIndex(-1); // no row until a record is shown
}

} // namespace korvane
