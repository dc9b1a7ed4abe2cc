#include "app/form1.h"

#include "app/history_window.h"

#include "editors/shared/editor_window.h"
#include "editors/shared/game_paths.h"
#include "editors/shared/messages.h"

#include <QApplication>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

namespace {

const QStringList &sectionRows() {
  static const QStringList rows{
      QStringLiteral("机体&武器"),    QStringLiteral("人物"),           QStringLiteral("强化部件"),
      QStringLiteral("防御力场"),     QStringLiteral("小队长能力变更"), QStringLiteral("主角精神"),
      QStringLiteral("机师特技养成"), QStringLiteral("机师特技补正"),   QStringLiteral("底力补正"),
      QStringLiteral("改造相关"),     QStringLiteral("系统相关"),       QStringLiteral("敌军配置"),
      QStringLiteral("我方配置")};
  return rows;
}

} // namespace

Form1::Form1(QWidget *parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Korvane静态修改器"));
  gamePaths() = {};

  Frame1 = new QGroupBox(QStringLiteral("项目编辑"), this);
  Frame1->setObjectName(QStringLiteral("Frame1"));
  List1 = makeRecordList("List1", Frame1);
  List1->addItems(sectionRows());
  (new QVBoxLayout(Frame1))->addWidget(List1);

  Command1 = makeButton("Command1", QStringLiteral("打开SLPS_255.37"), this);
  Command4 = makeButton("Command4", QStringLiteral("打开stage.bin"), this);
  Command3 = makeButton("Command3", QStringLiteral("进入编辑"), this);
  Command2 = makeButton("Command2", QStringLiteral("退出"), this);
  auto *buttons = new QVBoxLayout;
  historyButton = makeButton("historyButton", QStringLiteral("修改记录"), this);
  for (QPushButton *button : {Command1, Command4, Command3, Command2, historyButton})
    buttons->addWidget(button);
  buttons->addStretch();

  auto *layout = new QHBoxLayout(this);
  layout->addWidget(Frame1, 1);
  layout->addLayout(buttons, 1);
  resize(460, 340);

  connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
  connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
  connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
  connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
  connect(historyButton, &QPushButton::clicked, this, &Form1::historyButton_Click);
  registerEditors(registry_);
}

Form1::~Form1() {
  registry_.closeAll();
  if (history_)
    history_->close();
}

void Form1::chooseFile(QFileDialog *&dialog, const char *dialogName, const QString &fileName,
                       QString &path) {
  if (!dialog) {
    dialog = new QFileDialog(this);
    dialog->setObjectName(QString::fromLatin1(dialogName));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setNameFilter(QStringLiteral("%1 (%1)").arg(fileName));
  }
  if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
    path = dialog->selectedFiles().constFirst();
}

void Form1::Command1_Click() {
  chooseFile(CommonDialog1, "CommonDialog1", QStringLiteral("SLPS_255.37"), gamePaths().ExePath);
}

void Form1::Command4_Click() {
  chooseFile(CommonDialog2, "CommonDialog2", QStringLiteral("stage.bin"), gamePaths().StagePath);
}

void Form1::Command3_Click() {
  if (gamePaths().ExePath.isEmpty()) {
    showMessage(this, QStringLiteral("请先打开SLPS_255.37文件再进入修改"));
    return;
  }
  if (gamePaths().StagePath.isEmpty()) {
    showMessage(this, QStringLiteral("请先打开stage.bin文件再进入修改"));
    return;
  }
  const int row = List1->currentRow();
  if (row < 0)
    return;
  if (!registry_.show(row))
    showMessage(this, QStringLiteral("“%1”的编辑窗口还没有完成。").arg(List1->item(row)->text()));
}

void Form1::Command2_Click() {
  registry_.closeAll();
  QApplication::closeAllWindows();
  QCoreApplication::quit();
}

} // namespace korvane

namespace korvane {

// The history window exists at most once, like the editors.
void Form1::historyButton_Click() {
  if (!history_)
    history_ = new HistoryWindow;
  history_->show();
  history_->raise();
  history_->activateWindow();
}

} // namespace korvane
