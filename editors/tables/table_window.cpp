#include "editors/tables/table_window.h"

#include "editors/shared/editor_window.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStyle>
#include <QVBoxLayout>

namespace korvane {

namespace {

QWidget *makeFieldControl(QWidget *form, const ControlPart &described) {
  const FieldPart &part = *described.part;
  if (part.encoding == Encoding::Choice)
    return makePickList(part.control, form);
  QLineEdit *box = makeTextBox(part.control, form);
  const int digits = int(QString::number(partMaximum(part, *described.field)).size());
  box->setFixedWidth(box->fontMetrics().horizontalAdvance(QString(digits + 1, u'0')) + 12);
  return box;
}

} // namespace

QLayout *headedFieldRows(QWidget *form, const RecordLayout &layout,
                         const std::vector<QStringList> &rows) {
  auto *column = new QVBoxLayout;
  for (const QStringList &controls : rows) {
    auto *row = new QHBoxLayout;
    row->setSpacing(12);
    for (const QString &control : controls) {
      const ControlPart described = requireControlPart(layout, control);
      auto *headed = new QVBoxLayout;
      headed->setSpacing(2);
      headed->addWidget(new QLabel(described.part->caption, form));
      headed->addWidget(makeFieldControl(form, described));
      row->addLayout(headed);
    }
    row->addStretch();
    column->addLayout(row);
  }
  return column;
}

void fillFixedChoices(QWidget *form, const RecordLayout &layout) {
  for (const Field &field : layout.fields)
    for (const FieldPart &part : field.parts)
      if (part.encoding == Encoding::Choice && part.choices.fixedRows)
        fillChoices(requireControl<QComboBox>(form, part.control), *part.choices.fixedRows);
}

void fitListToRows(QListWidget *list) {
  list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth() +
                        list->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8);
}

} // namespace korvane
