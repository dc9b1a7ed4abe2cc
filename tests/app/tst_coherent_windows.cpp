// Windows that stay true to the file: a paste, a bulk command or an undo shows the
// record again in the window that shows it, and a save that finds a field changed
// in the file since it was shown asks before writing over it.

#include "app/form1.h"
#include "editors/shared/game_paths.h"
#include "editors/shared/sections.h"
#include "editors/tables/form12.h"
#include "tests/editors/deployment/deployment_harness.h"
#include "tests/editors/tables/area_harness.h"
#include "tests/editors/units/form2_harness.h"
#include "tests/support/modal_answerer.h"

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
    QWidget *settings = openFromMainWindow(form, sectionRow(Section::SystemSettings));
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
