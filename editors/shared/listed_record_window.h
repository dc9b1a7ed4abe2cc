#pragma once

// What every window with a record list shares: the list `List1` on the left whose
// row i stands for record i of one table in the game executable, a save button
// "保存" and a return button "返回", and the binder that shows and saves the picked
// record through the table's one description. A window makes its own controls,
// then calls finishSetUp().

#include "editors/shared/record_binder.h"

#include <QWidget>
#include <functional>
#include <memory>

class QListWidget;
class QPushButton;

namespace korvane {

class ListedRecordWindow : public QWidget {
  Q_OBJECT
protected:
  ListedRecordWindow(const char *name, const QString &caption, const RecordLayout &layout,
                     QWidget *parent);

  // The buttons, made where the window wants them in its focus order; `name` is
  // the objectName the window's buttons have always had. A click runs `handler`,
  // the window's handler of that name, or else save_Click and open_Click.
  using Handler = std::function<void()>;
  QPushButton *makeSaveButton(const char *name = "save", QWidget *parent = nullptr,
                              Handler handler = {});
  QPushButton *makeReturnButton(const char *name = "open", QWidget *parent = nullptr,
                                Handler handler = {});

  // Binds the description to the controls made so far, connects the handlers and
  // loads the lists.
  void finishSetUp();

  // Fills the record list and the pick lists.
  virtual void Form_Load() = 0;
  virtual void List1_Click();
  // False when the picked record could not be shown; the pick is then undone.
  bool showunit();
  // The buttons' steps, whatever their handlers are named.
  bool saveShownRecord();
  void returnToMain();
  void save_Click() { saveShownRecord(); }
  void open_Click() { returnToMain(); }

  QListWidget *List1;
  QPushButton *save = nullptr;
  QPushButton *open = nullptr;
  std::unique_ptr<RecordBinder> binder_;

private:
  const RecordLayout &layout_;
};

} // namespace korvane
