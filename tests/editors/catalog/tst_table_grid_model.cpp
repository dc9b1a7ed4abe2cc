// The table grid shows every table as its dump prints it, takes what import takes
// and refuses what it refuses, and marks the cells that diff lists.

#include "editors/catalog/table_grid_model.h"
#include "editors/shared/field_codec.h"
#include "tests/tools/tool_harness.h"

#include <QTest>
#include <numeric>
#include <set>

using namespace korvane;
using namespace korvane::test;
using namespace korvane::tool;

namespace {

const QString kToolData = QStringLiteral(KORVANE_TOOL_DATA);
constexpr qint64 kUnitTable = 0x2BE710;
constexpr int kUnitSize = 732;

// The sample executable with hex name pointers such as 96E2 and 0023, as the
// spreadsheet tests use it.
void applyHexValues(const SampleGame &game) {
  const ToolRun run = runTool(game, [&](Tool &tool) {
    return tool.apply(GameFileRef::plain(game.exePath()),
                      kToolData + QStringLiteral("/spreadsheets/hex_values.bps"));
  });
  QVERIFY2(run.status == kSuccess, qPrintable(run.err));
}

QList<QStringList> dumpRows(const SampleGame &game, const CatalogTable &table) {
  const ToolRun run = runTool(game, [&](Tool &tool) {
    return tool.dump(
        {GameFileRef::plain(gamePath(game, table)), table.key, Format::Csv, false, {}, {}});
  });
  QList<QStringList> rows;
  for (const CsvRow &row : parseCsv(run.out.toUtf8()).rows)
    rows << row.fields;
  return rows;
}

int columnNamed(const TableGridModel &model, const QString &name) {
  for (int column = 0; column < model.columnCount(); ++column)
    if (model.headerData(column, Qt::Horizontal).toString() == name)
      return column;
  qFatal("no column %s", qPrintable(name));
}

QString cell(const TableGridModel &model, int row, int column) {
  return model.index(row, column).data().toString();
}

// "units/12/HP" for a cell of the grid or a field change of diff.
using CellKey = std::tuple<QString, int, QString>;

std::set<CellKey> differingCells(const TableGridModel &model) {
  std::set<CellKey> cells;
  for (int row = 0; row < model.rowCount(); ++row)
    for (int column = model.leadingColumns(); column < model.columnCount(); ++column)
      if (model.index(row, column).data(TableGridModel::DiffersRole).toBool())
        cells.insert({model.table()->key, model.recordAt(row), model.partColumn(column)->name});
  return cells;
}

// Every table of `file` compared with `original` in the grid, against the fields
// that diff's description lists.
void compareMarksWhatDiffLists(const SampleGame &game, GameFile file, const QByteArray &original,
                               const QByteArray &modified) {
  ListRows rows(game.dir());
  std::set<CellKey> listed;
  const ChangeList changes = describeChanges(file, 0, original, modified, rows);
  for (const FieldChange &change : changes.fields) {
    QString name;
    for (const TableColumn &column : partColumns(*change.table))
      if (column.part == change.part)
        name = column.name;
    listed.insert({change.table->key, change.record, name});
  }
  QVERIFY(!listed.empty());
  std::set<CellKey> marked;
  int records = 0;
  for (const CatalogTable &table : tableCatalog()) {
    if (table.file != file)
      continue;
    TableGridModel model(game.dir());
    QCOMPARE(model.load(table, GameFileRef::plain(gamePath(game, table))), QString());
    QCOMPARE(model.compareWith(original, QStringLiteral("原版")), QString());
    const std::set<CellKey> cells = differingCells(model);
    QCOMPARE(model.differingCells(), int(cells.size()));
    records += model.differingRecords();
    marked.insert(cells.begin(), cells.end());
    model.setOnlyChanged(true);
    QCOMPARE(model.rowCount(), model.differingRecords());
  }
  QCOMPARE(marked, listed);
  QVERIFY(records > 0);
}

// Flips bytes of `count` records spread over every table of `file`.
QByteArray scattered(const SampleGame &game, GameFile file, QByteArray bytes) {
  ListRows rows(game.dir());
  quint32 seed = 12345;
  const auto next = [&seed] { return seed = seed * 1103515245 + 12345, (seed >> 8); };
  for (const CatalogTable &table : tableCatalog()) {
    if (table.file != file)
      continue;
    const std::vector<qint64> offsets = table.recordOffsets(rows);
    for (int i = 0; i < 6; ++i) {
      const qint64 at = offsets[next() % offsets.size()] + next() % table.layout->recordSize;
      bytes[at] = char(bytes[at] ^ (1 << (next() % 8)));
    }
  }
  return bytes;
}

} // namespace

class TestTableGridModel : public QObject {
  Q_OBJECT

private slots:
  void everyTableShowsItsDumpCells() {
    SampleGame game;
    applyHexValues(game);
    for (const CatalogTable &table : tableCatalog()) {
      TableGridModel model(game.dir());
      QCOMPARE(model.load(table, GameFileRef::plain(gamePath(game, table))), QString());
      const QList<QStringList> dump = dumpRows(game, table);
      QCOMPARE(model.rowCount(), dump.size() - 1);
      QStringList header;
      for (int column = 0; column < model.columnCount(); ++column)
        header << model.headerData(column, Qt::Horizontal).toString();
      QCOMPARE(header, dump.front());
      for (int row = 0; row < model.rowCount(); ++row)
        for (int column = 0; column < model.columnCount(); ++column)
          if (cell(model, row, column) != dump[row + 1][column])
            QFAIL(qPrintable(QStringLiteral("%1 row %2 column %3: %4, dump %5")
                                 .arg(table.key)
                                 .arg(row)
                                 .arg(column)
                                 .arg(cell(model, row, column), dump[row + 1][column])));
    }
  }

  void aFileWithoutTheTableIsRefused() {
    SampleGame game;
    game.setExe(game.exe().left(0x2C0000));
    TableGridModel model(game.dir());
    const QString error =
        model.load(*findTable(QStringLiteral("units")), GameFileRef::plain(game.exePath()));
    QVERIFY(!error.isEmpty());
    QCOMPARE(model.rowCount(), 0);
  }

  // Numbers sort as numbers, hex by the value its digits spell, lists in list
  // order; a sort keeps the selection on its records.
  void sortsByValue() {
    SampleGame game;
    applyHexValues(game);
    TableGridModel model(game.dir());
    model.load(*findTable(QStringLiteral("units")), GameFileRef::plain(game.exePath()));
    const int hp = columnNamed(model, QStringLiteral("HP"));
    model.sort(hp, Qt::DescendingOrder);
    for (int row = 1; row < model.rowCount(); ++row)
      QVERIFY(cell(model, row - 1, hp).toLongLong() >= cell(model, row, hp).toLongLong());
    const int pointer =
        columnNamed(model, QStringLiteral("名称指针（0x十六进制，按文件字节顺序）"));
    model.sort(pointer, Qt::AscendingOrder);
    for (int row = 1; row < model.rowCount(); ++row)
      QVERIFY(cell(model, row - 1, pointer).mid(2).toUInt(nullptr, 16) <=
              cell(model, row, pointer).mid(2).toUInt(nullptr, 16));
    const int moves = columnNamed(model, QStringLiteral("移动类型"));
    model.sort(moves, Qt::AscendingOrder);
    for (int row = 1; row < model.rowCount(); ++row)
      QVERIFY(model.index(row - 1, moves).data(TableGridModel::PartValueRole).toUInt() <=
              model.index(row, moves).data(TableGridModel::PartValueRole).toUInt());
    model.sort(0, Qt::AscendingOrder);
    for (int row = 0; row < model.rowCount(); ++row)
      QCOMPARE(model.recordAt(row), row);
  }

  void filtersByNameOrNumber() {
    SampleGame game;
    TableGridModel model(game.dir());
    model.load(*findTable(QStringLiteral("weapons")), GameFileRef::plain(game.exePath()));
    QCOMPARE(model.rowCount(), 837 * 18);
    model.setFilter(QStringLiteral("机体0012 / 武器1"));
    // 武器1 and 武器10 to 武器18
    QCOMPARE(model.rowCount(), 10);
    model.setFilter(QStringLiteral("１５０６５"));
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.recordAt(0), 15065);
    model.setFilter({});
    QCOMPARE(model.rowCount(), 837 * 18);
  }

  // A typed cell is checked as import checks it, with import's message, and held
  // until written; typing the file's value again leaves nothing pending.
  void typedCellsAreCheckedAndHeld() {
    SampleGame game;
    TableGridModel model(game.dir());
    model.load(*findTable(QStringLiteral("units")), GameFileRef::plain(game.exePath()));
    const int hp = columnNamed(model, QStringLiteral("HP"));
    const int moves = columnNamed(model, QStringLiteral("移动类型"));
    const QString was = cell(model, 5, hp);
    QStringList refused = model.setCells({{5, hp, QStringLiteral("4200"), {}},
                                          {6, hp, QStringLiteral("abc"), {}},
                                          {7, moves, QStringLiteral("不存在"), {}}});
    QCOMPARE(refused.size(), 2);
    QVERIFY2(refused[0].startsWith(QStringLiteral("（序号 6）“HP”列的“abc”不能接受：")),
             qPrintable(refused[0]));
    QVERIFY2(refused[1].contains(QStringLiteral("“移动类型”应填入列表中的一项")),
             qPrintable(refused[1]));
    QVERIFY(!model.hasPending());
    QCOMPARE(cell(model, 5, hp), was);

    QCOMPARE(model.setCells({{5, hp, QStringLiteral(" ４２００ "), {}}}), QStringList());
    QCOMPARE(cell(model, 5, hp), QStringLiteral("4200"));
    QVERIFY(model.index(5, hp).data(TableGridModel::PendingRole).toBool());
    QVERIFY(!model.index(5, hp + 1).data(TableGridModel::PendingRole).toBool());
    QCOMPARE(model.pendingCells(), 1);
    const std::vector<TableGridModel::PendingRecord> records = model.pendingRecords();
    QCOMPARE(records.size(), size_t(1));
    QCOMPARE(records[0].record, 5);
    QCOMPARE(records[0].fields[0].wanted, 4200u);

    QCOMPARE(model.setCells({{5, hp, was, {}}}), QStringList());
    QVERIFY(!model.hasPending());
    QCOMPARE(SampleGame::readFile(game.exePath()), game.exe());
  }

  // A block as LibreOffice Calc puts it on the clipboard lands at the current cell;
  // one bad cell and nothing is taken, every bad cell listed.
  void pastesTabSeparatedBlocks() {
    SampleGame game;
    applyHexValues(game);
    TableGridModel model(game.dir());
    model.load(*findTable(QStringLiteral("units")), GameFileRef::plain(game.exePath()));
    const int pointer =
        columnNamed(model, QStringLiteral("名称指针（0x十六进制，按文件字节顺序）"));
    const QString block = QString::fromUtf8(
        SampleGame::readFile(QStringLiteral(KORVANE_GRID_DATA "/calc_block.tsv")));
    const QList<QStringList> lines = [&] {
      QList<QStringList> cells;
      for (const QString &line : block.split(u'\n', Qt::SkipEmptyParts))
        cells << line.split(u'\t');
      return cells;
    }();
    QCOMPARE(model.pasteBlock(10, pointer, block), QStringList());
    for (qsizetype line = 0; line < lines.size(); ++line)
      for (qsizetype column = 0; column < lines[line].size(); ++column)
        QCOMPARE(cell(model, 10 + int(line), pointer + int(column)), lines[line][column]);
    QVERIFY(model.pendingCells() > 0);
    model.discardPending();

    QList<QStringList> badLines = lines;
    badLines[1][2] = QStringLiteral("七千");
    QString bad;
    for (const QStringList &line : badLines)
      bad += line.join(u'\t') + u'\n';
    const QStringList refused = model.pasteBlock(10, pointer, bad);
    QCOMPARE(refused.size(), 1);
    QVERIFY2(refused[0].startsWith(QStringLiteral("（序号 11）“EN”列的“七千”")),
             qPrintable(refused[0]));
    QVERIFY(!model.hasPending());

    // A block that does not fit below the current cell is refused whole.
    QCOMPARE(model.pasteBlock(model.rowCount() - 1, pointer, block).size(), 1);
    QVERIFY(!model.hasPending());
  }

  // Copied whole columns come with their header, which a paste passes over again.
  void copiesWhatPastesBack() {
    SampleGame game;
    TableGridModel model(game.dir());
    model.load(*findTable(QStringLiteral("characters")), GameFileRef::plain(game.exePath()));
    const std::vector<int> columns{model.leadingColumns(), model.leadingColumns() + 1};
    std::vector<int> rows(size_t(model.rowCount()));
    std::iota(rows.begin(), rows.end(), 0);
    const QString copied = model.copyBlock(rows, columns, true, [](int, int) { return true; });
    QVERIFY(copied.startsWith(model.headerData(columns[0], Qt::Horizontal).toString() + u'\t'));
    QCOMPARE(copied.count(u'\n'), model.rowCount() + 1);
    QCOMPARE(model.pasteBlock(0, columns[0], copied), QStringList());
    QVERIFY(!model.hasPending());
  }

  void compareMarksExactlyTheFieldsDiffLists() {
    SampleGame game;
    const QByteArray original = game.exe();
    const QByteArray modified = scattered(game, GameFile::Exe, original);
    game.setExe(modified);
    compareMarksWhatDiffLists(game, GameFile::Exe, original, modified);

    const QByteArray stage = game.stage();
    const QByteArray changedStage = scattered(game, GameFile::Stage, stage);
    SampleGame::writeFile(game.stagePath(), changedStage);
    compareMarksWhatDiffLists(game, GameFile::Stage, stage, changedStage);
  }

  // After another writer, a pending cell stays when the file still holds what it
  // was typed over, and is dropped, with a line saying so, when not.
  void reloadKeepsOnlyPendingCellsTheFileStillBacks() {
    SampleGame game;
    TableGridModel model(game.dir());
    model.load(*findTable(QStringLiteral("units")), GameFileRef::plain(game.exePath()));
    const int hp = columnNamed(model, QStringLiteral("HP"));
    const int en = columnNamed(model, QStringLiteral("EN"));
    QCOMPARE(
        model.setCells({{3, hp, QStringLiteral("1111"), {}}, {3, en, QStringLiteral("22"), {}}}),
        QStringList());
    QCOMPARE(model.reload().changed, false);
    QCOMPARE(model.pendingCells(), 2);

    QByteArray exe = game.exe();
    exe[kUnitTable + 3 * kUnitSize + 8] =
        char(exe[kUnitTable + 3 * kUnitSize + 8] + 1); // HP, by another program
    game.setExe(exe);
    const TableGridModel::Reloaded reloaded = model.reload();
    QVERIFY(reloaded.changed);
    QCOMPARE(reloaded.dropped.size(), 1);
    QVERIFY2(reloaded.dropped[0].startsWith(QStringLiteral("（序号 3）“HP”：输入的 1111 没有写入")),
             qPrintable(reloaded.dropped[0]));
    QCOMPARE(cell(model, 3, hp), QString::number(dwordAt(exe, kUnitTable + 3 * kUnitSize + 8)));
    QCOMPARE(cell(model, 3, en), QStringLiteral("22"));
    QCOMPARE(model.pendingCells(), 1);
  }
};

QTEST_GUILESS_MAIN(TestTableGridModel)
#include "tst_table_grid_model.moc"
