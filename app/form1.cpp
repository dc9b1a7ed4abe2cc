#include "app/form1.h"

#include "app/history_window.h"

#include "editors/shared/editor_window.h"
#include "editors/shared/game_paths.h"
#include "editors/shared/messages.h"
#include "editors/shared/sections.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

namespace {

// A label showing one chosen file's path; the path can be selected and copied.
QLabel *makePathLabel(const char *name, QWidget *parent) {
  auto *label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setWordWrap(true);
  label->setTextFormat(Qt::PlainText);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // A folder name too long for one line must not widen the window; the tip
  // shows it whole.
  label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  return label;
}

QString pathText(const QString &path) {
  return path.isEmpty() ? QStringLiteral("未选择") : QDir::toNativeSeparators(path);
}

} // namespace

Form1::Form1(QWidget *parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Korvane静态修改器"));
  gamePaths() = {};

  Frame1 = new QGroupBox(QStringLiteral("项目编辑"), this);
  Frame1->setObjectName(QStringLiteral("Frame1"));
  List1 = makeRecordList("List1", Frame1);
  List1->addItems(sectionTexts());
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
  auto *top = new QHBoxLayout;
  top->addWidget(Frame1, 1);
  top->addLayout(buttons, 1);

  // The chosen files below, across the whole window: a path is long.
  ExePathLabel = makePathLabel("ExePathLabel", this);
  StagePathLabel = makePathLabel("StagePathLabel", this);
  auto *paths = new QGridLayout;
  paths->addWidget(new QLabel(QStringLiteral("SLPS_255.37："), this), 0, 0, Qt::AlignTop);
  paths->addWidget(ExePathLabel, 0, 1);
  paths->addWidget(new QLabel(QStringLiteral("stage.bin："), this), 1, 0, Qt::AlignTop);
  paths->addWidget(StagePathLabel, 1, 1);
  paths->setColumnStretch(1, 1);
  showPaths();

  auto *layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addLayout(paths);
  resize(460, 400);

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
                       QString &path, const QString &otherPath) {
  if (!dialog) {
    dialog = new QFileDialog(this);
    dialog->setObjectName(QString::fromLatin1(dialogName));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setNameFilter(QStringLiteral("%1 (%1)").arg(fileName));
  }
  // Near the file chosen before, whatever folder the user browsed to and left.
  const QString &near = path.isEmpty() ? otherPath : path;
  if (!near.isEmpty())
    dialog->setDirectory(QFileInfo(near).absolutePath());
  if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
    path = dialog->selectedFiles().constFirst();
  showPaths();
}

void Form1::showPaths() {
  for (auto [label, path] : {std::pair{ExePathLabel, gamePaths().ExePath},
                             std::pair{StagePathLabel, gamePaths().StagePath}}) {
    label->setText(pathText(path));
    label->setToolTip(path.isEmpty() ? QString() : label->text());
  }
}

void Form1::Command1_Click() {
  chooseFile(CommonDialog1, "CommonDialog1", QStringLiteral("SLPS_255.37"), gamePaths().ExePath,
             gamePaths().StagePath);
}

void Form1::Command4_Click() {
  chooseFile(CommonDialog2, "CommonDialog2", QStringLiteral("stage.bin"), gamePaths().StagePath,
             gamePaths().ExePath);
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
