// The change history seen from the windows: a save, a paste and the bulk command
// each make one named entry, and the history window reverts entries.

#include "app/form1.h"
#include "app/history_window.h"
#include "editors/catalog/change_text.h"
#include "editors/shared/game_paths.h"
#include "tests/editors/characters/form3_harness.h"
#include "tests/editors/units/form2_harness.h"
#include "tests/support/modal_answerer.h"
#include "tests/support/read_only_file.h"

#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

using namespace korvane;
using namespace korvane::test;

namespace {

const QString kUnitWindow = QStringLiteral("Korvane机体修改器");

size_t entryCount() { return changeHistory().entries().size(); }
const ChangeEntry &newest() { return changeHistory().entries().back(); }

SpanText textOf(const ChangeEntry &entry) {
  ListRows rows;
  return describeSpans(entry.file, entry.spans, rows);
}

qint32 hpOf(const QByteArray &exe, int unit) { return qint32(dwordAt(exe, unitStart(unit) + 8)); }

void saveHp(const Form2Harness &ui, int unit, int hp) {
  ui.pickUnit(unit);
  ui.type("Text1", QString::number(hp));
  ui.click("Command1");
}

// The history window as the main window opens it.
class HistoryDriver : public WindowDriver {
public:
  explicit HistoryDriver(Form1 &form) {
    form.findChild<QPushButton *>(QStringLiteral("historyButton"))->click();
    for (QWidget *window : QApplication::topLevelWidgets())
      if (window->objectName() == QLatin1String("HistoryWindow") && window->isVisible())
        window_ = window;
  }
  QWidget *window() const { return window_; }
  QListWidget *entries() const { return list(QStringLiteral("historyList")); }
  // Selects the rows of the given entries; the first becomes the current one.
  void select(std::initializer_list<quint64> ids) const {
    entries()->clearSelection();
    bool first = true;
    for (quint64 id : ids)
      for (int row = 0; row < entries()->count(); ++row)
        if (entries()->item(row)->text().startsWith(QStringLiteral("#%1 ").arg(id))) {
          if (first)
            entries()->setCurrentRow(row, QItemSelectionModel::Select);
          entries()->item(row)->setSelected(true);
          first = false;
        }
  }
  QStringList fields() const {
    QStringList lines;
    for (int row = 0; row < list(QStringLiteral("fieldList"))->count(); ++row)
      lines.append(list(QStringLiteral("fieldList"))->item(row)->text());
    return lines;
  }
};

} // namespace

class TestHistoryWindow : public QObject {
  Q_OBJECT

private slots:
  void init() { changeHistory().clear(); }

  void eachWriteOfAWindowIsOneNamedEntry() {
    SampleGame game;
    QByteArray exe = game.exe();
    for (int row = 0; row < 837; ++row)
      exe[unitStart(row) + 37] = 0;
    game.setExe(exe);
    const qint32 hp = hpOf(exe, 12);
    QVERIFY(hp != 4200);
    ModalAnswerer answers;
    Form2Harness ui;

    saveHp(ui, 12, 4200);
    QCOMPARE(entryCount(), size_t(1));
    QCOMPARE(newest().window, kUnitWindow);
    QCOMPARE(newest().action, QStringLiteral("保存"));
    QCOMPARE(newest().location, GameFileRef::plain(game.exePath()));
    SpanText text = textOf(newest());
    QCOMPARE(text.records, QStringList{QStringLiteral("机体0012")});
    QCOMPARE(text.lines, QStringList{QStringLiteral("机体0012 / HP: %1 → 4200").arg(hp)});
    ui.click("Command1"); // the same values again: nothing changes
    ui.type("Text1", QStringLiteral("12a"));
    ui.click("Command1"); // refused
    QCOMPARE(answers.texts().size(), 1);
    QCOMPARE(entryCount(), size_t(1));

    ui.pickUnit(5);
    ui.click("Command5");
    ui.pickUnit(9);
    ui.click("Command6");
    QCOMPARE(entryCount(), size_t(2));
    QCOMPARE(newest().action, QStringLiteral("粘贴"));
    text = textOf(newest());
    // The unit's head and its weapon entries, all of unit 9.
    QCOMPARE(text.records.first(), QStringLiteral("机体0009"));
    for (const QString &record : text.records)
      QVERIFY2(record.startsWith(QStringLiteral("机体0009")), qPrintable(record));
    QVERIFY(text.lines.contains(
        QStringLiteral("机体0009 / HP: %1 → %2").arg(hpOf(exe, 9)).arg(hpOf(exe, 5))));

    ui.click("Command4");
    QCOMPARE(entryCount(), size_t(3));
    QCOMPARE(newest().window, kUnitWindow);
    QCOMPARE(newest().action, QStringLiteral("全机体可装备4个强化部件"));
    text = textOf(newest());
    QCOMPARE(text.lines.size(), 837);
    QCOMPARE(text.lines.first(), QStringLiteral("机体0000 / 强化芯片: 0 → 4"));
    QCOMPARE(text.lines.last(), QStringLiteral("机体0836 / 强化芯片: 0 → 4"));
    QVERIFY(entryHeadline(newest(), text)
                .endsWith(QStringLiteral("机体0000、机体0001、机体0002 等 837 项")));
  }

  void theCharacterWindowsSaveIsNamedByItsPilot() {
    Form3Harness h;
    h.open();
    h.pick(3);
    h.box("Text1")->setText(
        QString::number((quint8(characterBytes(h.game.exe(), 3)[72]) + 1) % 256));
    h.click("save");
    QCOMPARE(entryCount(), size_t(1));
    QCOMPARE(newest().window, QStringLiteral("Korvane人物修改"));
    QCOMPARE(textOf(newest()).records, QStringList{QStringLiteral("机师0003")});
  }

  void undoRestoresTheFileByteForByteAndIsUndoneInTurn() {
    SampleGame game;
    const QByteArray original = game.exe();
    ModalAnswerer answers;
    Form1 form;
    gamePaths() = {GameFileRef::plain(game.exePath()), GameFileRef::plain(game.stagePath())};
    HistoryDriver history(form);
    QVERIFY(history.window());
    QCOMPARE(history.window()->windowTitle(), QStringLiteral("修改记录"));
    QCOMPARE(history.control<QPushButton>("undoButton")->text(), QStringLiteral("撤销所选"));
    QCOMPARE(form.findChild<QPushButton *>(QStringLiteral("historyButton"))->text(),
             QStringLiteral("修改记录"));
    QCOMPARE(history.entries()->selectionMode(), QAbstractItemView::ExtendedSelection);
    QCOMPARE(history.entries()->count(), 0);
    Form2Harness ui;

    saveHp(ui, 12, 4200);
    const QByteArray saved = game.exe();
    ui.click("Command4");
    // The open window shows new entries as they come, newest first.
    QCOMPARE(history.entries()->count(), 2);
    QVERIFY(history.entries()->item(0)->text().startsWith(QStringLiteral("#2 ")));
    QVERIFY(history.entries()->item(0)->text().contains(QStringLiteral("全机体可装备4个强化部件")));
    history.select({1});
    QCOMPARE(history.fields(),
             QStringList{QStringLiteral("机体0012 / HP: %1 → 4200").arg(hpOf(original, 12))});
    // The button shows the one window again.
    QCOMPARE(HistoryDriver(form).window(), history.window());

    history.select({1, 2});
    history.click("undoButton");
    QCOMPARE(answers.texts(), QStringList{});
    QCOMPARE(game.exe(), original);
    QCOMPARE(entryCount(), size_t(4));
    QCOMPARE(changeHistory().find(3)->reverts, quint64(2)); // newest first
    QCOMPARE(newest().reverts, quint64(1));
    QCOMPARE(newest().window, QStringLiteral("修改记录"));
    QCOMPARE(newest().action, QStringLiteral("撤销"));
    QVERIFY(history.entries()->item(0)->text().contains(QStringLiteral("撤销 #1")));

    history.select({4});
    history.click("undoButton");
    QCOMPARE(game.exe(), saved);
    QCOMPARE(newest().reverts, quint64(4));
    QCOMPARE(answers.texts(), QStringList{});

    history.entries()->clearSelection();
    history.click("undoButton");
    QCOMPARE(answers.texts().size(), 1); // asks for a pick
    QCOMPARE(entryCount(), size_t(5));
  }

  void undoOfAnOverwrittenEntryAsksAndCancelWritesNothing() {
    SampleGame game;
    const QByteArray original = game.exe();
    ModalAnswerer answers;
    Form1 form;
    gamePaths() = {GameFileRef::plain(game.exePath()), GameFileRef::plain(game.stagePath())};
    Form2Harness ui;
    saveHp(ui, 12, 4200);
    saveHp(ui, 12, 5000);
    const QByteArray overwritten = game.exe();
    HistoryDriver history(form);
    QCOMPARE(history.entries()->count(), 2);

    history.select({1});
    answers.answer({QMessageBox::Cancel});
    history.click("undoButton");
    QCOMPARE(answers.texts().size(), 1);
    const QString question = answers.last();
    QVERIFY2(question.contains(entryName(*changeHistory().find(1))), qPrintable(question));
    QVERIFY2(question.contains(QStringLiteral("机体0012 / HP: 4200 → 5000")), qPrintable(question));
    QCOMPARE(game.exe(), overwritten);
    QCOMPARE(entryCount(), size_t(2));

    answers.clear();
    history.select({1});
    history.click("undoButton"); // OK this time
    QCOMPARE(answers.texts().size(), 1);
    QCOMPARE(game.exe(), original);
    QCOMPARE(entryCount(), size_t(3));
  }

  void aReadOnlyFileRefusesTheUndo() {
    SampleGame game;
    ModalAnswerer answers;
    Form1 form;
    gamePaths() = {GameFileRef::plain(game.exePath()), GameFileRef::plain(game.stagePath())};
    Form2Harness ui;
    saveHp(ui, 12, 4200);
    const QByteArray saved = game.exe();
    HistoryDriver history(form);
    history.select({1});

    {
      const ReadOnlyFile readOnly(game.exePath());
      if (!readOnly.ok())
        QSKIP("this file system cannot make a file read-only for root");
      history.click("undoButton");
    }
    QCOMPARE(answers.texts().size(), 1);
    QVERIFY(answers.last().contains(QStringLiteral("无法以读写方式打开文件")));
    QVERIFY(answers.last().contains(game.exePath()));
    QCOMPARE(game.exe(), saved);
    QCOMPARE(entryCount(), size_t(1));
  }

  void bytesNoTableNamesAreGivenByOffset() {
    SampleGame game;
    ListRows rows;
    const ChangeSpans spans{
        {0x100, QByteArray::fromHex("0001"), QByteArray::fromHex("0102")},
        {unitStart(2) + 8, QByteArray::fromHex("10000000"), QByteArray::fromHex("20000000")}};
    QCOMPARE(describeSpans(gameFileAt(GameFileRef::plain(game.exePath())), spans, rows).lines,
             (QStringList{QStringLiteral("机体0002 / HP: 16 → 32"),
                          QStringLiteral("偏移 0x100–0x101: 0001 → 0102")}));
    // A file that is neither game file: every byte by offset.
    const SpanText other = describeSpans(
        gameFileAt(GameFileRef::plain(game.dir() + QStringLiteral("/other.bin"))), spans, rows);
    QVERIFY(other.records.isEmpty());
    QCOMPARE(
        other.lines.last(),
        QStringLiteral("偏移 0x%1: 10 → 20").arg(QString::number(unitStart(2) + 8, 16).toUpper()));
  }

  // The unit save clears bits no box shows: those bytes are listed too, by their
  // place in the record, beside the field the user changed.
  void bitsNoBoxShowsAreListedWhenASaveChangesThem() {
    SampleGame game;
    QByteArray exe = game.exe();
    const qint64 head = unitStart(12);
    exe[head + 54] = char(0x83);
    exe[head + 35] = char(quint8(exe[head + 35]) | 0xF8);
    game.setExe(exe);
    const qint32 hp = hpOf(exe, 12);
    ModalAnswerer answers;
    Form1 form;
    gamePaths() = {GameFileRef::plain(game.exePath()), GameFileRef::plain(game.stagePath())};
    Form2Harness ui;
    saveHp(ui, 12, 12345);
    const QByteArray saved = game.exe();
    const QList<qint64> changed = differences(exe, saved);
    QVERIFY(changed.contains(head + 35) && changed.contains(head + 54));
    const auto hex = [](char byte) {
      return QStringLiteral("0x") +
             QString::number(quint8(byte), 16).rightJustified(2, u'0').toUpper();
    };
    HistoryDriver history(form);
    history.select({1});
    QCOMPARE(history.fields(),
             (QStringList{QStringLiteral("机体0012 / HP: %1 → 12345").arg(hp),
                          QStringLiteral("机体0012 / 未显示的位（偏移 +35）: %1 → %2")
                              .arg(hex(exe[head + 35]), hex(saved[head + 35])),
                          QStringLiteral("机体0012 / 未显示的位（偏移 +54）: 0x83 → 0x03")}));
    QVERIFY(answers.texts().isEmpty());
  }

  // Two copies of SLPS_255.37 in different folders: the rows name the folder, their
  // tips and the details give the whole path.
  void entriesSayWhichFileTheyWrote() {
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("原版/SLPS_255.37"));
    const QString second = dir.filePath(QStringLiteral("汉化/SLPS_255.37"));
    for (const QString &path : {first, second})
      changeHistory().record(GameFileRef::plain(path), gameFileAt(GameFileRef::plain(path)),
                             {{unitStart(2) + 8, QByteArray(1, '\0'), QByteArray(1, '\1')}});
    HistoryWindow window;
    auto *entries = window.findChild<QListWidget *>(QStringLiteral("historyList"));
    QCOMPARE(entries->count(), 2);
    QVERIFY2(entries->item(0)->text().contains(
                 QDir::toNativeSeparators(QStringLiteral("汉化/SLPS_255.37"))),
             qPrintable(entries->item(0)->text()));
    QVERIFY(entries->item(1)->text().contains(
        QDir::toNativeSeparators(QStringLiteral("原版/SLPS_255.37"))));
    QCOMPARE(entries->item(0)->toolTip(), QDir::toNativeSeparators(second));
    QCOMPARE(entries->item(1)->toolTip(), QDir::toNativeSeparators(first));
    entries->setCurrentRow(1);
    QVERIFY(window.findChild<QLabel *>(QStringLiteral("fieldLabel"))
                ->text()
                .contains(QDir::toNativeSeparators(first)));
  }

  void saysWhenOlderEntriesWereDropped() {
    const GameFileRef path = GameFileRef::plain(QStringLiteral("/nowhere/SLPS_255.37"));
    for (int i = 0; i < 1002; ++i)
      changeHistory().record(path, gameFileAt(path),
                             {{2877208 + i, QByteArray(1, '\0'), QByteArray(1, '\1')}});
    HistoryWindow window;
    QCOMPARE(window.findChild<QListWidget *>(QStringLiteral("historyList"))->count(), 1000);
    auto *dropped = window.findChild<QLabel *>(QStringLiteral("droppedLabel"));
    QVERIFY(!dropped->isHidden());
    QVERIFY(dropped->text().contains(QStringLiteral("1000")));
    QVERIFY(dropped->text().contains(QStringLiteral("2")));
  }
};

QTEST_MAIN(TestHistoryWindow)
#include "tst_history_window.moc"
