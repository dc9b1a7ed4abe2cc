// korvane-tool's commands on the sample game: every table dumps and imports back
// unchanged, an edited cell becomes exactly one change, a bad CSV writes nothing,
// and diff names exactly the edits made.

#include "tests/support/read_only_file.h"
#include "tests/tools/tool_harness.h"
#include "tools/korvane_tool/csv.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace korvane;
using namespace korvane::test;
using namespace korvane::tool;

namespace {

constexpr qint64 kUnitTable = 0x2BE710;
constexpr int kUnitSize = 732;
constexpr qint64 kCharacterTable = 0x29D400;
constexpr int kCharacterSize = 184;

void putWord(QByteArray &bytes, qint64 offset, quint32 value) {
  bytes[offset] = char(value & 0xFF);
  bytes[offset + 1] = char((value >> 8) & 0xFF);
}

struct ExpectedChange {
  QString caption;
  QString after;
};

// Another text for the part that reads back as the value it stands for; `raw`
// becomes that value. Empty when the part takes no other value.
std::optional<QString> anotherText(const FieldPart &part, const Field &field, quint32 &raw,
                                   ListRows &rows) {
  const QString old = partValueText(part, field, raw, rows);
  const quint32 value = partValue(part, field, raw);
  for (quint32 step = 1; step < 300; ++step) {
    const quint32 candidate = withPartValue(part, field, raw, value + step);
    const QString text = partValueText(part, field, candidate, rows);
    const ParsedValue parsed = parsePartValueText(part, field, raw, text, rows);
    if (text != old && parsed.raw && *parsed.raw == candidate) {
      raw = candidate;
      return text;
    }
  }
  return std::nullopt;
}

} // namespace

class TestKorvaneTool : public QObject {
  Q_OBJECT

private slots:
  void tablesListsEveryCatalogTable() {
    SampleGame game;
    const ToolRun run = runTool(game, [](Tool &tool) { return tool.tables(); });
    QCOMPARE(run.status, int(kSuccess));
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), qsizetype(tableCatalog().size()) + 1);
    QCOMPARE(lines[1], QStringLiteral("units\t机体&武器\tSLPS_255.37\t837"));
    QVERIFY(lines.contains(QStringLiteral("weapons\t机体&武器\tSLPS_255.37\t15066")));
  }

  // Every table: the dump imports back writing nothing; CSV and JSON hold the
  // same records; an edit of every cell of one record becomes exactly those
  // changes, and diff lists the same lines the import printed.
  void everyTableRoundTripsAndTakesItsEdits() {
    SampleGame game;
    QTemporaryDir out;
    ListRows rows(game.dir());
    for (const CatalogTable &table : tableCatalog()) {
      const QString path = gamePath(game, table);
      const QByteArray original = SampleGame::readFile(path);
      const QString csv = out.filePath(table.key + QStringLiteral(".csv"));
      QCOMPARE(dumpTable(game, path, table.key, csv), int(kSuccess));
      ToolRun run = runTool(game, [&](Tool &tool) {
        return tool.importCsv({GameFileRef::plain(path), table.key, csv, false, {}});
      });
      QVERIFY2(run.status == kSuccess, qPrintable(table.key + run.err));
      QVERIFY(SampleGame::readFile(path) == original);

      const std::vector<qint64> offsets = table.recordOffsets(rows);
      QList<QStringList> cells = csvRows(csv);
      QCOMPARE(cells.size(), qsizetype(offsets.size()) + 1);
      QCOMPARE(cells.front(), dumpColumns(table));

      const QString json = out.filePath(table.key + QStringLiteral(".json"));
      QCOMPARE(runTool(game,
                       [&](Tool &tool) {
                         return tool.dump(
                             {GameFileRef::plain(path), table.key, Format::Json, false, json, {}});
                       })
                   .status,
               int(kSuccess));
      const QJsonArray records = QJsonDocument::fromJson(SampleGame::readFile(json)).array();
      QCOMPARE(records.size(), qsizetype(offsets.size()));
      const QJsonObject last = records.last().toObject();
      const qsizetype nameColumn = cells.front().indexOf(QStringLiteral("名称"));
      if (nameColumn == 1)
        QCOMPARE(last.value(QStringLiteral("序号")).toInt(), int(offsets.size()) - 1);
      // Decimal values are JSON numbers, the rest strings; both read as the CSV does.
      // Keys are the columns' stable keys, one per column.
      const QStringList keys = dumpKeys(table);
      QCOMPARE(keys.size(), cells.front().size());
      for (qsizetype c = 0; c < keys.size(); ++c)
        QCOMPARE(last.value(keys[c]).toVariant().toString(), cells.last()[c]);

      // Every cell of the middle record takes another value the window could show.
      const size_t index = offsets.size() / 2;
      QStringList &record = cells[qsizetype(index) + 1];
      std::vector<ExpectedChange> expected;
      qsizetype column = nameColumn + 1;
      for (const Field &field : table.layout->fields) {
        quint32 raw = fieldValueAt(QByteArrayView(original).sliced(offsets[index]), field);
        for (const FieldPart &part : field.parts) {
          if (const std::optional<QString> text = anotherText(part, field, raw, rows)) {
            record[column] = *text;
            expected.push_back({part.caption, *text});
          }
          ++column;
        }
      }
      QVERIFY(!expected.empty());
      writeText(csv, csvText(cells));
      run = runTool(game, [&](Tool &tool) {
        return tool.importCsv({GameFileRef::plain(path), table.key, csv, false, {}});
      });
      QVERIFY2(run.status == kSuccess, qPrintable(table.key + run.err));
      const QByteArray edited = SampleGame::readFile(path);
      const ChangeList changes = describeChanges(table.file, 0, original, edited, rows);
      QVERIFY2(changes.unnamed.empty(), qPrintable(table.key));
      QCOMPARE(changes.fields.size(), expected.size());
      for (size_t i = 0; i < expected.size(); ++i) {
        QCOMPARE(changes.fields[i].table, &table);
        QCOMPARE(changes.fields[i].record, int(index));
        QCOMPARE(changes.fields[i].part->caption, expected[i].caption);
        QCOMPARE(changes.fields[i].after, expected[i].after);
      }

      // The import printed its changes as diff prints them.
      const QString before = out.filePath(QStringLiteral("before"));
      SampleGame::writeFile(before, original);
      const ToolRun diff = runTool(game, [&](Tool &tool) {
        return tool.diff(
            {GameFileRef::plain(before), GameFileRef::plain(path), Format::Text, table.file});
      });
      QCOMPARE(diff.status, int(kDiffers));
      QVERIFY2(run.out.startsWith(diff.out), qPrintable(run.out + u'\n' + diff.out));
      SampleGame::writeFile(path, original);
    }
  }

  void diffListsExactlyTheEdits() {
    SampleGame game;
    QTemporaryDir dir;
    const QByteArray original = game.exe();
    QByteArray modified = original;
    const qint64 unit12 = kUnitTable + qint64(kUnitSize) * 12;
    const quint32 hp = dwordAt(original, unit12 + 8);
    putWord(modified, unit12 + 8, (hp & 0xFFFF) ^ 0x0100);
    const qint64 attack = kUnitTable + qint64(kUnitSize) * 5 + 84 + 36 * 2 + 10;
    const quint32 oldAttack = wordAt(original, attack);
    putWord(modified, attack, 4200);
    // Bytes 2 to 71 of a character are shown nowhere.
    const qint64 hidden = kCharacterTable + kCharacterSize * 3 + 10;
    modified[hidden] = char(0x5A);
    modified[hidden + 1] = char(0xA5);
    const QString originalPath = dir.filePath(QStringLiteral("SLPS_255.37"));
    const QString modifiedPath = dir.filePath(QStringLiteral("SLPS_255.37.mod"));
    SampleGame::writeFile(originalPath, original);
    SampleGame::writeFile(modifiedPath, modified);

    const ToolRun run = runTool(game, [&](Tool &tool) {
      return tool.diff(
          {GameFileRef::plain(originalPath), GameFileRef::plain(modifiedPath), Format::Text, {}});
    });
    QCOMPARE(run.status, int(kDiffers));
    const quint32 newHp = (hp & 0xFFFF0000) | ((hp & 0xFFFF) ^ 0x0100);
    // Grouped by table in the catalog's order: units, then weapons, then the rest.
    const QStringList expected{
        QStringLiteral("机体&武器 / 机体0012 / HP: %1 → %2").arg(qint32(hp)).arg(qint32(newHp)),
        QStringLiteral("机体&武器 / 机体0005 / 武器3 / 攻击力: %1 → 4200").arg(oldAttack),
        QStringLiteral("表格之外 / 0x%1 起 2 字节: %2 → 5A A5")
            .arg(QString::number(hidden, 16).toUpper(),
                 QString::fromLatin1(original.mid(hidden, 2).toHex(' ').toUpper())),
    };
    QCOMPARE(run.out.split(u'\n', Qt::SkipEmptyParts), expected);

    const ToolRun csv = runTool(game, [&](Tool &tool) {
      return tool.diff(
          {GameFileRef::plain(originalPath), GameFileRef::plain(modifiedPath), Format::Csv, {}});
    });
    QCOMPARE(csv.status, int(kDiffers));
    const CsvTable table = parseCsv(csv.out.toUtf8());
    QCOMPARE(table.rows.size(), size_t(4));
    QCOMPARE(table.rows[0].fields.join(u','), QStringLiteral("表格,表名,序号,记录,栏位,原值,新值"));
    const ToolRun json = runTool(game, [&](Tool &tool) {
      return tool.diff(
          {GameFileRef::plain(originalPath), GameFileRef::plain(modifiedPath), Format::Json, {}});
    });
    const QJsonArray entries = QJsonDocument::fromJson(json.out.toUtf8()).array();
    QCOMPARE(entries.size(), 3);
    QCOMPARE(entries[0].toObject().value(QStringLiteral("序号")).toInt(), 12);
    QCOMPARE(entries[0].toObject().value(QStringLiteral("新值")).toString(),
             QString::number(qint32(newHp)));

    for (const QString &path : {game.exePath(), game.stagePath()}) {
      const ToolRun same = runTool(game, [&](Tool &tool) {
        return tool.diff({GameFileRef::plain(path), GameFileRef::plain(path), Format::Text, {}});
      });
      QCOMPARE(same.status, int(kSuccess));
      QVERIFY(same.out.isEmpty());
    }
  }

  void diffRefusesFilesThatAreNotTheGameFile() {
    SampleGame game;
    QTemporaryDir dir;
    const QString small = dir.filePath(QStringLiteral("SLPS_255.37"));
    SampleGame::writeFile(small, game.exe().left(0x2BE710));
    const ToolRun run = runTool(game, [&](Tool &tool) {
      return tool.diff(
          {GameFileRef::plain(small), GameFileRef::plain(game.exePath()), Format::Text, {}});
    });
    QCOMPARE(run.status, int(kFailed));
    QVERIFY2(run.err.contains(QStringLiteral("容纳不下")), qPrintable(run.err));
    // A longer file differs even where the bytes they share are equal.
    const QString longer = dir.filePath(QStringLiteral("longer.37"));
    SampleGame::writeFile(longer, game.exe() + QByteArray(4, '\0'));
    const ToolRun grown = runTool(game, [&](Tool &tool) {
      return tool.diff(
          {GameFileRef::plain(game.exePath()), GameFileRef::plain(longer), Format::Text, {}});
    });
    QCOMPARE(grown.status, int(kDiffers));
    QVERIFY(grown.out.contains(QStringLiteral("文件长度不同")));

    const ToolRun missing = runTool(game, [&](Tool &tool) {
      return tool.diff({GameFileRef::plain(game.exePath()),
                        GameFileRef::plain(dir.filePath(QStringLiteral("nothing"))),
                        Format::Text,
                        {}});
    });
    QCOMPARE(missing.status, int(kFailed));
    QVERIFY(missing.err.contains(QStringLiteral("无法打开文件")));
  }

  // Each bad CSV also carries a good edit in row 1: nothing at all may be written.
  void badCsvIsRefusedAndNothingIsWritten_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("wrong header") << 0 << QStringLiteral("不是表格 units 的列");
    QTest::newRow("unknown column") << 1 << QStringLiteral("“HQ”不是表格 units 的列");
    QTest::newRow("missing column") << 2 << QStringLiteral("缺少“HP”列");
    QTest::newRow("bad cell") << 3 << QStringLiteral("第 7 行：（序号 5）“HP”列的“abc”");
    QTest::newRow("out of range") << 4 << QStringLiteral("“强化芯片”列的“256”");
    QTest::newRow("unknown list text") << 5 << QStringLiteral("“大小”列的“XXL”");
    QTest::newRow("too few rows") << 6 << QStringLiteral("836 行记录");
    QTest::newRow("too many rows") << 7 << QStringLiteral("838 行记录");
    QTest::newRow("index twice") << 8 << QStringLiteral("序号 2 的记录出现了两次");
    QTest::newRow("short row") << 9 << QStringLiteral("第 4 行：有 3 列");
    QTest::newRow("open quote") << 10 << QStringLiteral("引号没有结束");
    QTest::newRow("bad index") << 11 << QStringLiteral("“序号”应为 0 到 836");
    // 0012 read by a spreadsheet as the number 12 would be stored as 12 00.
    QTest::newRow("hex lost its zeros") << 12 << QStringLiteral("正好 4 位十六进制数");
  }

  void badCsvIsRefusedAndNothingIsWritten() {
    QFETCH(int, kind);
    QFETCH(QString, message);
    SampleGame game;
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("units.csv"));
    QCOMPARE(dumpTable(game, game.exePath(), QStringLiteral("units"), csv), int(kSuccess));
    QList<QStringList> rows = csvRows(csv);
    const qsizetype hp = rows[0].indexOf(QStringLiteral("HP"));
    rows[1][hp] = QStringLiteral("1234"); // the good edit
    switch (kind) {
    case 0:
      rows[0] = QStringList{QStringLiteral("a"), QStringLiteral("b")};
      break;
    case 1:
      rows[0][hp] = QStringLiteral("HQ");
      break;
    case 2:
      for (QStringList &row : rows)
        row.removeAt(hp);
      break;
    case 3:
      rows[6][hp] = QStringLiteral("abc");
      break;
    case 4:
      rows[6][rows[0].indexOf(QStringLiteral("强化芯片"))] = QStringLiteral("256");
      break;
    case 5:
      rows[6][rows[0].indexOf(QStringLiteral("大小"))] = QStringLiteral("XXL");
      break;
    case 6:
      rows.removeLast();
      break;
    case 7:
      rows.append(rows.last());
      break;
    case 8:
      rows[4][0] = QStringLiteral("2");
      break;
    case 9:
      rows[3] = rows[3].mid(0, 3);
      break;
    case 11:
      rows[3][0] = QStringLiteral("837");
      break;
    case 12:
      rows[6][rows[0].indexOf(QStringLiteral("名称指针（0x十六进制，按文件字节顺序）"))] =
          QStringLiteral("12");
      break;
    }
    QString text = csvText(rows);
    if (kind == 10)
      text += QStringLiteral("\"unclosed");
    writeText(csv, text);
    const QByteArray before = game.exe();
    const ToolRun run = runTool(game, [&](Tool &tool) {
      return tool.importCsv(
          {GameFileRef::plain(game.exePath()), QStringLiteral("units"), csv, false, {}});
    });
    QCOMPARE(run.status, int(kFailed));
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(run.err.contains(QStringLiteral("没有写入任何内容")));
    QVERIFY(game.exe() == before);
  }

  // The dry run prints the change and writes nothing; a spreadsheet's BOM, CRLF,
  // codes for list rows and rows in another order are all taken.
  void importTakesSpreadsheetForms() {
    SampleGame game;
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("units.csv"));
    QCOMPARE(dumpTable(game, game.exePath(), QStringLiteral("units"), csv, true), int(kSuccess));
    QVERIFY(SampleGame::readFile(csv).startsWith("\xEF\xBB\xBF"));
    QList<QStringList> rows = csvRows(csv);
    const qsizetype size = rows[0].indexOf(QStringLiteral("大小"));
    rows[1][size] =
        rows[1][size] == QLatin1String("SS") ? QStringLiteral("5") : QStringLiteral("0");
    std::swap(rows[2], rows[3]);
    writeText(csv, QChar(0xFEFF) + csvText(rows));
    const QByteArray before = game.exe();

    ToolRun run = runTool(game, [&](Tool &tool) {
      return tool.importCsv(
          {GameFileRef::plain(game.exePath()), QStringLiteral("units"), csv, true, {}});
    });
    QCOMPARE(run.status, int(kSuccess));
    QVERIFY2(run.out.startsWith(QStringLiteral("机体&武器 / 机体0000 / 大小: ")),
             qPrintable(run.out));
    QVERIFY(run.out.contains(QStringLiteral("试运行")));
    QVERIFY(game.exe() == before);

    run = runTool(game, [&](Tool &tool) {
      return tool.importCsv(
          {GameFileRef::plain(game.exePath()), QStringLiteral("units"), csv, false, {}});
    });
    QCOMPARE(run.status, int(kSuccess));
    const QList<qint64> changed = differences(before, game.exe());
    QCOMPARE(changed, QList<qint64>{kUnitTable + 20});
  }

  void refusalsOfTheEditorHoldForTheTool() {
    SampleGame game;
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("units.csv"));
    QCOMPARE(dumpTable(game, game.exePath(), QStringLiteral("units"), csv), int(kSuccess));
    const QString shortFile = dir.filePath(QStringLiteral("short.37"));
    SampleGame::writeFile(shortFile, game.exe().left(0x300000));
    ToolRun run = runTool(game, [&](Tool &tool) {
      return tool.importCsv(
          {GameFileRef::plain(shortFile), QStringLiteral("units"), csv, false, {}});
    });
    QCOMPARE(run.status, int(kFailed));
    QVERIFY2(run.err.contains(QStringLiteral("容纳不下机体数据")), qPrintable(run.err));
    run = runTool(game, [&](Tool &tool) {
      return tool.dump(
          {GameFileRef::plain(shortFile), QStringLiteral("units"), Format::Csv, false, {}, {}});
    });
    QCOMPARE(run.status, int(kFailed));
    QVERIFY(run.out.isEmpty());

    run = runTool(game, [&](Tool &tool) {
      return tool.importCsv({GameFileRef::plain(dir.filePath(QStringLiteral("missing"))),
                             QStringLiteral("units"),
                             csv,
                             false,
                             {}});
    });
    QCOMPARE(run.status, int(kFailed));
    QVERIFY(run.err.contains(QStringLiteral("无法以读写方式打开文件")));

    run = runTool(game, [&](Tool &tool) {
      return tool.dump({GameFileRef::plain(game.exePath()),
                        QStringLiteral("nothing"),
                        Format::Csv,
                        false,
                        {},
                        {}});
    });
    QCOMPARE(run.status, int(kFailed));
    QVERIFY(run.err.contains(QStringLiteral("units")));

    // A dump never overwrites the game file it reads.
    const QByteArray before = game.exe();
    run = runTool(game, [&](Tool &tool) {
      return tool.dump({GameFileRef::plain(game.exePath()),
                        QStringLiteral("units"),
                        Format::Csv,
                        false,
                        game.exePath(),
                        {}});
    });
    QCOMPARE(run.status, int(kFailed));
    QVERIFY(game.exe() == before);

    const ReadOnlyFile readOnly(game.exePath());
    if (readOnly.ok()) {
      run = runTool(game, [&](Tool &tool) {
        return tool.importCsv(
            {GameFileRef::plain(game.exePath()), QStringLiteral("units"), csv, false, {}});
      });
      QCOMPARE(run.status, int(kFailed));
      QVERIFY(run.err.contains(QStringLiteral("无法以读写方式打开文件")));
    }
  }

  // A table's offsets mean something only in the file that holds it: the stage
  // tables are never dumped from or imported into the executable, nor the other way.
  void aTableOfTheOtherGameFileIsRefused() {
    SampleGame game;
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("enemies.csv"));
    QCOMPARE(dumpTable(game, game.stagePath(), QStringLiteral("enemies"), csv), int(kSuccess));
    const QByteArray exe = game.exe();
    ToolRun run = runTool(game, [&](Tool &tool) {
      return tool.importCsv(
          {GameFileRef::plain(game.exePath()), QStringLiteral("enemies"), csv, false, {}});
    });
    QCOMPARE(run.status, int(kFailed));
    QVERIFY2(run.err.contains(QStringLiteral("stage.bin")), qPrintable(run.err));
    QVERIFY(run.err.contains(QStringLiteral("没有写入任何内容")));
    QVERIFY(game.exe() == exe);

    run = runTool(game, [&](Tool &tool) {
      return tool.dump({GameFileRef::plain(game.exePath()),
                        QStringLiteral("enemies"),
                        Format::Csv,
                        false,
                        {},
                        {}});
    });
    QCOMPARE(run.status, int(kFailed));
    QVERIFY(run.out.isEmpty());

    // Told which file it is, a copy under any name takes its own tables.
    const QString copy = dir.filePath(QStringLiteral("copy.dat"));
    QVERIFY(QFile::copy(game.stagePath(), copy));
    run = runTool(game, [&](Tool &tool) {
      return tool.importCsv(
          {GameFileRef::plain(copy), QStringLiteral("enemies"), csv, false, GameFile::Stage});
    });
    QVERIFY2(run.status == kSuccess, qPrintable(run.err));
    QVERIFY(SampleGame::readFile(copy) == game.stage());
  }

  void dumpAllWritesOneFilePerTableOfTheFile() {
    SampleGame game;
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("tables"));
    const ToolRun run = runTool(game, [&](Tool &tool) {
      return tool.dump({GameFileRef::plain(game.exePath()),
                        QStringLiteral("all"),
                        Format::Csv,
                        false,
                        folder,
                        {}});
    });
    QCOMPARE(run.status, int(kSuccess));
    QStringList expected;
    for (const CatalogTable &table : tableCatalog())
      if (table.file == GameFile::Exe)
        expected << table.key + QStringLiteral(".csv");
    expected.sort();
    QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name), expected);
  }

  void patchMadeAndAppliedReproducesTheModifiedFile() {
    SampleGame game;
    QTemporaryDir dir;
    const QByteArray original = game.exe();
    QByteArray modified = original;
    putWord(modified, kUnitTable + 8, 0x4242);
    modified.replace(0x100000, 40, QByteArray(40, '\x7E')); // a run
    for (qint64 i = 0x200000; i < 0x200000 + 0x12345; ++i)  // longer than a record
      modified[i] = char(~modified[i]);
    modified[modified.size() - 1] = char(~modified[modified.size() - 1]);
    const QString modifiedPath = dir.filePath(QStringLiteral("modified.37"));
    SampleGame::writeFile(modifiedPath, modified);
    const QString ips = dir.filePath(QStringLiteral("mod.ips"));
    ToolRun run = runTool(game, [&](Tool &tool) {
      return tool.patch(GameFileRef::plain(game.exePath()), GameFileRef::plain(modifiedPath), ips);
    });
    QCOMPARE(run.status, int(kSuccess));
    run = runTool(game,
                  [&](Tool &tool) { return tool.apply(GameFileRef::plain(game.exePath()), ips); });
    QCOMPARE(run.status, int(kSuccess));
    QVERIFY(game.exe() == modified);

    // Equal files give a patch that changes nothing.
    run = runTool(game, [&](Tool &tool) {
      return tool.patch(GameFileRef::plain(modifiedPath), GameFileRef::plain(modifiedPath), ips);
    });
    QCOMPARE(run.status, int(kSuccess));
    QCOMPARE(SampleGame::readFile(ips), QByteArray("PATCHEOF"));

    // Neither input is ever the output.
    run = runTool(game, [&](Tool &tool) {
      return tool.patch(GameFileRef::plain(game.exePath()), GameFileRef::plain(modifiedPath),
                        modifiedPath);
    });
    QCOMPARE(run.status, int(kFailed));
    QVERIFY(SampleGame::readFile(modifiedPath) == modified);
  }

  void applyRefusesWhatDoesNotFitAndWritesNothing() {
    SampleGame game;
    QTemporaryDir dir;
    const QByteArray before = game.exe();
    const qint64 last = before.size() - 1;
    // One record inside the file, then one that runs past its end.
    QByteArray patch("PATCH");
    patch += QByteArray::fromHex("00000100020102");
    patch += char(last >> 16);
    patch += char(last >> 8);
    patch += char(last);
    patch += QByteArray::fromHex("0002AABB");
    patch += "EOF";
    const QString ips = dir.filePath(QStringLiteral("mod.ips"));
    SampleGame::writeFile(ips, patch);
    ToolRun run = runTool(
        game, [&](Tool &tool) { return tool.apply(GameFileRef::plain(game.exePath()), ips); });
    QCOMPARE(run.status, int(kFailed));
    QVERIFY2(run.err.contains(QStringLiteral("超出了文件")), qPrintable(run.err));
    QVERIFY(game.exe() == before);

    SampleGame::writeFile(ips, QByteArray("PATCH") + QByteArray::fromHex("0000010002"));
    run = runTool(game,
                  [&](Tool &tool) { return tool.apply(GameFileRef::plain(game.exePath()), ips); });
    QCOMPARE(run.status, int(kFailed));
    QVERIFY(run.err.contains(QStringLiteral("补丁文件无效")));
    QVERIFY(game.exe() == before);

    const QString larger = dir.filePath(QStringLiteral("larger.37"));
    SampleGame::writeFile(larger, before + QByteArray(16, '\0'));
    run = runTool(game, [&](Tool &tool) {
      return tool.patch(GameFileRef::plain(game.exePath()), GameFileRef::plain(larger), ips);
    });
    QCOMPARE(run.status, int(kFailed));
    QVERIFY(run.err.contains(QStringLiteral("长度不同")));
  }
};

QTEST_GUILESS_MAIN(TestKorvaneTool)
#include "tst_korvane_tool.moc"
