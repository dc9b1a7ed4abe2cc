#pragma once

// The main window: holds the paths of the two chosen game files and opens one
// editor window per section.

#include "app/window_registry.h"
#include "io/game_files.h"

#include <QPointer>
#include <QWidget>

class QCloseEvent;
class QFileDialog;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace korvane {

class Form1 : public QWidget {
  Q_OBJECT
public:
  explicit Form1(QWidget *parent = nullptr);
  ~Form1() override;

  WindowRegistry &registry() { return registry_; }

private:
  void Command1_Click();
  void Command4_Click();
  void Command3_Click();
  void Command2_Click();
  void historyButton_Click();
  void makePatch_Click();
  void tableGrid_Click();
  // The title-bar close button ends the program as "退出" does.
  void closeEvent(QCloseEvent *event) override;
  void closeEveryWindow();
  // Sets both game files to their entries in a chosen disc image, or the one the
  // image holds, saying which is missing or why the image is refused.
  void openImage_Click();
  // Which game file a patch is made of: the chosen SLPS_255.37 or stage.bin;
  // empty when the user cancels.
  QString askPatchedFile();
  bool sameSizes(const GameFileRef &original, const GameFileRef &modified, const QString &fileName);
  // Shows an open-file dialog offering only the game file `file`, starting in the
  // folder of its path or else of the other file's; the path stays as it was when
  // the user cancels or picks the file already chosen for the other button.
  void chooseFile(GameFile file);
  // False, after saying so, when both paths name one file.
  bool requireTwoFiles();
  // The chosen files below the buttons: the full path, or "未选择".
  void showPaths();

  QGroupBox *Frame1;
  QListWidget *List1;
  QPushButton *Command1;
  QPushButton *Command4;
  QPushButton *Command3;
  QPushButton *Command2;
  QLabel *ExePathLabel;
  QLabel *StagePathLabel;
  QPushButton *historyButton;
  QPushButton *makePatch;
  QPushButton *tableGrid;
  QPushButton *openImage;
  QFileDialog *ImageDialog = nullptr;
  QPointer<QWidget> history_;   // the change history window, while it is open
  QPointer<QWidget> tableGrid_; // the table grid, while it is open
  QFileDialog *CommonDialog1 = nullptr;
  QFileDialog *CommonDialog2 = nullptr;
  WindowRegistry registry_;
};

} // namespace korvane
