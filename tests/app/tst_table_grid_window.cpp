// 表格视图 as a user drives it: cells typed, picked and pasted land in the file
// through "写入" as one history entry, the file's other bytes untouched; refused
// cells change nothing; the sheet follows the other windows and marks what differs
// from an original.

#include "app/form1.h"
#include "app/history_window.h"
#include "app/table_grid_window.h"
#include "editors/shared/game_paths.h"
#include "tests/editors/units/form2_harness.h"
#include "tests/support/modal_answerer.h"
#include "tests/support/sample_game.h"
#include "tools/korvane_tool/tool_commands.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace korvane;
using namespace korvane::test;

namespace {

constexpr qint64 kHp = 8; // the unit record's HP, a double word

class GridUi : public WindowDriver {
public:
  GridUi() {
    window_ = new TableGridWindow;
    window_->show();
  }
  ~GridUi() { delete window_.data(); }

  TableGridModel &model() const { return static_cast<TableGridWindow *>(window_.data())->model(); }
  QTableView *grid() const { return control<QTableView>(QStringLiteral("grid")); }
  void choose(const QString &key) const {
    QComboBox *tables = combo(QStringLiteral("tableChoice"));
    for (int row = 0; row < tables->count(); ++row)
      if (tables->itemText(row).endsWith(QStringLiteral(" · ") + key))
        tables->setCurrentIndex(row);
  }
  int column(const QString &name) const {
    for (int column = 0; column < model().columnCount(); ++column)
      if (model().headerData(column, Qt::Horizontal).toString().startsWith(name))
        return column;
    qFatal("no column %s", qPrintable(name));
  }
  QString cell(int row, int column) const { return model().index(row, column).data().toString(); }
  void trigger(const QString &action) const {
    for (QAction *candidate : grid()->actions())
      if (candidate->text() == action)
        candidate->trigger();
  }
  // Opens the editor of a number cell, sets it and presses Enter.
  void typeNumber(int row, int column, int value) const {
    const QModelIndex index = model().index(row, column);
    grid()->selectionModel()->setCurrentIndex(index, QItemSelectionModel::Select);
    grid()->edit(index);
    auto *spin = grid()->findChild<QSpinBox *>(QStringLiteral("cellEditor"));
    QVERIFY(spin);
    spin->setValue(value);
    QTest::keyClick(spin, Qt::Key_Return);
    QCoreApplication::processEvents(); // the view commits an editor after its key
  }
};

void applyHexValues(const SampleGame &game) {
  QString out;
  QTextStream stream(&out);
  tool::Tool tool(stream, stream, game.dir());
  QCOMPARE(tool.apply(GameFileRef::plain(game.exePath()),
                      QStringLiteral(KORVANE_TOOL_DATA "/spreadsheets/hex_values.bps")),
           int(tool::kSuccess));
  changeHistory().clear();
}

QString calcBlock() {
  return QString::fromUtf8(
      SampleGame::readFile(QStringLiteral(KORVANE_GRID_DATA "/calc_block.tsv")));
}

// The fields of the table whose bytes differ between the two files, as
// "record/field name".
QSet<QString> changedFields(const CatalogTable &table, const QByteArray &before,
                            const QByteArray &after) {
  ListRows rows;
  QSet<QString> fields;
  const std::vector<qint64> offsets = table.recordOffsets(rows);
  for (qint64 at : differences(before, after)) {
    bool named = false;
    for (size_t record = 0; record < offsets.size(); ++record)
      for (const Field &field : table.layout->fields)
        if (at >= offsets[record] + field.offset &&
            at < offsets[record] + field.offset + field.width) {
          fields.insert(QStringLiteral("%1/%2").arg(record).arg(field.name));
          named = true;
        }
    if (!named)
      fields.insert(QStringLiteral("0x%1").arg(at, 0, 16));
  }
  return fields;
}

// Whether every byte in which the two files differ lies in [start, end).
bool changesOnlyWithin(const QByteArray &before, const QByteArray &after, qint64 start,
                       qint64 end) {
  const QList<qint64> changed = differences(before, after);
  return !changed.isEmpty() && std::all_of(changed.begin(), changed.end(),
                                           [&](qint64 at) { return at >= start && at < end; });
}

QString fieldOfColumn(const TableGridModel &model, int row, int column) {
  return QStringLiteral("%1/%2")
      .arg(model.recordAt(row))
      .arg(model.partColumn(column)->field->name);
}

} // namespace

class TestTableGridWindow : public QObject {
  Q_OBJECT

private slots:
  void init() {
    changeHistory().clear();
    QApplication::clipboard()->clear();
  }

  void theMainWindowOpensItOnce() {
    SampleGame game;
    Form1 main;
    main.show();
    auto *button = main.findChild<QPushButton *>(QStringLiteral("tableGrid"));
    QVERIFY(button);
    QCOMPARE(button->text(), QStringLiteral("表格视图…"));
    button->click();
    button->click();
    int open = 0;
    for (QWidget *window : QApplication::topLevelWidgets())
      if (window->objectName() == QLatin1String("TableGridWindow") && window->isVisible()) {
        ++open;
        QCOMPARE(window->windowTitle(), QStringLiteral("表格视图"));
      }
    QCOMPARE(open, 1);
  }

  void aTableNeedsItsGameFileChosen() {
    SampleGame game;
    gamePaths().StagePath = {};
    ModalAnswerer answers;
    GridUi ui;
    QCOMPARE(ui.combo(QStringLiteral("tableChoice"))->itemText(0),
             QStringLiteral("机体&武器 · units"));
    ui.choose(QStringLiteral("enemies"));
    QCOMPARE(answers.texts(), QStringList{QStringLiteral("请先打开stage.bin文件再进入修改")});
    QCOMPARE(ui.combo(QStringLiteral("tableChoice"))->currentIndex(), -1);
    QVERIFY(!ui.model().table());
    ui.choose(QStringLiteral("units"));
    QCOMPARE(ui.model().rowCount(), 837);
  }

  // One typed cell writes that field's bytes and no other; "写入" is one history
  // entry, and undoing it restores every byte.
  void oneCellWritesItsFieldAndUndoesWhole() {
    SampleGame game;
    ModalAnswerer answers;
    const QByteArray original = game.exe();
    GridUi ui;
    ui.choose(QStringLiteral("units"));
    const int hp = ui.column(QStringLiteral("HP"));
    ui.typeNumber(5, hp, 4321);
    QCOMPARE(ui.cell(5, hp), QStringLiteral("4321"));
    QVERIFY(ui.model().index(5, hp).data(TableGridModel::PendingRole).toBool());
    QCOMPARE(game.exe(), original);
    ui.click(QStringLiteral("writeChanges"));
    QCOMPARE(answers.texts(), QStringList());
    QVERIFY(changesOnlyWithin(original, game.exe(), unitStart(5) + kHp, unitStart(5) + kHp + 4));
    QCOMPARE(dwordAt(game.exe(), unitStart(5) + kHp), 4321u);
    QVERIFY(!ui.model().hasPending());
    QCOMPARE(changeHistory().entries().size(), size_t(1));
    QCOMPARE(changeHistory().entries().front().window, QStringLiteral("表格视图"));

    HistoryWindow history;
    history.show();
    auto *entries = history.findChild<QListWidget *>(QStringLiteral("historyList"));
    entries->item(0)->setSelected(true);
    history.findChild<QPushButton *>(QStringLiteral("undoButton"))->click();
    QCOMPARE(game.exe(), original);
    QCOMPARE(ui.cell(5, hp), QString::number(dwordAt(original, unitStart(5) + kHp)));
  }

  // A block from LibreOffice Calc writes exactly the fields it changes, each as
  // the block holds it.
  void aCalcBlockWritesExactlyItsFields() {
    SampleGame game;
    applyHexValues(game);
    ModalAnswerer answers;
    const QByteArray original = game.exe();
    GridUi ui;
    ui.choose(QStringLiteral("units"));
    const int pointer = ui.column(QStringLiteral("名称指针"));
    ui.grid()->setCurrentIndex(ui.model().index(10, pointer));
    QApplication::clipboard()->setText(calcBlock());
    ui.trigger(QStringLiteral("粘贴"));
    QCOMPARE(answers.texts(), QStringList());
    ui.click(QStringLiteral("writeChanges"));

    const QSet<QString> expected{fieldOfColumn(ui.model(), 10, pointer),
                                 fieldOfColumn(ui.model(), 10, ui.column(QStringLiteral("HP"))),
                                 fieldOfColumn(ui.model(), 11, ui.column(QStringLiteral("EN"))),
                                 fieldOfColumn(ui.model(), 11, ui.column(QStringLiteral("大小"))),
                                 fieldOfColumn(ui.model(), 12, ui.column(QStringLiteral("运动性"))),
                                 fieldOfColumn(ui.model(), 12, ui.column(QStringLiteral("装甲")))};
    QCOMPARE(changedFields(*findTable(QStringLiteral("units")), original, game.exe()), expected);
    const QStringList lines = calcBlock().split(u'\n', Qt::SkipEmptyParts);
    for (int line = 0; line < lines.size(); ++line) {
      const QStringList cells = lines[line].split(u'\t');
      for (int column = 0; column < cells.size(); ++column)
        QCOMPARE(ui.cell(10 + line, pointer + column), cells[column]);
    }
    QCOMPARE(changeHistory().entries().size(), size_t(1));
  }

  void aBlockWithOneBadCellPastesNothing() {
    SampleGame game;
    applyHexValues(game);
    ModalAnswerer answers;
    const QByteArray original = game.exe();
    GridUi ui;
    ui.choose(QStringLiteral("units"));
    ui.grid()->setCurrentIndex(ui.model().index(10, ui.column(QStringLiteral("名称指针"))));
    QString block = calcBlock();
    block.replace(QStringLiteral("\t1234\t"), QStringLiteral("\t1234.5\t"));
    QApplication::clipboard()->setText(block);
    ui.trigger(QStringLiteral("粘贴"));
    QCOMPARE(answers.texts().size(), 1);
    QVERIFY2(answers.last().startsWith(QStringLiteral(
                 "粘贴的内容有 1 处不能接受，没有粘贴任何内容：\n（序号 12）“装甲”列的“1234.5”")),
             qPrintable(answers.last()));
    QVERIFY(!ui.model().hasPending());
    QVERIFY(!ui.control<QPushButton>(QStringLiteral("writeChanges"))->isEnabled());
    QCOMPARE(game.exe(), original);
  }

  void typingWithSeveralCellsSelectedSetsThemAll() {
    SampleGame game;
    ModalAnswerer answers;
    GridUi ui;
    ui.choose(QStringLiteral("units"));
    const int hp = ui.column(QStringLiteral("HP"));
    ui.grid()->selectionModel()->select(
        QItemSelection(ui.model().index(0, hp), ui.model().index(4, hp)),
        QItemSelectionModel::ClearAndSelect);
    ui.typeNumber(2, hp, 777);
    for (int row = 0; row < 5; ++row)
      QCOMPARE(ui.cell(row, hp), QStringLiteral("777"));
    QCOMPARE(ui.model().pendingCells(), 5);

    // Another table is shown only when the user gives the typed cells up.
    answers.answer({QMessageBox::Cancel});
    ui.choose(QStringLiteral("parts"));
    QVERIFY(answers.last().startsWith(QStringLiteral("有 5 个格子还没有写入。")));
    QCOMPARE(ui.model().table()->key, QStringLiteral("units"));
    QCOMPARE(ui.combo(QStringLiteral("tableChoice"))->currentText(),
             QStringLiteral("机体&武器 · units"));
    ui.click(QStringLiteral("discardChanges"));
    QVERIFY(!ui.model().hasPending());
    ui.choose(QStringLiteral("parts"));
    QCOMPARE(ui.model().table()->key, QStringLiteral("parts"));
  }

  void wholeColumnsCopyWithTheirHeader() {
    SampleGame game;
    GridUi ui;
    ui.choose(QStringLiteral("parts"));
    const int first = ui.model().leadingColumns();
    ui.grid()->selectColumn(first);
    ui.trigger(QStringLiteral("复制"));
    const QStringList lines = QApplication::clipboard()->text().split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), ui.model().rowCount() + 1);
    QCOMPARE(lines[0], ui.model().headerData(first, Qt::Horizontal).toString());
    QCOMPARE(lines[3], ui.cell(2, first));

    ui.grid()->clearSelection();
    ui.grid()->selectionModel()->select(
        QItemSelection(ui.model().index(1, first), ui.model().index(2, first + 1)),
        QItemSelectionModel::Select);
    ui.trigger(QStringLiteral("复制"));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("%1\t%2\n%3\t%4\n")
                                                    .arg(ui.cell(1, first), ui.cell(1, first + 1),
                                                         ui.cell(2, first), ui.cell(2, first + 1)));
  }

  void comparesWithAnOriginal() {
    SampleGame game;
    ModalAnswerer answers;
    QTemporaryDir dir;
    const QString originalPath = dir.filePath(QStringLiteral("原版.37"));
    SampleGame::writeFile(originalPath, game.exe());
    game.patchExe(unitStart(3) + kHp, QByteArray::fromHex("01020304"));
    game.patchExe(unitStart(7) + kHp, QByteArray::fromHex("05060708"));
    answers.onFileDialog([&](QFileDialog *dialog) {
      dialog->selectFile(originalPath);
      static_cast<QDialog *>(dialog)->accept();
    });
    GridUi ui;
    ui.choose(QStringLiteral("units"));
    ui.click(QStringLiteral("compareWith"));
    QCOMPARE(answers.texts(), QStringList());
    QVERIFY2(ui.control<QLabel>(QStringLiteral("summaryLabel"))
                 ->text()
                 .contains(QStringLiteral("与原版相比：2 个格子、2 条记录不同")),
             qPrintable(ui.control<QLabel>(QStringLiteral("summaryLabel"))->text()));
    const QModelIndex changed = ui.model().index(3, ui.column(QStringLiteral("HP")));
    QVERIFY(changed.data(TableGridModel::DiffersRole).toBool());
    QCOMPARE(changed.data(Qt::ToolTipRole).toString(),
             QStringLiteral("原版：%1")
                 .arg(dwordAt(SampleGame::readFile(originalPath), unitStart(3) + kHp)));
    ui.check(QStringLiteral("onlyChanged"))->setChecked(true);
    QCOMPARE(ui.model().rowCount(), 2);
    QCOMPARE(ui.model().recordAt(1), 7);

    // The other tables of the file are compared with the same original.
    ui.choose(QStringLiteral("weapons"));
    QVERIFY(ui.model().comparing());
    QCOMPARE(ui.model().differingCells(), 0);
    QCOMPARE(ui.model().rowCount(), 0);
  }

  // Another window's save shows in the sheet at once; a pending cell it wrote
  // over is dropped, and the user is told, while the others stay.
  void followsOtherWindowsAndTellsWhatWasDropped() {
    SampleGame game;
    ModalAnswerer answers;
    GridUi ui;
    ui.choose(QStringLiteral("units"));
    const int hp = ui.column(QStringLiteral("HP"));
    const int en = ui.column(QStringLiteral("EN"));
    QCOMPARE(ui.model().setCells({{5, hp, QStringLiteral("1111"), {}},
                                  {5, en, QStringLiteral("22"), {}},
                                  {6, hp, QStringLiteral("3333"), {}}}),
             QStringList());
    Form2Harness units;
    units.pickUnit(5);
    units.type(QStringLiteral("Text1"), QStringLiteral("999"));
    units.click(QStringLiteral("Command1"));
    QCOMPARE(dwordAt(game.exe(), unitStart(5) + kHp), 999u);
    QCOMPARE(ui.cell(5, hp), QStringLiteral("999"));
    QCOMPARE(answers.texts().size(), 1);
    QVERIFY2(answers.last().contains(QStringLiteral("（序号 5）“HP”：输入的 1111 没有写入")),
             qPrintable(answers.last()));
    QCOMPARE(ui.cell(5, en), QStringLiteral("22"));
    QCOMPARE(ui.cell(6, hp), QStringLiteral("3333"));
    QCOMPARE(ui.model().pendingCells(), 2);
  }

  // Cells typed for one file never go into another that the main window chose since.
  void anotherChosenFileIsShownAndTakesNoCellsTypedForTheFirst() {
    SampleGame game;
    ModalAnswerer answers;
    QTemporaryDir dir;
    const QString other = dir.filePath(QStringLiteral("SLPS_255.37"));
    QByteArray otherBytes = game.exe();
    otherBytes[unitStart(2) + kHp] = char(otherBytes[unitStart(2) + kHp] + 1);
    SampleGame::writeFile(other, otherBytes);
    GridUi ui;
    ui.choose(QStringLiteral("units"));
    const int hp = ui.column(QStringLiteral("HP"));
    QCOMPARE(ui.model().setCells({{5, hp, QStringLiteral("1111"), {}}}), QStringList());
    const QByteArray first = game.exe();
    gamePaths().ExePath = GameFileRef::plain(other);
    ui.click(QStringLiteral("writeChanges"));
    QCOMPARE(answers.texts().size(), 1);
    QVERIFY2(answers.last().contains(QStringLiteral("1 个格子已经放弃")),
             qPrintable(answers.last()));
    QCOMPARE(game.exe(), first);
    QCOMPARE(SampleGame::readFile(other), otherBytes);
    QCOMPARE(ui.model().file(), GameFileRef::plain(other));
    QCOMPARE(ui.cell(2, hp), QString::number(dwordAt(otherBytes, unitStart(2) + kHp)));
    QVERIFY(!ui.model().hasPending());
  }

  // A record another program changed since the sheet read it is asked about;
  // Cancel writes nothing.
  void asksBeforeWritingOverAnotherProgram() {
    SampleGame game;
    ModalAnswerer answers;
    GridUi ui;
    ui.choose(QStringLiteral("units"));
    QCOMPARE(
        ui.model().setCells({{5, ui.column(QStringLiteral("HP")), QStringLiteral("1111"), {}}}),
        QStringList());
    game.patchExe(unitStart(5) + 12, QByteArray::fromHex("3412")); // EN
    const QByteArray changed = game.exe();
    answers.answer({QMessageBox::Cancel});
    ui.click(QStringLiteral("writeChanges"));
    QCOMPARE(answers.texts().size(), 1);
    QVERIFY2(answers.last().contains(QStringLiteral("（序号 5）EN: ")), qPrintable(answers.last()));
    QCOMPARE(game.exe(), changed);
    QVERIFY(ui.model().hasPending());

    answers.answer({QMessageBox::Ok});
    ui.click(QStringLiteral("writeChanges"));
    QVERIFY(changesOnlyWithin(changed, game.exe(), unitStart(5) + kHp, unitStart(5) + kHp + 4));
    QVERIFY(!ui.model().hasPending());
  }
};

QTEST_MAIN(TestTableGridWindow)
#include "tst_table_grid_window.moc"
