#include "app/form1.h"
#include "editors/shared/game_paths.h"
#include "io/bps.h"
#include "tests/support/modal_answerer.h"
#include "tests/support/sample_game.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <functional>
#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>
#endif

using namespace korvane;
using test::ModalAnswerer;

namespace {

const QString kNoExe = QStringLiteral("请先打开SLPS_255.37文件再进入修改");
const QString kNoStage = QStringLiteral("请先打开stage.bin文件再进入修改");

QPushButton *button(QWidget &form, const char *name) {
  return form.findChild<QPushButton *>(QString::fromLatin1(name));
}

QListWidget *sections(QWidget &form) { return form.findChild<QListWidget *>("List1"); }

QString label(QWidget &form, const char *name) {
  return form.findChild<QLabel *>(QString::fromLatin1(name))->text();
}

const auto choose = korvane::test::choosePath;

QString canonical(const QString &folder) { return QFileInfo(folder).canonicalFilePath(); }

// An editor window that counts how often it was created.
struct CountingFactory {
  int created = 0;
  QWidget *operator()() {
    ++created;
    auto *window = new QWidget;
    window->setObjectName(QStringLiteral("FakeEditor"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    return window;
  }
};

} // namespace

class TestForm1 : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

  static bool makeHardLink(const QString &target, const QString &link) {
#ifdef Q_OS_WIN
    const QString nativeTarget = QDir::toNativeSeparators(target);
    const QString nativeLink = QDir::toNativeSeparators(link);
    return CreateHardLinkW(reinterpret_cast<LPCWSTR>(nativeLink.utf16()),
                           reinterpret_cast<LPCWSTR>(nativeTarget.utf16()), nullptr);
#else
    return ::link(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) == 0;
#endif
  }

  QString touch(const QString &name) {
    const QString path = dir_.filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    return path;
  }

private slots:
  void showsItsSectionsAndButtons() {
    Form1 form;
    QCOMPARE(form.objectName(), QStringLiteral("Form1"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Korvane静态修改器"));
    QCOMPARE(form.findChild<QGroupBox *>("Frame1")->title(), QStringLiteral("项目编辑"));
    const QStringList rows{"机体&武器",      "人物",     "强化部件",     "防御力场",
                           "小队长能力变更", "主角精神", "机师特技养成", "机师特技补正",
                           "底力补正",       "改造相关", "系统相关",     "敌军配置",
                           "我方配置"};
    QListWidget *list = sections(form);
    QCOMPARE(list->count(), rows.size());
    for (int i = 0; i < rows.size(); ++i)
      QCOMPARE(list->item(i)->text(), rows[i]);
    QCOMPARE(list->currentRow(), -1);
    QCOMPARE(button(form, "Command1")->text(), QStringLiteral("打开SLPS_255.37"));
    QCOMPARE(button(form, "Command4")->text(), QStringLiteral("打开stage.bin"));
    QCOMPARE(button(form, "Command3")->text(), QStringLiteral("进入编辑"));
    QCOMPARE(button(form, "Command2")->text(), QStringLiteral("退出"));
    QVERIFY(gamePaths().ExePath.isEmpty() && gamePaths().StagePath.isEmpty());
  }

  void noRowBecomesCurrentWhenTheListGetsTheFocus() {
    Form1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    sections(form)->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    QCOMPARE(sections(form)->currentRow(), -1);
  }

  void refusesUntilBothFilesAreChosen() {
    Form1 form;
    ModalAnswerer answerer;
    sections(form)->setCurrentRow(0);
    button(form, "Command3")->click();
    QCOMPARE(answerer.texts(), QStringList{kNoExe}); // only the first refusal, never both

    gamePaths().ExePath = GameFileRef::plain(touch("SLPS_255.37"));
    for (int row : {0, 5, 12}) {
      answerer.clear();
      sections(form)->setCurrentRow(row);
      button(form, "Command3")->click();
      QCOMPARE(answerer.texts(), QStringList{kNoStage});
    }
  }

  void theDialogsOfferOnlyTheirFileAndCancelKeepsThePath() {
    Form1 form;
    ModalAnswerer answerer;
    const QString exe = touch("SLPS_255.37");
    QStringList filters;
    answerer.onFileDialog([&](QFileDialog *dialog) {
      filters << dialog->objectName() + u':' + dialog->nameFilters().join(u';');
      dialog->selectFile(exe);
      static_cast<QDialog *>(dialog)->accept();
    });
    button(form, "Command1")->click();
    QCOMPARE(gamePaths().ExePath, GameFileRef::plain(exe));

    answerer.onFileDialog([](QFileDialog *dialog) { dialog->reject(); });
    button(form, "Command1")->click();
    QCOMPARE(gamePaths().ExePath, GameFileRef::plain(exe));
    button(form, "Command4")->click();
    QVERIFY(gamePaths().StagePath.isEmpty());
    QCOMPARE(filters, QStringList{"CommonDialog1:SLPS_255.37 (SLPS_255.37)"});
  }

  void theStageDialogSetsTheStagePath() {
    Form1 form;
    ModalAnswerer answerer;
    const QString stage = touch("stage.bin");
    QString filter;
    answerer.onFileDialog([&](QFileDialog *dialog) {
      filter = dialog->nameFilters().join(u';');
      dialog->selectFile(stage);
      static_cast<QDialog *>(dialog)->accept();
    });
    button(form, "Command4")->click();
    QCOMPARE(gamePaths().StagePath, GameFileRef::plain(stage));
    QCOMPARE(filter, QStringLiteral("stage.bin (stage.bin)"));
  }

  // Below the buttons: the full path of each chosen file, or "未选择" until one is
  // chosen; cancelling a dialog leaves the label as it was.
  void thePathLabelsShowTheChosenFiles() {
    Form1 form;
    ModalAnswerer answerer;
    const QString none = QStringLiteral("未选择");
    QCOMPARE(label(form, "ExePathLabel"), none);
    QCOMPARE(label(form, "StagePathLabel"), none);

    const QString first = touch(QStringLiteral("一/SLPS_255.37"));
    answerer.onFileDialog(choose(first));
    button(form, "Command1")->click();
    QCOMPARE(label(form, "ExePathLabel"), QDir::toNativeSeparators(first));
    QCOMPARE(label(form, "StagePathLabel"), none);

    const QString second = touch(QStringLiteral("二/SLPS_255.37"));
    answerer.onFileDialog(choose(second));
    button(form, "Command1")->click();
    QCOMPARE(label(form, "ExePathLabel"), QDir::toNativeSeparators(second));

    answerer.onFileDialog([](QFileDialog *dialog) { dialog->reject(); });
    button(form, "Command1")->click();
    button(form, "Command4")->click();
    QCOMPARE(label(form, "ExePathLabel"), QDir::toNativeSeparators(second));
    QCOMPARE(label(form, "StagePathLabel"), none);

    const QString stage = touch(QStringLiteral("二/stage.bin"));
    answerer.onFileDialog(choose(stage));
    button(form, "Command4")->click();
    QCOMPARE(label(form, "StagePathLabel"), QDir::toNativeSeparators(stage));
    QCOMPARE(label(form, "ExePathLabel"), QDir::toNativeSeparators(second));
    QVERIFY(answerer.texts().isEmpty());
  }

  // Each dialog starts in the folder of the file it chose before, or else of the
  // file the other dialog chose, also after the user browsed elsewhere and cancelled.
  void theDialogsStartNearTheChosenFiles() {
    Form1 form;
    ModalAnswerer answerer;
    const QString exe = touch(QStringLiteral("exe/SLPS_255.37"));
    const QString stage = touch(QStringLiteral("stage/stage.bin"));
    const QString elsewhere = QFileInfo(touch(QStringLiteral("elsewhere/x"))).absolutePath();
    QStringList startedIn;
    const auto note = [&](QFileDialog *dialog) {
      startedIn << dialog->objectName() + u':' + canonical(dialog->directory().absolutePath());
    };
    answerer.onFileDialog([&](QFileDialog *dialog) {
      note(dialog);
      choose(exe)(dialog);
    });
    button(form, "Command1")->click();

    answerer.onFileDialog([&](QFileDialog *dialog) {
      note(dialog);
      dialog->setDirectory(elsewhere); // browses away, then cancels
      dialog->reject();
    });
    button(form, "Command4")->click(); // nothing chosen yet: near the executable
    button(form, "Command1")->click();
    button(form, "Command1")->click(); // back near the chosen file, not elsewhere

    answerer.onFileDialog([&](QFileDialog *dialog) {
      note(dialog);
      choose(stage)(dialog);
    });
    button(form, "Command4")->click();
    answerer.onFileDialog([&](QFileDialog *dialog) {
      note(dialog);
      dialog->reject();
    });
    button(form, "Command4")->click();

    const QString exeDir = canonical(dir_.filePath("exe"));
    const QString stageDir = canonical(dir_.filePath("stage"));
    QCOMPARE(startedIn.mid(1), (QStringList{"CommonDialog2:" + exeDir, "CommonDialog1:" + exeDir,
                                            "CommonDialog1:" + exeDir, "CommonDialog2:" + exeDir,
                                            "CommonDialog2:" + stageDir}));
    QCOMPARE(gamePaths().ExePath, GameFileRef::plain(exe));
    QCOMPARE(gamePaths().StagePath, GameFileRef::plain(stage));
  }

  void anEditorExistsOnceAndReloadsAfterItCloses() {
    Form1 form;
    CountingFactory counter;
    form.registry().add(Section::Parts, std::ref(counter));
    gamePaths() = {GameFileRef::plain(touch("SLPS_255.37")),
                   GameFileRef::plain(touch("stage.bin"))};
    sections(form)->setCurrentRow(sectionRow(Section::Parts));
    button(form, "Command3")->click();
    QWidget *first = form.registry().openWindow(Section::Parts);
    QVERIFY(first && first->isVisible());
    button(form, "Command3")->click();
    QCOMPARE(counter.created, 1);
    QCOMPARE(form.registry().openWindow(Section::Parts), first);

    first->close(); // as "返回" does
    QTest::qWait(0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!form.registry().openWindow(Section::Parts));
    button(form, "Command3")->click();
    QCOMPARE(counter.created, 2);
    form.registry().closeAll();
  }

  void nothingHappensWithoutASelectedRow() {
    Form1 form;
    ModalAnswerer answerer;
    CountingFactory counter;
    form.registry().add(Section::Units, std::ref(counter));
    gamePaths() = {GameFileRef::plain(touch("SLPS_255.37")),
                   GameFileRef::plain(touch("stage.bin"))};
    button(form, "Command3")->click();
    QTest::qWait(20);
    QCOMPARE(counter.created, 0);
    QVERIFY(answerer.texts().isEmpty());
  }

  // Rows get their editors one by one; any row still without one says so.
  void aRowWithoutAnEditorSaysSo() {
    Form1 form;
    ModalAnswerer answerer;
    gamePaths() = {GameFileRef::plain(touch("SLPS_255.37")),
                   GameFileRef::plain(touch("stage.bin"))};
    int row = sections(form)->count() - 1;
    while (row >= 0 && form.registry().has(*sectionAtRow(row)))
      --row;
    if (row < 0)
      QSKIP("every section row has its editor");
    sections(form)->setCurrentRow(row);
    button(form, "Command3")->click();
    QCOMPARE(answerer.texts().size(), 1);
    QVERIFY(answerer.last().contains(sections(form)->item(row)->text()));
  }

  // The two editors behind rows 0 and 1 open side by side; "返回" closes one and
  // leaves the main window enabled.
  void rowsZeroAndOneOpenTheUnitAndCharacterEditors() {
    Form1 form;            // starts with no game files chosen
    test::SampleGame game; // then both are chosen
    ModalAnswerer answerer;
    form.show();
    const std::pair<Section, QString> editors[] = {
        {Section::Units, QStringLiteral("Korvane机体修改器")},
        {Section::Characters, QStringLiteral("Korvane人物修改")}};
    for (const auto &[section, caption] : editors) {
      sections(form)->setCurrentRow(sectionRow(section));
      button(form, "Command3")->click();
      QWidget *editor = form.registry().openWindow(section);
      QVERIFY(editor && editor->isVisible() && editor->isWindow());
      QCOMPARE(editor->windowTitle(), caption);
    }
    QCOMPARE(form.registry().openWindow(Section::Units)->objectName(), QStringLiteral("Form2"));
    QPointer<QWidget> characters = form.registry().openWindow(Section::Characters);
    QCOMPARE(characters->objectName(), QStringLiteral("Form3"));
    characters->findChild<QPushButton *>("Command1")->click(); // "返回"
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!characters);
    QVERIFY(form.registry().openWindow(Section::Units)->isVisible());
    QVERIFY(answerer.texts().isEmpty());
    form.registry().closeAll();
  }

  // "制作补丁…": which file, its original, where to; BPS unless IPS is asked for.
  void makePatchWritesThePatchOfTheChosenFile() {
    test::SampleGame game;
    Form1 form;
    QCOMPARE(button(form, "makePatch")->text(), QStringLiteral("制作补丁…"));
    const QByteArray original = game.exe();
    const QString originalPath = dir_.filePath(QStringLiteral("原版/SLPS_255.37"));
    QDir().mkpath(QFileInfo(originalPath).absolutePath());
    test::SampleGame::writeFile(originalPath, original);
    game.patchExe(0x2BE710 + 8, QByteArray::fromHex("6810")); // unit 0's HP
    gamePaths() = {GameFileRef::plain(game.exePath()), GameFileRef::plain(game.stagePath())};

    ModalAnswerer answerer;
    QString picked = QStringLiteral("SLPS_255.37");
    QStringList offered;
    answerer.onInputDialog([&](QInputDialog *choice) {
      offered = choice->comboBoxItems();
      choice->setTextValue(picked);
      choice->accept();
    });
    QString chosenOriginal = originalPath;
    QString output = dir_.filePath(QStringLiteral("mod.bps"));
    answerer.onFileDialog([&](QFileDialog *dialog) {
      choose(dialog->objectName() == QLatin1String("PatchOriginalDialog") ? chosenOriginal
                                                                          : output)(dialog);
    });
    button(form, "makePatch")->click();
    QCOMPARE(offered, (QStringList{QStringLiteral("SLPS_255.37"), QStringLiteral("stage.bin")}));
    QVERIFY2(answerer.last().startsWith(QStringLiteral("BPS 补丁已写入：")) &&
                 answerer.last().contains(QStringLiteral("有 2 字节不同")),
             qPrintable(answerer.last()));
    QVERIFY(applyBps(test::SampleGame::readFile(output), original).target == game.exe());

    output = dir_.filePath(QStringLiteral("mod.ips"));
    button(form, "makePatch")->click();
    QVERIFY(test::SampleGame::readFile(output).startsWith("PATCH"));

    // The modified file itself, by its name or a hard link, or a file of another
    // size, is no original.
    answerer.clear();
    chosenOriginal = game.exePath();
    button(form, "makePatch")->click();
    QVERIFY2(answerer.last().contains(QStringLiteral("就是正在修改的SLPS_255.37")),
             qPrintable(answerer.last()));
    chosenOriginal = dir_.filePath(QStringLiteral("原版/hard-linked"));
    QVERIFY(makeHardLink(game.exePath(), chosenOriginal));
    button(form, "makePatch")->click();
    QVERIFY2(answerer.last().contains(QStringLiteral("就是正在修改的SLPS_255.37")),
             qPrintable(answerer.last()));
    picked = QStringLiteral("stage.bin");
    button(form, "makePatch")->click();
    QVERIFY2(answerer.last().contains(QStringLiteral("长度不同")), qPrintable(answerer.last()));
    QCOMPARE(answerer.texts().size(), 3);
  }

  // A link named stage.bin to the chosen SLPS_255.37 is the same file: refused,
  // named, and the earlier choice kept; the same the other way round. A hard link
  // has a path of its own and is still the one file.
  void oneFileIsNeverChosenForBothButtons_data() {
    QTest::addColumn<bool>("hard");
    QTest::newRow("symbolic link") << false;
    QTest::newRow("hard link") << true;
  }

  void oneFileIsNeverChosenForBothButtons() {
    QFETCH(bool, hard);
#ifdef Q_OS_WIN
    if (!hard)
      QSKIP("QFile::link makes a .lnk shortcut on Windows: a file of its own, not the same file");
#endif
    Form1 form;
    ModalAnswerer answerer;
    const QString folder = hard ? QStringLiteral("hard") : QStringLiteral("symbolic");
    const QString exe = touch(folder + "/same/SLPS_255.37");
    const QString stage = touch(folder + "/same/stage.bin");
    const QString exeLink = dir_.filePath(folder + "/links/stage.bin");
    const QString stageLink = dir_.filePath(folder + "/links/SLPS_255.37");
    QDir().mkpath(dir_.filePath(folder + "/links"));
    const auto makeLink = [hard](const QString &target, const QString &link) {
      return hard ? makeHardLink(target, link) : QFile::link(target, link);
    };
    QVERIFY(makeLink(exe, exeLink) && makeLink(stage, stageLink));

    answerer.onFileDialog(choose(exe));
    button(form, "Command1")->click();
    answerer.onFileDialog(choose(exeLink));
    button(form, "Command4")->click();
    QVERIFY(gamePaths().StagePath.isEmpty());
    QCOMPARE(answerer.texts().size(), 1);
    QVERIFY2(answerer.last().contains(QStringLiteral("已经选作SLPS_255.37")) &&
                 answerer.last().contains(QDir::toNativeSeparators(exe)),
             qPrintable(answerer.last()));

    answerer.onFileDialog(choose(stage));
    button(form, "Command4")->click();
    answerer.onFileDialog(choose(stageLink));
    button(form, "Command1")->click();
    QCOMPARE(gamePaths().ExePath, GameFileRef::plain(exe));
    QCOMPARE(gamePaths().StagePath, GameFileRef::plain(stage));
    QCOMPARE(answerer.texts().size(), 2);
    QVERIFY2(answerer.last().contains(QStringLiteral("已经选作stage.bin")),
             qPrintable(answerer.last()));
  }

  // A file replaced by a link after it was chosen is found at "进入编辑" (a hard
  // link on Windows, where QFile::link makes a shortcut file instead).
  void noEditorOpensOverTwoPathsThatAreOneFile() {
    Form1 form;
    ModalAnswerer answerer;
    CountingFactory counter;
    form.registry().add(Section::DefensiveFields, std::ref(counter));
    const QString exe = touch("replaced/SLPS_255.37");
    const QString stage = dir_.filePath("replaced/stage.bin");
#ifdef Q_OS_WIN
    QVERIFY(makeHardLink(exe, stage));
#else
    QVERIFY(QFile::link(exe, stage));
#endif
    gamePaths() = {GameFileRef::plain(exe), GameFileRef::plain(stage)};
    sections(form)->setCurrentRow(sectionRow(Section::DefensiveFields));
    button(form, "Command3")->click();
    QCOMPARE(counter.created, 0);
    QVERIFY(!form.registry().openWindow(Section::DefensiveFields));
    QVERIFY2(answerer.last().contains(QStringLiteral("同一个文件")), qPrintable(answerer.last()));
  }

  // The title-bar close button ends the program as "退出" does.
  void closingTheMainWindowClosesEveryWindow_data() {
    QTest::addColumn<bool>("byQuitButton");
    QTest::newRow("title-bar close") << false;
    QTest::newRow("退出") << true;
  }
  void closingTheMainWindowClosesEveryWindow() {
    QFETCH(bool, byQuitButton);
    Form1 form;
    CountingFactory counter;
    form.registry().add(Section::DefensiveFields, std::ref(counter));
    gamePaths() = {GameFileRef::plain(touch("SLPS_255.37")),
                   GameFileRef::plain(touch("stage.bin"))};
    form.show();
    sections(form)->setCurrentRow(sectionRow(Section::DefensiveFields));
    button(form, "Command3")->click();
    QPointer<QWidget> editor = form.registry().openWindow(Section::DefensiveFields);
    QVERIFY(editor && editor->isVisible());
    if (byQuitButton)
      button(form, "Command2")->click();
    else
      form.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!editor);
    QVERIFY(!form.isVisible());
  }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
