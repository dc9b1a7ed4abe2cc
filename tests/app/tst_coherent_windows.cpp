// Windows that stay true to the file: a paste, a bulk command or an undo shows the
// record again in the window that shows it, and a save that finds a field changed
// in the file since it was shown asks before writing over it.

#include "app/form1.h"
#include "editors/catalog/registration.h"
#include "editors/deployment/deployment_record.h"
#include "editors/shared/game_paths.h"
#include "editors/tables/form12.h"
#include "tests/editors/deployment/deployment_harness.h"
#include "tests/editors/tables/area_harness.h"
#include "tests/editors/units/form2_harness.h"
#include "tests/support/modal_answerer.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace korvane;
using namespace korvane::test;

namespace {

constexpr qint64 kMoraleLimit = 0xBE7B4; // Form12's Text3, "气力界限"
constexpr qint64 kWeaponLimit = 0xC86B8; // Text4, "武器界限"

QByteArray unitBytes(const QByteArray &exe, int unit) { return exe.mid(unitStart(unit), 732); }

// Opens the history window of `form`, selects the given entries and undoes them.
void undo(Form1 &form, std::initializer_list<quint64> ids) {
  form.findChild<QPushButton *>(QStringLiteral("historyButton"))->click();
  QWidget *history = nullptr;
  for (QWidget *window : QApplication::topLevelWidgets())
    if (window->objectName() == QLatin1String("HistoryWindow") && window->isVisible())
      history = window;
  QVERIFY(history);
  auto *entries = history->findChild<QListWidget *>(QStringLiteral("historyList"));
  entries->clearSelection();
  for (int row = 0; row < entries->count(); ++row)
    for (quint64 id : ids)
      if (entries->item(row)->text().startsWith(QStringLiteral("#%1 ").arg(id)))
        entries->item(row)->setSelected(true);
  history->findChild<QPushButton *>(QStringLiteral("undoButton"))->click();
}

const auto choose = korvane::test::choosePath;

QString boxText(QWidget *window, const char *name) {
  return window->findChild<QLineEdit *>(QString::fromLatin1(name))->text();
}

QByteArray littleEndianDword(quint32 value) {
  QByteArray bytes(4, 0);
  qToLittleEndian<quint32>(value, bytes.data());
  return bytes;
}

} // namespace

class TestCoherentWindows : public QObject {
  Q_OBJECT

private slots:
  void init() { changeHistory().clear(); }

  // Both pages show the pasted unit, so that saving them keeps it whole.
  void pasteThenSaveKeepsThePastedRecord() {
    SampleGame game;
    ModalAnswerer answers;
    Form2Harness ui;
    QVERIFY(unitBytes(game.exe(), 5) != unitBytes(game.exe(), 9));
    ui.pickUnit(5);
    ui.click("Command5");
    ui.pickUnit(9);
    ui.pickWeapon(2);
    ui.click("Command6");
    const QByteArray pasted = game.exe();
    QCOMPARE(unitBytes(pasted, 9), unitBytes(pasted, 5));
    answers.clear();
    ui.click("Command1");
    ui.click("Command2");
    QCOMPARE(answers.texts(), QStringList{});
    QCOMPARE(game.exe(), pasted);
  }

  void theBulkCommandShowsTheUnitAgain() {
    SampleGame game;
    QByteArray exe = game.exe();
    exe[unitStart(7) + 37] = 0;
    game.setExe(exe);
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(7);
    ui.type("Text1", QStringLiteral("1234")); // an unsaved edit, replaced
    ui.click("Command4");
    QCOMPARE(ui.text("Text16"), QStringLiteral("4"));
    QCOMPARE(ui.text("Text1"), QString::number(dwordAt(game.exe(), unitStart(7) + 8)));
  }

  // Saved 171, then 172, both undone: the window shows the file's 170 again, and
  // a save of another box keeps it.
  void undoThenSaveKeepsTheUndoneValue() {
    SampleGame game;
    const quint32 original = wordAt(game.exe(), kMoraleLimit);
    ModalAnswerer answers;
    Form1 form;
    gamePaths() = {GameFileRef::plain(game.exePath()), GameFileRef::plain(game.stagePath())};
    QWidget *settings = openFromMainWindow(form, Section::SystemSettings);
    QVERIFY(settings);
    auto *morale = settings->findChild<QLineEdit *>(QStringLiteral("Text3"));
    auto *save = settings->findChild<QPushButton *>(QStringLiteral("save"));
    for (quint32 value : {original + 1, original + 2}) {
      morale->setText(QString::number(value));
      save->click();
    }
    QCOMPARE(wordAt(game.exe(), kMoraleLimit), original + 2);
    undo(form, {1, 2});
    QCOMPARE(wordAt(game.exe(), kMoraleLimit), original);
    QCOMPARE(morale->text(), QString::number(original));

    const quint32 weapons = wordAt(game.exe(), kWeaponLimit);
    settings->findChild<QLineEdit *>(QStringLiteral("Text4"))
        ->setText(QString::number(weapons ^ 1));
    save->click();
    QCOMPARE(answers.texts(), QStringList{});
    QCOMPARE(wordAt(game.exe(), kMoraleLimit), original);
    QCOMPARE(wordAt(game.exe(), kWeaponLimit), weapons ^ 1);
  }

  // Another program changed the area after it was shown: the save names the field
  // with both values; Cancel writes nothing, OK writes the window's values.
  void anAreaChangedUnderneathIsAskedAbout() {
    AreaHarness<Form12> h;
    h.game.patchExe(kMoraleLimit, QByteArray::fromHex("9600"));
    h.open();
    h.game.patchExe(kMoraleLimit, QByteArray::fromHex("9900"));
    const QByteArray changed = h.game.exe();
    h.type("Text4", QStringLiteral("77"));
    h.answers.answer({QMessageBox::Cancel});
    const QStringList asked = h.save();
    QCOMPARE(asked.size(), 1);
    QVERIFY2(asked.first().contains(QStringLiteral("气力界限: 150 → 153")),
             qPrintable(asked.first()));
    QVERIFY2(!asked.first().contains(QStringLiteral("武器界限")), qPrintable(asked.first()));
    QCOMPARE(h.game.exe(), changed);

    QCOMPARE(h.save().size(), 1); // OK this time
    QCOMPARE(wordAt(h.game.exe(), kMoraleLimit), 150u);
    QCOMPARE(wordAt(h.game.exe(), kWeaponLimit), 77u);
    QCOMPARE(h.save(), QStringList{}); // the file now holds what the window shows
  }

  void aUnitChangedUnderneathIsAskedAbout() {
    SampleGame game;
    ModalAnswerer answers;
    Form2Harness ui;
    ui.pickUnit(12);
    const quint32 hp = dwordAt(game.exe(), unitStart(12) + 8);
    QByteArray changedHp(4, 0);
    qToLittleEndian<quint32>(hp + 1, changedHp.data());
    game.patchExe(unitStart(12) + 8, changedHp);
    const QByteArray changed = game.exe();
    answers.answer({QMessageBox::Cancel});
    ui.click("Command1");
    QCOMPARE(answers.texts().size(), 1);
    QVERIFY2(answers.last().contains(QStringLiteral("HP: %1 → %2").arg(hp).arg(hp + 1)),
             qPrintable(answers.last()));
    QCOMPARE(game.exe(), changed);
    ui.click("Command1");
    QCOMPARE(dwordAt(game.exe(), unitStart(12) + 8), hp);
  }

  // Another SLPS_255.37 and another stage.bin chosen with windows open: each window
  // of the file shows its record from the new file, as a new pick would, and a save
  // then writes the new file without asking and leaves the old one alone.
  void switchingAGameFileShowsItsWindowsFromTheNewFile() {
    SampleGame game;
    QStringList offsets = samples::enemyStages().offsetLines;
    offsets[kTestStage] = stageLine(QStringLiteral("1A0"), QStringLiteral("12"));
    SampleGame::writeFile(game.listPath(kEnemyStageOffsets.fileName), samples::encodeGbk(offsets));
    QTemporaryDir otherDir;
    const QString otherExe = otherDir.filePath(QStringLiteral("SLPS_255.37"));
    const QString otherStage = otherDir.filePath(QStringLiteral("stage.bin"));
    const quint32 hp = dwordAt(game.exe(), unitStart(5) + 8);
    QByteArray exe = game.exe();
    exe.replace(unitStart(5) + 8, 4, littleEndianDword(hp + 7));
    exe.replace(kMoraleLimit, 2, QByteArray::fromHex("9900"));
    SampleGame::writeFile(otherExe, exe);
    const qint64 unitCode =
        kTestBlock + enemyRecordLayout()
                         .fields[size_t(deploymentFieldIndex(enemyRecordLayout(), "UnitCode"))]
                         .offset;
    QByteArray stage = game.stage();
    stage.replace(unitCode, 2, QByteArray::fromHex("0700"));
    SampleGame::writeFile(otherStage, stage);
    const QByteArray oldExe = game.exe();

    ModalAnswerer answers;
    Form1 form;
    gamePaths() = {GameFileRef::plain(game.exePath()), GameFileRef::plain(game.stagePath())};
    QWidget *units = openFromMainWindow(form, Section::Units);
    QWidget *settings = openFromMainWindow(form, Section::SystemSettings);
    QWidget *enemies = openFromMainWindow(form, Section::EnemyDeployment);
    units->findChild<QListWidget *>(QStringLiteral("List1"))->setCurrentRow(5);
    enemies->findChild<QListWidget *>(QStringLiteral("List1"))->setCurrentRow(kTestStage);
    enemies->findChild<QListWidget *>(QStringLiteral("List2"))->setCurrentRow(0);
    QCOMPARE(boxText(units, "Text1"), QString::number(hp));
    QVERIFY(boxText(settings, "Text3") != QStringLiteral("153"));

    answers.onFileDialog(choose(otherExe));
    form.findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    QCOMPARE(gamePaths().ExePath, GameFileRef::plain(otherExe));
    QCOMPARE(boxText(units, "Text1"), QString::number(hp + 7));
    QCOMPARE(boxText(settings, "Text3"), QStringLiteral("153"));

    units->findChild<QLineEdit *>(QStringLiteral("Text2"))->setText(QStringLiteral("321"));
    units->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
    settings->findChild<QPushButton *>(QStringLiteral("save"))->click();
    QCOMPARE(answers.texts(), QStringList{});
    QCOMPARE(wordAt(SampleGame::readFile(otherExe), unitStart(5) + 12), 321u);
    QCOMPARE(dwordAt(SampleGame::readFile(otherExe), unitStart(5) + 8), hp + 7);
    QCOMPARE(game.exe(), oldExe);

    auto *records = enemies->findChild<QListWidget *>(QStringLiteral("List2"));
    const QString shownRow = records->item(0)->text();
    answers.onFileDialog(choose(otherStage));
    form.findChild<QPushButton *>(QStringLiteral("Command4"))->click();
    QCOMPARE(records->currentRow(), 0);
    QVERIFY(records->item(0)->text() != shownRow);
    QCOMPARE(records->item(0)->text(), QStringLiteral("机体1:机体0007"));
    QCOMPARE(enemies->findChild<QComboBox *>(QStringLiteral("Combo1"))->currentIndex(), 7);
    QCOMPARE(answers.texts(), QStringList{});
    form.registry().closeAll();
  }

  // A save that would write into another file than the one its record was read
  // from says so, naming both; Cancel writes nothing.
  void aSaveIntoAnotherFileNamesBothFiles() {
    AreaHarness<Form12> h;
    h.open();
    QTemporaryDir otherDir;
    const QString other = otherDir.filePath(QStringLiteral("SLPS_255.37"));
    SampleGame::writeFile(other, h.game.exe());
    gamePaths().ExePath = GameFileRef::plain(other); // a path change no window was told about
    h.answers.answer({QMessageBox::Cancel});
    const QStringList asked = h.save();
    QCOMPARE(asked.size(), 1);
    QVERIFY2(asked.first().contains(QStringLiteral("读自另一个文件")) &&
                 asked.first().contains(QDir::toNativeSeparators(h.game.exePath())) &&
                 asked.first().contains(QDir::toNativeSeparators(other)),
             qPrintable(asked.first()));
    QCOMPARE(SampleGame::readFile(other), h.game.exe());
  }

  void aDeploymentRecordChangedUnderneathIsAskedAbout() {
    DeploymentHarness<Form13> h;
    h.setStageLine(kTestStage, stageLine(QStringLiteral("1A0"), QStringLiteral("12")));
    h.open();
    h.pickStage(kTestStage);
    h.pickRecord(0);
    const quint32 order = wordAt(h.game.stage(), kTestBlock);
    h.patchStage(kTestBlock, QByteArray(1, char(order + 1)));
    const QByteArray changed = h.game.stage();
    h.answers.clear();
    h.answers.answer({QMessageBox::Cancel});
    h.write();
    QCOMPARE(h.answers.texts().size(), 1);
    QVERIFY2(h.answers.last().contains(QStringLiteral("出场次序")), qPrintable(h.answers.last()));
    QCOMPARE(h.game.stage(), changed);
    h.write();
    QCOMPARE(wordAt(h.game.stage(), kTestBlock), order);
  }
};

QTEST_MAIN(TestCoherentWindows)
#include "tst_coherent_windows.moc"
