#include "editors/shared/editor_window.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

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

} // namespace

void setUpEditorWindow(QWidget *window, const char *name, const QString &caption) {
  window->setObjectName(QString::fromLatin1(name));
  window->setWindowTitle(caption);
  window->setAttribute(Qt::WA_DeleteOnClose);
}

void returnToMainWindow(QWidget *editor) {
  for (QWidget *window : QApplication::topLevelWidgets())
    if (window->objectName() == QLatin1String("Form1"))
      window->setEnabled(true);
  editor->close();
}

QListWidget *makeRecordList(const char *name, QWidget *parent) {
  auto *list = new RecordList(parent);
  list->setObjectName(QString::fromLatin1(name));
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  return list;
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
