// Dumps that went through LibreOffice Calc and Gnumeric import as no change, and
// what a spreadsheet makes of a cell either reads as the user meant it or is
// refused: never a byte the user did not edit.

#include "tests/tools/tool_harness.h"
#include "tools/korvane_tool/csv.h"
#include "tools/sample_data.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace korvane;
using namespace korvane::test;
using namespace korvane::tool;

namespace {

const QString kSpreadsheets = QStringLiteral(KORVANE_TEST_DATA "/spreadsheets");
const QStringList kPrograms{QStringLiteral("libreoffice"), QStringLiteral("gnumeric")};

// The sample executable with the hex values the spreadsheet files were made from.
void applyHexValues(const SampleGame &game) {
  const ToolRun run = runTool(game, [&](Tool &tool) {
    return tool.apply(GameFileRef::plain(game.exePath()),
                      kSpreadsheets + QStringLiteral("/hex_values.bps"));
  });
  QVERIFY2(run.status == kSuccess, qPrintable(run.err));
}

ToolRun importText(const SampleGame &game, const QString &table, const QByteArray &csv,
                   const QString &path = {}) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("t.csv"));
  SampleGame::writeFile(file, csv);
  const CatalogTable &catalog = *findTable(table);
  return runTool(game, [&](Tool &tool) {
    return tool.importCsv({GameFileRef::plain(path.isEmpty() ? gamePath(game, catalog) : path),
                           table,
                           file,
                           false,
                           {}});
  });
}

QList<QStringList> rowsOf(const QByteArray &csv) {
  QList<QStringList> rows;
  for (const CsvRow &row : parseCsv(csv).rows)
    rows << row.fields;
  return rows;
}

QByteArray csvBytes(const QList<QStringList> &rows) {
  QString text;
  for (const QStringList &row : rows)
    text += csvRow(row);
  return text.toUtf8();
}

QByteArray dumpOf(const SampleGame &game, const QString &table) {
  const ToolRun run = runTool(game, [&](Tool &tool) {
    return tool.dump(
        {GameFileRef::plain(gamePath(game, *findTable(table))), table, Format::Csv, false, {}, {}});
  });
  return run.out.toUtf8();
}

// The units dump with the cells of `column` (its bare name) in `row` (records
// from 0) replaced.
QByteArray unitsWith(const SampleGame &game,
                     const QList<std::tuple<int, QString, QString>> &cells) {
  QList<QStringList> rows = rowsOf(dumpOf(game, QStringLiteral("units")));
  const QStringList names = dumpNames(*findTable(QStringLiteral("units")));
  for (const auto &[row, column, text] : cells)
    rows[row + 1][names.indexOf(column)] = text;
  return csvBytes(rows);
}

// Every spreadsheet file of `folder` imports as no change, and one cell edited in
// each changes exactly that field's bytes.
void checkSpreadsheetFolder(const QString &folder) {
  for (const CatalogTable &table : tableCatalog()) {
    SampleGame game;
    applyHexValues(game);
    const QString path = gamePath(game, table);
    const QByteArray original = SampleGame::readFile(path);
    const QByteArray csv = SampleGame::readFile(QStringLiteral("%1/%2.csv").arg(folder, table.key));
    ToolRun run = importText(game, table.key, csv);
    QVERIFY2(run.status == kSuccess, qPrintable(folder + table.key + run.err));
    QVERIFY2(run.out.contains(QStringLiteral("没有写入任何内容")), qPrintable(run.out));
    QVERIFY(SampleGame::readFile(path) == original);

    // The first column of the middle record that takes another value.
    ListRows rows(game.dir());
    QList<QStringList> cells = rowsOf(csv);
    const size_t index = table.recordOffsets(rows).size() / 2;
    const qint64 start = table.recordOffsets(rows)[index];
    const qsizetype firstPart = cells[0].indexOf(QStringLiteral("名称")) + 1;
    qsizetype column = firstPart;
    bool edited = false;
    for (const Field &field : table.layout->fields)
      for (const FieldPart &part : field.parts) {
        const quint32 raw = fieldValueAt(QByteArrayView(original).sliced(start), field);
        const quint32 other = withPartValue(part, field, raw, partValue(part, field, raw) ^ 1);
        const QString text = partCellText(part, field, other, rows);
        if (!edited && parsePartValueText(part, field, raw, text, rows).raw == other) {
          edited = true;
          cells[qsizetype(index) + 1][column] = text;
          run = importText(game, table.key, csvBytes(cells));
          QVERIFY2(run.status == kSuccess, qPrintable(table.key + run.err));
          const QList<qint64> changed = differences(original, SampleGame::readFile(path));
          QVERIFY(!changed.isEmpty());
          for (qint64 at : changed)
            QVERIFY2(at >= start + field.offset && at < start + field.offset + field.width,
                     qPrintable(table.key));
        }
        ++column;
      }
    QVERIFY2(edited, qPrintable(table.key));
  }
}

} // namespace

class TestSpreadsheetImport : public QObject {
  Q_OBJECT

private slots:
  void spreadsheetFilesImportAsNoChange() {
    for (const QString &program : kPrograms)
      checkSpreadsheetFolder(kSpreadsheets + u'/' + program);
  }

  void spreadsheetsMadeAfreshImportAsNoChange() {
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("ssconvert")).isEmpty())
      QSKIP("LibreOffice Calc (soffice) or Gnumeric (ssconvert) is not installed.");
    QTemporaryDir out;
    QProcess make;
    make.start(kSpreadsheets + QStringLiteral("/make.sh"),
               {QFileInfo(QStringLiteral(KORVANE_TOOL_PATH)).absolutePath(), out.path()});
    QVERIFY(make.waitForFinished(600000));
    QVERIFY2(make.exitCode() == 0, make.readAllStandardError().constData());
    for (const QString &program : kPrograms)
      checkSpreadsheetFolder(out.filePath(program));
  }

  // A hex cell a spreadsheet read as a number: the old dump's 96E2 came back 9600,
  // 0023 came back 23. The dump now writes 0x96E2; bare digits that may be such a
  // rewrite are refused, naming what the file holds, and every one is listed.
  void hexThatASpreadsheetRewroteIsRefused() {
    SampleGame game;
    applyHexValues(game);
    const QString dump = QString::fromUtf8(dumpOf(game, QStringLiteral("units")));
    QVERIFY(dump.contains(QStringLiteral(",0x96E2,")));
    const QString pointer = QStringLiteral("名称指针");
    QList<std::tuple<int, QString, QString>> rewritten{{148, pointer, QStringLiteral("9600")},
                                                       {151, pointer, QStringLiteral("23")}};
    for (int row = 200; row < 260; ++row)
      rewritten.append({row, pointer, QStringLiteral("12")});
    const QByteArray before = game.exe();
    const ToolRun run = importText(game, QStringLiteral("units"), unitsWith(game, rewritten));
    QCOMPARE(run.status, int(kFailed));
    QVERIFY2(run.err.contains(QStringLiteral("文件中是 0x96E2，表格程序可能把它当成了数字 9600")),
             qPrintable(run.err));
    QVERIFY(run.err.contains(QStringLiteral("文件中是 0x0023，表格程序可能把它当成了数字 23")));
    QVERIFY(run.err.contains(QStringLiteral("CSV 文件有 62 处错误")));
    QCOMPARE(run.err.count(QStringLiteral("不能接受")), 50);
    QVERIFY(run.err.contains(QStringLiteral("另有 12 处错误")));
    QVERIFY(game.exe() == before);

    // Forms no spreadsheet makes out of another text are taken.
    const ToolRun taken = importText(game, QStringLiteral("units"),
                                     unitsWith(game, {{148, pointer, QStringLiteral("0x96e3")},
                                                      {149, pointer, QStringLiteral("1234")},
                                                      {150, pointer, QStringLiteral("0A1B")}}));
    QVERIFY2(taken.status == kSuccess, qPrintable(taken.err));
    QVERIFY(taken.out.contains(QStringLiteral("96E2 → 96E3")));
    QVERIFY(taken.out.contains(QStringLiteral("16E2 → 1234")));
    QVERIFY(taken.out.contains(QStringLiteral("38E2 → 0A1B")));
  }

  // A unit named 0012 comes back as 12, which is also unit 12's code.
  void digitsThatMayBeAListNameAreRefused() {
    SampleGame game;
    QStringList names = samples::unitNames();
    names[7] = QStringLiteral("0012");
    SampleGame::writeFile(game.listPath("unit.txt"), samples::encodeGbk(names));
    const QByteArray before = game.exe();
    const ToolRun run =
        importText(game, QStringLiteral("units"),
                   unitsWith(game, {{7, QStringLiteral("机体代码"), QStringLiteral("12")}}));
    QCOMPARE(run.status, int(kFailed));
    QVERIFY2(run.err.contains(QStringLiteral("列表中的“0012”")), qPrintable(run.err));
    QVERIFY(game.exe() == before);
  }

  void csvNotSavedAsUtf8IsNamed() {
    SampleGame game;
    QByteArray csv = dumpOf(game, QStringLiteral("units"));
    csv.replace(QStringLiteral("名称指针").toUtf8(), "????");
    const ToolRun run = importText(game, QStringLiteral("units"), csv);
    QCOMPARE(run.status, int(kFailed));
    QVERIFY2(run.err.contains(QStringLiteral("没有用 UTF-8 编码")) &&
                 run.err.contains(QStringLiteral("CSV UTF-8")),
             qPrintable(run.err));
  }

  // A header of the columns' stable keys (the JSON keys) imports as the captions
  // do, to the same bytes, so that a sheet keeps importing whatever a caption
  // becomes; a sheet may name some columns one way and some the other.
  void aHeaderOfKeysImportsAsCaptionsDo() {
    const QByteArray edited =
        unitsWith(SampleGame(), {{1, QStringLiteral("HP"), QStringLiteral("4321")},
                                 {2, QStringLiteral("HP"), QStringLiteral("17")},
                                 {3, QStringLiteral("机体装备"), QStringLiteral("盾装備")}});
    const QStringList keys = dumpKeys(*findTable(QStringLiteral("units")));
    QList<QStringList> keyed = rowsOf(edited);
    keyed[0] = keys;
    QList<QStringList> mixed = rowsOf(edited);
    for (qsizetype c = 0; c < keys.size(); c += 2)
      mixed[0][c] = keys[c];

    SampleGame byCaption;
    const QByteArray before = byCaption.exe();
    const ToolRun captioned = importText(byCaption, QStringLiteral("units"), edited);
    QVERIFY2(captioned.status == kSuccess, qPrintable(captioned.err));
    QVERIFY(byCaption.exe() != before);
    for (const QList<QStringList> &rows : {keyed, mixed}) {
      SampleGame byKey;
      const ToolRun run = importText(byKey, QStringLiteral("units"), csvBytes(rows));
      QVERIFY2(run.status == kSuccess, qPrintable(run.err));
      QCOMPARE(run.out, captioned.out);
      QVERIFY(byKey.exe() == byCaption.exe());
    }

    // Every table's header of keys reads as its dump.
    SampleGame game;
    for (const CatalogTable &table : tableCatalog()) {
      QList<QStringList> rows = rowsOf(dumpOf(game, table.key));
      rows[0] = dumpKeys(table);
      const ToolRun run = importText(game, table.key, csvBytes(rows));
      QVERIFY2(run.status == kSuccess, qPrintable(table.key + run.err));
      QVERIFY2(run.out.contains(QStringLiteral("没有写入任何内容")), qPrintable(run.out));
    }
  }

  // The header tells how hex cells are written; CSVs made before it said so, with
  // bare hex column names, still import, and a column named both ways is refused.
  void hexHeaderNoteIsOptionalOnImport() {
    SampleGame game;
    const QString noted = QStringLiteral("名称指针（0x十六进制，按文件字节顺序）");
    const QList<QStringList> dumped = rowsOf(dumpOf(game, QStringLiteral("units")));
    QVERIFY(dumped[0].contains(noted));
    QVERIFY(dumped[0].contains(QStringLiteral("HP")));
    const QByteArray before = game.exe();

    QList<QStringList> bare = dumped;
    bare[0] = dumpNames(*findTable(QStringLiteral("units")));
    const ToolRun old = importText(game, QStringLiteral("units"), csvBytes(bare));
    QVERIFY2(old.status == kSuccess, qPrintable(old.err));
    QVERIFY(old.out.contains(QStringLiteral("没有写入任何内容")));

    QList<QStringList> twice = dumped;
    twice[0][twice[0].indexOf(QStringLiteral("HP"))] = QStringLiteral("名称指针");
    const ToolRun refused = importText(game, QStringLiteral("units"), csvBytes(twice));
    QCOMPARE(refused.status, int(kFailed));
    QVERIFY2(refused.err.contains(QStringLiteral("“名称指针”列出现了两次")),
             qPrintable(refused.err));
    QVERIFY(game.exe() == before);
  }

  // What spreadsheets and hands write for a value: all read as meant.
  void spreadsheetFormsAreRead() {
    SampleGame game;
    QList<QStringList> rows = rowsOf(
        unitsWith(game, {{1, QStringLiteral("HP"), QStringLiteral("12.0")},
                         {2, QStringLiteral("HP"), QStringLiteral(" ２１７４６ ")},
                         {3, QStringLiteral("机体装备"), QStringLiteral("盾装備、 補給装置")},
                         {4, QStringLiteral("机体装备"), QStringLiteral("盾装備,補給装置")}}));
    for (QStringList &row : rows)
      row << QString();                             // an empty column to the right
    rows << QStringList(rows[0].size(), QString()); // a row of commas below
    QByteArray csv = csvBytes(rows);
    csv.replace("\r\n", "\r");
    const ToolRun run = importText(game, QStringLiteral("units"), csv);
    QVERIFY2(run.status == kSuccess, qPrintable(run.err));
    for (const char *change : {"机体0001 / HP: 32307 → 12", "机体0002 / HP: ", "→ 21746",
                               "机体0003 / 机体装备: ", "→ 盾装備、補給装置"})
      QVERIFY2(run.out.contains(QString::fromUtf8(change)), qPrintable(run.out + change));
    QCOMPARE(run.out.count(QStringLiteral("→ 盾装備、補給装置")), 2);

    // A list item typed without the trailing blank the list holds.
    QList<QStringList> pilots = rowsOf(dumpOf(game, QStringLiteral("characters")));
    const qsizetype skill = pilots[1].indexOf(QStringLiteral("援護攻撃 "));
    QVERIFY(skill > 0);
    pilots[2][skill] = QStringLiteral("援護攻撃");
    const ToolRun typed = importText(game, QStringLiteral("characters"), csvBytes(pilots));
    QVERIFY2(typed.status == kSuccess, qPrintable(typed.err));
    QCOMPARE(rowsOf(dumpOf(game, QStringLiteral("characters")))[2][skill],
             QStringLiteral("援護攻撃 "));

    const QByteArray before = game.exe();
    const ToolRun rounded =
        importText(game, QStringLiteral("units"),
                   unitsWith(game, {{1, QStringLiteral("HP"), QStringLiteral("2.17E+04")}}));
    QCOMPARE(rounded.status, int(kFailed));
    QVERIFY2(rounded.err.contains(QStringLiteral("四舍五入")), qPrintable(rounded.err));
    QVERIFY(game.exe() == before);
  }

  void jsonHoldsDecimalFieldsAsNumbers() {
    SampleGame game;
    const ToolRun run = runTool(game, [&](Tool &tool) {
      return tool.dump({GameFileRef::plain(game.exePath()),
                        QStringLiteral("units"),
                        Format::Json,
                        false,
                        {},
                        {}});
    });
    const QJsonObject unit = QJsonDocument::fromJson(run.out.toUtf8()).array()[0].toObject();
    // Keyed by the fields' stable names: "HP" is "Hp", "名称指针" "NamePointer".
    QVERIFY(unit.value(QStringLiteral("Hp")).isDouble());
    QCOMPARE(unit.value(QStringLiteral("Hp")).toInt(), 37525);
    QVERIFY(unit.value(QStringLiteral("NamePointer")).isString());
    QVERIFY(unit.value(QStringLiteral("Size")).isString());
  }

  // Unit 5's packed upgrade-range word all zeros lies outside its boxes' ranges;
  // the unchanged dump still imports, a changed cell is still checked.
  void unchangedCellsAreNeverRefused() {
    SampleGame game;
    ListRows rows(game.dir());
    const CatalogTable &units = *findTable(QStringLiteral("units"));
    for (const Field &field : units.layout->fields)
      if (field.parts.front().caption == QStringLiteral("HP(1023)"))
        game.patchExe(units.recordOffsets(rows)[5] + field.offset, QByteArray(field.width, 0));
    const QByteArray csv = dumpOf(game, QStringLiteral("units"));
    const QByteArray before = game.exe();
    const ToolRun run = importText(game, QStringLiteral("units"), csv);
    QVERIFY2(run.status == kSuccess, qPrintable(run.err));
    QVERIFY(game.exe() == before);
    const ToolRun changed =
        importText(game, QStringLiteral("units"),
                   unitsWith(game, {{5, QStringLiteral("HP(1023)"), QStringLiteral("1024")}}));
    QCOMPARE(changed.status, int(kFailed));
  }

  // A stage line that cannot be used is reported, and the records of the other
  // stages keep their names: stage and number, not a running index.
  void droppedStageNeverShiftsRecords() {
    SampleGame game;
    const QByteArray csv = dumpOf(game, QStringLiteral("enemies"));
    const QString offsets = game.listPath("data/zcoffset.txt");
    QStringList lines = samples::enemyStages().offsetLines;
    lines[0] = QStringLiteral("G00，5");
    SampleGame::writeFile(offsets, samples::encodeGbk(lines));
    const ToolRun dump = runTool(game, [&](Tool &tool) {
      return tool.dump({GameFileRef::plain(game.stagePath()),
                        QStringLiteral("enemies"),
                        Format::Csv,
                        false,
                        {},
                        {}});
    });
    QVERIFY2(dump.err.contains(QStringLiteral("第 1 行")), qPrintable(dump.err));
    QVERIFY(dump.out.startsWith(QStringLiteral("\"关卡\",记录,名称,")));
    QVERIFY(dump.out.contains(QStringLiteral("\r\n1,1,敌军关卡001 / 机体1,")));

    // The old dump, with stage 0 still in it, no longer lines up: refused.
    const QByteArray before = game.stage();
    const ToolRun stale = importText(game, QStringLiteral("enemies"), csv);
    QCOMPARE(stale.status, int(kFailed));
    QVERIFY(game.stage() == before);
    const ToolRun fresh = importText(game, QStringLiteral("enemies"), dump.out.toUtf8());
    QVERIFY2(fresh.status == kSuccess, qPrintable(fresh.err));
  }

  void aJsonDumpIsNamedAsJson() {
    SampleGame game;
    const ToolRun dump = runTool(game, [&](Tool &tool) {
      return tool.dump({GameFileRef::plain(game.exePath()),
                        QStringLiteral("units"),
                        Format::Json,
                        false,
                        {},
                        {}});
    });
    QCOMPARE(dump.status, int(kSuccess));
    const QByteArray before = game.exe();
    const ToolRun run = importText(game, QStringLiteral("units"), dump.out.toUtf8());
    QCOMPARE(run.status, int(kFailed));
    QVERIFY2(run.err.contains(QStringLiteral("是 JSON 文件")), qPrintable(run.err));
    QVERIFY(game.exe() == before);
  }

  // Two stage lines naming one block: a field both rows change is refused,
  // naming both rows, and nothing is written.
  void oneFieldWrittenByTwoRowsIsRefused() {
    SampleGame game;
    QStringList lines = samples::enemyStages().offsetLines;
    lines[1] = lines[0];
    SampleGame::writeFile(game.listPath("data/zcoffset.txt"), samples::encodeGbk(lines));
    QList<QStringList> rows = rowsOf(dumpOf(game, QStringLiteral("enemies")));
    const qsizetype level = rows[0].indexOf(QStringLiteral("机师LV"));
    QVERIFY(level > 0);
    qsizetype first = -1;
    qsizetype second = -1;
    for (qsizetype r = 1; r < rows.size(); ++r) {
      if (first < 0 && rows[r][0] == u"0")
        first = r;
      if (second < 0 && rows[r][0] == u"1")
        second = r;
    }
    QVERIFY(first > 0 && second > 0);
    QCOMPARE(rows[first].mid(level), rows[second].mid(level));
    rows[first][level] = QStringLiteral("5");
    rows[second][level] = QStringLiteral("6");
    const QByteArray before = game.stage();
    const ToolRun run = importText(game, QStringLiteral("enemies"), csvBytes(rows));
    QCOMPARE(run.status, int(kFailed));
    QVERIFY2(run.err.contains(QStringLiteral("第 %1 行").arg(second + 1)) &&
                 run.err.contains(QStringLiteral("和第 %1 行写入的是文件中同一处").arg(first + 1)),
             qPrintable(run.err));
    QVERIFY(game.stage() == before);
  }

  // Cells are read whole: nothing after a NUL, nothing after a closing quote, and
  // a long bad cell is quoted short.
  void cellsAreCheckedWhole() {
    SampleGame game;
    const QString junk = QStringLiteral("1") + QChar(0) + QStringLiteral("junk");
    for (const QString &column : {QStringLiteral("序号"), QStringLiteral("机体代码"),
                                  QStringLiteral("大小"), QStringLiteral("机体装备")}) {
      const ToolRun run =
          importText(game, QStringLiteral("units"), unitsWith(game, {{3, column, junk}}));
      QVERIFY2(run.status == kFailed, qPrintable(column));
    }
    const ToolRun quoted =
        importText(game, QStringLiteral("units"),
                   dumpOf(game, QStringLiteral("units")).replace(",37525,", ",\"12\"3,"));
    QCOMPARE(quoted.status, int(kFailed));
    QVERIFY(quoted.err.contains(QStringLiteral("结束的引号后面还有文字")));
    const ToolRun huge =
        importText(game, QStringLiteral("units"),
                   unitsWith(game, {{3, QStringLiteral("HP"), QString(100000, u'x')}}));
    QCOMPARE(huge.status, int(kFailed));
    QVERIFY(huge.err.size() < 2000);
  }
};

QTEST_GUILESS_MAIN(TestSpreadsheetImport)
#include "tst_spreadsheet_import.moc"
