#include "editors/shared/listed_record_window.h"

#include "editors/shared/editor_window.h"
#include "editors/shared/game_paths.h"
#include "editors/shared/record_actions.h"
#include "editors/shared/record_coherence.h"

#include <QListWidget>
#include <QPushButton>

namespace korvane {

ListedRecordWindow::ListedRecordWindow(const char *name, const QString &caption,
                                       const RecordLayout &layout, QWidget *parent)
    : QWidget(parent, Qt::Window), layout_(layout) {
  setUpEditorWindow(this, name, caption);
  List1 = makeRecordList("List1", this);
}

QPushButton *ListedRecordWindow::makeSaveButton(const char *name, QWidget *parent,
                                                Handler handler) {
  save = makeButton(name, QStringLiteral("保存"), parent ? parent : this);
  if (!handler)
    handler = [this] { save_Click(); };
  connect(save, &QPushButton::clicked, this, std::move(handler));
  return save;
}

QPushButton *ListedRecordWindow::makeReturnButton(const char *name, QWidget *parent,
                                                  Handler handler) {
  open = makeButton(name, QStringLiteral("返回"), parent ? parent : this);
  if (!handler)
    handler = [this] { open_Click(); };
  connect(open, &QPushButton::clicked, this, std::move(handler));
  return open;
}

void ListedRecordWindow::finishSetUp() {
  Q_ASSERT(save && open);
  // The binder finds the controls by name, so it comes after them.
  binder_ = std::make_unique<RecordBinder>(this, layout_);
  keepShownRecordCurrent(this, *binder_);
  reshowOnGameFileSwitch(this, GameFile::Exe, [this] {
    if (List1->currentRow() >= 0)
      List1_Click();
  });
  connect(List1, &QListWidget::currentRowChanged, this, [this] { List1_Click(); });
  Form_Load();
}

void ListedRecordWindow::List1_Click() { showunit(); }

bool ListedRecordWindow::showunit() {
  return showListedRecord(this, List1, gamePaths().ExePath, *binder_);
}

bool ListedRecordWindow::saveShownRecord() {
  return saveListedRecord(this, List1, gamePaths().ExePath, *binder_);
}

void ListedRecordWindow::returnToMain() { returnToMainWindow(this); }

} // namespace korvane
