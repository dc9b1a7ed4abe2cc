#include "app/form1.h"

#include "app/history_window.h"
#include "app/table_grid_window.h"

#include "editors/catalog/registration.h"
#include "editors/shared/editor_window.h"
#include "editors/shared/game_paths.h"
#include "editors/shared/messages.h"
#include "editors/shared/record_coherence.h"
#include "io/disc_image.h"
#include "io/patch_maker.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>
#include <tuple>

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

QString pathText(const GameFileRef &file) {
  return file.isEmpty() ? QStringLiteral("未选择") : file.displayName();
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
  makePatch = makeButton("makePatch", QStringLiteral("制作补丁…"), this);
  tableGrid = makeButton("tableGrid", QStringLiteral("表格视图…"), this);
  for (QPushButton *button :
       {Command1, Command4, Command3, tableGrid, Command2, historyButton, makePatch})
    buttons->addWidget(button);
  openImage = makeButton("openImage", QStringLiteral("打开光盘镜像"), this);
  buttons->insertWidget(buttons->indexOf(Command4) + 1, openImage);
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
  connect(makePatch, &QPushButton::clicked, this, &Form1::makePatch_Click);
  connect(tableGrid, &QPushButton::clicked, this, &Form1::tableGrid_Click);
  connect(openImage, &QPushButton::clicked, this, &Form1::openImage_Click);
  registerEditors(registry_);
}

Form1::~Form1() {
  registry_.closeAll();
  for (QWidget *window : {history_.data(), tableGrid_.data()})
    if (window)
      window->close();
}

void Form1::chooseFile(GameFile file) {
  const bool exe = file == GameFile::Exe;
  QFileDialog *&dialog = exe ? CommonDialog1 : CommonDialog2;
  GameFileRef &path = gamePaths().of(file);
  const GameFileRef &otherPath = exe ? gamePaths().StagePath : gamePaths().ExePath;
  const QString fileName = gameFileName(file);
  if (!dialog) {
    dialog = new QFileDialog(this);
    dialog->setObjectName(QString::fromLatin1(exe ? "CommonDialog1" : "CommonDialog2"));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setNameFilter(QStringLiteral("%1 (%1)").arg(fileName));
  }
  // Near the file chosen before, whatever folder the user browsed to and left.
  const GameFileRef &near = path.isEmpty() ? otherPath : path;
  if (!near.isEmpty())
    dialog->setDirectory(QFileInfo(near.path).absolutePath());
  if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
    return;
  const GameFileRef chosen = GameFileRef::plain(dialog->selectedFiles().constFirst());
  // One file under both buttons, by any name or link, would take the stage data
  // into the executable.
  if (chosen == otherPath) {
    showMessage(this, QStringLiteral("这个文件已经选作%1：\n%2\n"
                                     "SLPS_255.37和stage.bin必须是两个不同的文件。"
                                     "%3的选择没有改变。")
                          .arg(gameFileName(exe ? GameFile::Stage : GameFile::Exe),
                               otherPath.displayName(), fileName));
    return;
  }
  const bool switched = chosen != path;
  path = chosen;
  showPaths();
  if (switched)
    announceGameFileSwitch(file);
}

void Form1::showPaths() {
  for (auto [label, path] : {std::pair{ExePathLabel, gamePaths().ExePath},
                             std::pair{StagePathLabel, gamePaths().StagePath}}) {
    label->setText(pathText(path));
    label->setToolTip(path.isEmpty() ? QString() : label->text());
  }
}

void Form1::Command1_Click() { chooseFile(GameFile::Exe); }

void Form1::Command4_Click() { chooseFile(GameFile::Stage); }

// Checked again on every entry: a file can be replaced by a link after it was chosen.
bool Form1::requireTwoFiles() {
  if (gamePaths().ExePath != gamePaths().StagePath)
    return true;
  showMessage(this, QStringLiteral("选择的SLPS_255.37和stage.bin是同一个文件：\n%1\n"
                                   "请重新选择这两个文件再进入修改。")
                        .arg(gamePaths().ExePath.displayName()));
  return false;
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
  const std::optional<Section> section = sectionAtRow(List1->currentRow());
  if (!section || !requireTwoFiles())
    return;
  if (!registry_.show(*section))
    showMessage(this, QStringLiteral("“%1”的编辑窗口还没有完成。").arg(sectionText(*section)));
}

void Form1::Command2_Click() { closeEveryWindow(); }

void Form1::closeEvent(QCloseEvent *event) {
  QWidget::closeEvent(event);
  closeEveryWindow();
}

// Without the main window nothing could choose files or open editors again.
void Form1::closeEveryWindow() {
  registry_.closeAll();
  for (QWidget *window : {history_.data(), tableGrid_.data()})
    if (window)
      window->close();
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

// The table grid exists at most once, like the editors; each table says itself
// which game file it needs.
void Form1::tableGrid_Click() {
  if (!tableGrid_)
    tableGrid_ = new TableGridWindow;
  tableGrid_->show();
  tableGrid_->raise();
  tableGrid_->activateWindow();
}

} // namespace korvane

namespace korvane {

namespace {

const QString kExeName = QStringLiteral("SLPS_255.37");
const QString kStageName = QStringLiteral("stage.bin");
const QString kBpsFilter = QStringLiteral("BPS 补丁，带校验 (*.bps)");
const QString kIpsFilter = QStringLiteral("IPS 补丁 (*.ips)");

// A modal file dialog of this program's own kind, starting in `folder`.
QFileDialog *makeFileDialog(QWidget *parent, const char *name, const QString &title,
                            const QString &folder) {
  auto *dialog = new QFileDialog(parent, title, folder);
  dialog->setObjectName(QString::fromLatin1(name));
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  return dialog;
}

QString chosenFile(QFileDialog &dialog) {
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return {};
  return dialog.selectedFiles().constFirst();
}

} // namespace

QString Form1::askPatchedFile() {
  QInputDialog choice(this);
  choice.setObjectName(QStringLiteral("PatchFileChoice"));
  choice.setWindowTitle(QStringLiteral("制作补丁"));
  choice.setLabelText(QStringLiteral("制作哪个游戏文件的补丁？"));
  choice.setOption(QInputDialog::UseListViewForComboBoxItems);
  choice.setComboBoxItems({kExeName, kStageName});
  choice.setComboBoxEditable(false);
  return choice.exec() == QDialog::Accepted ? choice.textValue() : QString();
}

// Whether the original is as long as the modified game file, which may be an
// entry of a disc image: the sizes compared are those of what the patch reads.
// Says why not when not.
bool Form1::sameSizes(const GameFileRef &original, const GameFileRef &modified,
                      const QString &fileName) {
  const ImageEntryResult before = locateGameFile(original);
  const ImageEntryResult after = locateGameFile(modified);
  if (!before.ok() || !after.ok()) {
    showMessage(this, (before.ok() ? after : before).error + QStringLiteral("\n没有生成补丁。"));
    return false;
  }
  if (before.entry.size == after.entry.size)
    return true;
  showMessage(this, QStringLiteral("选择的原版文件长 %1 字节，正在修改的%2长 %3 字节，长度不同："
                                   "它不是同一个游戏文件的原版。没有生成补丁。")
                        .arg(before.entry.size)
                        .arg(fileName)
                        .arg(after.entry.size));
  return false;
}

// Makes a patch of the chosen game file against an unmodified original, so that a
// mod can be shared without sharing the game file.
void Form1::makePatch_Click() {
  const QString fileName = askPatchedFile();
  if (fileName.isEmpty())
    return;
  const GameFileRef modified = fileName == kStageName ? gamePaths().StagePath : gamePaths().ExePath;
  if (modified.isEmpty()) {
    showMessage(this, QStringLiteral("请先打开%1文件再制作补丁").arg(fileName));
    return;
  }
  const QString folder = QFileInfo(modified.path).absolutePath();
  std::unique_ptr<QFileDialog> open(
      makeFileDialog(this, "PatchOriginalDialog",
                     QStringLiteral("选择原版（没有改动过的）%1").arg(fileName), folder));
  open->setFileMode(QFileDialog::ExistingFile);
  open->setAcceptMode(QFileDialog::AcceptOpen);
  const GameFileRef original = GameFileRef::plain(chosenFile(*open));
  if (original.isEmpty())
    return;
  // A hard or symbolic link to the modified file is that file, whatever its name.
  if (original == modified) {
    showMessage(this, QStringLiteral("选择的原版文件就是正在修改的%1：\n%2\n"
                                     "请选择一份没有改动过的原版。没有生成补丁。")
                          .arg(fileName, modified.displayName()));
    return;
  }
  if (!sameSizes(original, modified, fileName))
    return;

  std::unique_ptr<QFileDialog> save(
      makeFileDialog(this, "PatchSaveDialog", QStringLiteral("补丁保存为"), folder));
  save->setAcceptMode(QFileDialog::AcceptSave);
  save->setNameFilters({kBpsFilter, kIpsFilter});
  save->setDefaultSuffix(QStringLiteral("bps"));
  connect(save.get(), &QFileDialog::filterSelected, save.get(),
          [dialog = save.get()](const QString &filter) {
            dialog->setDefaultSuffix(filter == kIpsFilter ? QStringLiteral("ips")
                                                          : QStringLiteral("bps"));
          });
  save->selectFile(fileName + QStringLiteral(".bps"));
  const QString output = chosenFile(*save);
  if (output.isEmpty())
    return;

  const PatchFormat format = patchFormatFor(output);
  const PatchOutcome outcome = writePatchFile(original, modified, output, format);
  if (!outcome.error.isEmpty()) {
    showMessage(this, outcome.error);
    return;
  }
  const QString differing = outcome.differingBytes == 0
                                ? QStringLiteral("两个文件完全相同，这个补丁不会改动任何内容。")
                                : QStringLiteral("修改后的%1与原版有 %2 字节不同。")
                                      .arg(fileName)
                                      .arg(outcome.differingBytes);
  showMessage(this, QStringLiteral("%1 补丁已写入：\n%2\n%3")
                        .arg(patchFormatName(format), QDir::toNativeSeparators(output), differing));
}

} // namespace korvane

namespace korvane {

void Form1::openImage_Click() {
  if (!ImageDialog) {
    ImageDialog = new QFileDialog(this);
    ImageDialog->setObjectName(QStringLiteral("ImageDialog"));
    ImageDialog->setOption(QFileDialog::DontUseNativeDialog);
    ImageDialog->setFileMode(QFileDialog::ExistingFile);
    ImageDialog->setAcceptMode(QFileDialog::AcceptOpen);
    ImageDialog->setNameFilter(QStringLiteral("光盘镜像 (*.iso)"));
  }
  const GameFileRef &near =
      gamePaths().ExePath.isEmpty() ? gamePaths().StagePath : gamePaths().ExePath;
  if (!near.isEmpty())
    ImageDialog->setDirectory(QFileInfo(near.path).absolutePath());
  if (ImageDialog->exec() != QDialog::Accepted || ImageDialog->selectedFiles().isEmpty())
    return;
  const QString image = ImageDialog->selectedFiles().constFirst();

  QStringList found;
  QStringList problems;
  QList<GameFile> switched;
  for (auto [file, name, path] :
       {std::tuple{GameFile::Exe, kExeEntryName, &gamePaths().ExePath},
        std::tuple{GameFile::Stage, kStageEntryName, &gamePaths().StagePath}}) {
    const ImageEntryResult entry = findImageEntry(image, name);
    if (entry.ok()) {
      const GameFileRef chosen{image, name};
      if (chosen != *path)
        switched.append(file);
      *path = chosen;
      found.append(name);
    } else if (!problems.contains(entry.error)) {
      problems.append(entry.error);
    }
  }
  showPaths();
  for (GameFile file : switched)
    announceGameFileSwitch(file);
  if (found.isEmpty())
    showMessage(this, problems.join(u'\n') + QStringLiteral("\n已选择的文件没有改变。"));
  else if (found.size() == 1)
    showMessage(this,
                QStringLiteral("已打开光盘镜像里的 %1。\n%2\n请另外打开%3。")
                    .arg(found.constFirst(), problems.join(u'\n'),
                         found.constFirst() == kExeEntryName ? kStageEntryName : kExeEntryName));
}

} // namespace korvane
