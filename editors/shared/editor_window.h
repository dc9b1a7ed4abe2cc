#pragma once

// What every editor window shares: its identity as a top-level window, its return
// to the main window, its record list and the filling of its pick lists.

#include <QString>
#include <QStringList>

class QComboBox;
class QLayout;
struct QMetaObject;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace korvane {

struct RecordLayout;

// Names and captions the window; it is deleted when closed, so reopening loads afresh.
void setUpEditorWindow(QWidget *window, const char *name, const QString &caption);

// "返回": closes the editor; the main window stays usable while editors are open.
void returnToMainWindow(QWidget *editor);

// A list box of records with no row current until the user picks one, also when
// it first gets the focus.
QListWidget *makeRecordList(const char *name, QWidget *parent);

// The list under a filter box "筛选" (objectName: the list's name and "Filter"), for
// record lists too long to scroll through. Typing hides the rows that neither
// contain the text (ignoring case and full-width forms) nor have it as their
// 0-based number; rows keep their index, and the current row, its selection and
// the record shown stay as they are. Escape clears the box. The list's parent
// widget must be set.
QLayout *withFilterBox(QListWidget *list);

// The control named `name` in `window`, of the kind `kind` (or derived from it);
// throws DescriptionMismatch naming the window and the control when the window
// has none, or one of another kind.
QWidget *requireControl(QWidget *window, const QString &name, const QMetaObject &kind);
template <class Control> Control *requireControl(QWidget *window, const QString &name) {
  return static_cast<Control *>(requireControl(window, name, Control::staticMetaObject));
}

// Named controls; `name` is the objectName ("Text8_3" for element 3 of Text8).
QPushButton *makeButton(const char *name, const QString &caption, QWidget *parent);
QLineEdit *makeTextBox(const QString &name, QWidget *parent);
// A text box for one byte: wide enough for "255", no wider.
QLineEdit *makeByteBox(const QString &name, QWidget *parent);
int byteBoxWidth(const QWidget *window);
// A box that no save reads (an offset, a value composed on save, a byte shown for
// information): read-only, skipped by Tab and grey, so it does not invite typing.
void makeShownOnly(QLineEdit *box);
// A pick-only drop-down list, filled with `rows` and none of them selected.
QComboBox *makePickList(const QString &name, QWidget *parent, const QStringList &rows = {});

// Grid boxes carry no label of their own: each control's tip names it as a
// refusal of its entry does.
void nameControlsInToolTips(QWidget *window, const RecordLayout &layout);

// The captions of `controls`, two blanks apart: one heading over a row of them,
// each word over its control ("空适应  陆适应  海适应  宇适应").
QString rowHeading(const RecordLayout &layout, const QStringList &controls);

// Appends the rows and leaves none selected, as a window is before its first pick.
void fillChoices(QComboBox *combo, const QStringList &rows);

} // namespace korvane
