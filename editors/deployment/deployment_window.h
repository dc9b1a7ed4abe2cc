#pragma once

// What the enemy and ally deployment windows share: the stage list on the left and
// the stage's record list beside it, both above a frame of the record's fields; the
// lists read when the window loads, the record list built when a stage is picked,
// and the record shown and written through the kind's one description.

#include "editors/deployment/deployment_record.h"
#include "editors/shared/record_binder.h"

#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>

class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace korvane {

class NameListLoader;

class DeploymentWindow : public QWidget {
  Q_OBJECT
protected:
  DeploymentWindow(const DeploymentKind &kind, const char *name, const QString &caption,
                   QWidget *parent);

  // The derived window lays out Frame1's fields with the makers below, then calls
  // this: it binds the description, connects the handlers and loads the lists.
  void finishSetUp(QLayout *fields);

  // Frame1's grid: the caption of the part the control shows (Label1_k) and the
  // control, `span` columns wide.
  void addField(QGridLayout *grid, int row, int column, QWidget *control, int span = 1);
  // Text6, the record's offset, under its caption "起始地址".
  void addAddressField(QGridLayout *grid, int row, int column);
  QLineEdit *makeEntryBox(const QString &name);
  QComboBox *makeNamePick(const char *name);
  // Text6: the record's offset, shown only.
  QLineEdit *makeAddressBox();
  // "返回" on the left, "写入" on the right.
  QLayout *makeButtons();

  // The picked stage and record, or false after asking the user to pick them.
  bool requirePickedRecord(int &stage, int &record);
  qint64 recordOffset(int stage, int record) const;
  const StageBlock &block(int stage) const { return blocks_.blocks[size_t(stage)]; }
  // The unit list's name of a stored unit code, or the code itself.
  QString unitName(quint32 code) const;

  virtual void Command2_Click() = 0;

  const DeploymentKind &kind_;
  QGroupBox *Frame1;
  QListWidget *List1;
  QListWidget *List2;
  QComboBox *Combo1;
  QComboBox *Combo2;
  QLineEdit *Text6;
  QPushButton *Command1;
  QPushButton *Command2;
  std::unique_ptr<RecordBinder> binder_;

private:
  void addCaptioned(QGridLayout *grid, int row, int column, const QString &caption,
                    QWidget *control, int span);
  void Form_Load();
  void loadname(NameListLoader &names);
  void List1_Click();
  // Picks the shown stage and record again, after another stage.bin was chosen.
  void pickAgain();
  void List2_Click();
  const Field &unitField() const;
  static QString recordRow(int record, const QString &unit);
  void noteEmptyStage();
  void renameWrittenRows();
  bool showdata11();
  void Command1_Click();
  QLayout *makeLists();

  QLabel *noRecordsNote_;
  int captions_ = 0; // Label1 elements made so far
  StageBlocks blocks_;
  QStringList unitNames_; // UnitNames: a row per unit code, and the empty slot's row
};

} // namespace korvane
