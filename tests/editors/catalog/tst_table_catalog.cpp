// The catalog names every stored value the way its window shows it: the change
// history and the command-line tools print and read values through it.

#include "editors/catalog/table_catalog.h"
#include "editors/catalog/table_columns.h"
#include "tests/support/sample_game.h"

#include <QHash>
#include <QSet>
#include <QTest>

using namespace korvane;
using namespace korvane::test;

namespace {

constexpr qint64 kUnitTable = 0x2BE710;
constexpr int kUnitSize = 732;
constexpr qint64 kCharacterTable = 0x29D400;
constexpr int kCharacterSize = 184;

void putWord(QByteArray &bytes, qint64 offset, quint16 value) {
  bytes[offset] = char(value & 0xFF);
  bytes[offset + 1] = char(value >> 8);
}

QStringList lines(const ChangeList &changes) {
  QStringList result;
  for (const FieldChange &change : changes.fields)
    result << QStringLiteral("%1 / %2 / %3: %4 → %5")
                  .arg(change.table->section, change.recordName, changeCaption(change),
                       change.before, change.after);
  for (const ByteRange &range : changes.unnamed)
    result << QStringLiteral("%1..%2").arg(range.start, 0, 16).arg(range.end, 0, 16);
  return result;
}

} // namespace

class TestTableCatalog : public QObject {
  Q_OBJECT

private slots:
  void keysAreUniqueAndTablesLieInsideTheirFile() {
    SampleGame game;
    ListRows rows;
    QStringList keys;
    for (const CatalogTable &table : tableCatalog()) {
      QVERIFY2(!keys.contains(table.key), qPrintable(table.key));
      keys << table.key;
      const qint64 fileSize = table.file == GameFile::Exe ? game.exe().size() : game.stage().size();
      const std::vector<qint64> offsets = table.recordOffsets(rows);
      QVERIFY(!offsets.empty());
      for (qint64 offset : offsets)
        QVERIFY2(offset >= 0 && offset + table.layout->recordSize <= fileSize,
                 qPrintable(table.key));
    }
    QVERIFY(findTable(QStringLiteral("units")));
    QVERIFY(!findTable(QStringLiteral("nothing")));
  }

  // Every shown part of the first, a middle and the last record of every table
  // reads back from its own text unchanged.
  void everyPartReadsBackFromItsText() {
    SampleGame game;
    const QByteArray exe = game.exe();
    const QByteArray stage = game.stage();
    ListRows rows;
    for (const CatalogTable &table : tableCatalog()) {
      const QByteArray &bytes = table.file == GameFile::Exe ? exe : stage;
      const std::vector<qint64> offsets = table.recordOffsets(rows);
      for (size_t index : {size_t(0), offsets.size() / 2, offsets.size() - 1}) {
        for (const Field &field : table.layout->fields) {
          const quint32 raw = fieldValueAt(QByteArrayView(bytes).sliced(offsets[index]), field);
          for (const FieldPart &part : field.parts) {
            const QString text = partValueText(part, field, raw, rows);
            const ParsedValue parsed = parsePartValueText(part, field, raw, text, rows);
            QVERIFY2(
                parsed.raw && *parsed.raw == raw,
                qPrintable(table.key + u' ' + part.caption + u' ' + text + u' ' + parsed.error));
          }
        }
      }
    }
  }

  // A sheet names each column by its caption or by its stable key, never one
  // text for two columns; a header of keys still imports when a caption changes,
  // and a column no text names is refused by that text.
  void sheetColumnsAreNamedByKeyOrCaption() {
    for (const CatalogTable &table : tableCatalog()) {
      const QStringList keys = dumpKeys(table);
      QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());
      QHash<QString, QString> columnOf;
      for (const QStringList &texts : {keys, dumpNames(table), dumpColumns(table)})
        for (qsizetype c = 0; c < texts.size(); ++c) {
          QVERIFY2(columnOf.value(texts[c], keys[c]) == keys[c],
                   qPrintable(table.key + u' ' + texts[c]));
          columnOf.insert(texts[c], keys[c]);
        }
    }

    const CatalogTable &units = *findTable(QStringLiteral("units"));
    RecordLayout renamed = *units.layout;
    for (Field &field : renamed.fields)
      for (FieldPart &part : field.parts)
        if (part.caption == QLatin1String("HP"))
          part.caption = QStringLiteral("耐久");
    CatalogTable recaptioned = units;
    recaptioned.layout = &renamed;
    QCOMPARE(dumpKeys(recaptioned), dumpKeys(units));

    QString error;
    const QHash<QString, int> byCaption = headerPositions(units, dumpColumns(units), error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(headerPositions(recaptioned, dumpKeys(units), error), byCaption);
    QVERIFY2(error.isEmpty(), qPrintable(error));

    QVERIFY(headerPositions(recaptioned, dumpColumns(units), error).isEmpty());
    QVERIFY2(error.contains(QStringLiteral("“HP”不是表格 units 的列")), qPrintable(error));
    QStringList unknown = dumpKeys(units);
    unknown[unknown.indexOf(QStringLiteral("Hp"))] = QStringLiteral("HpMax");
    QVERIFY(headerPositions(units, unknown, error).isEmpty());
    QVERIFY2(error.contains(QStringLiteral("“HpMax”不是表格 units 的列")), qPrintable(error));
  }

  void listTextsAndTheirRefusals() {
    SampleGame game;
    ListRows rows;
    const CatalogTable &units = *findTable(QStringLiteral("units"));
    const Field *abilities = nullptr;
    const Field *unitCode = nullptr;
    for (const Field &field : units.layout->fields) {
      if (field.name == QLatin1String("Abilities"))
        abilities = &field;
      if (field.name == QLatin1String("UnitCode"))
        unitCode = &field;
    }
    QVERIFY(abilities && unitCode);
    const FieldPart &ticks = abilities->parts.front();
    // Row 0 of the ability list is bit 15.
    const QString twoRows = partValueText(ticks, *abilities, 0x8001, rows);
    QCOMPARE(twoRows.count(u'、'), 1);
    QCOMPARE(*parsePartValueText(ticks, *abilities, 0, twoRows, rows).raw, 0x8001u);
    QCOMPARE(*parsePartValueText(ticks, *abilities, 0x1234, QString(), rows).raw, 0u);
    QVERIFY(parsePartValueText(ticks, *abilities, 0, QStringLiteral("没有这项"), rows)
                .error.contains(QStringLiteral("机体能力")));

    const FieldPart &code = unitCode->parts.front();
    QCOMPARE(partValueText(code, *unitCode, 12, rows), QStringLiteral("机体0012"));
    QCOMPARE(*parsePartValueText(code, *unitCode, 0, QStringLiteral("机体0836"), rows).raw, 836u);
    QCOMPARE(*parsePartValueText(code, *unitCode, 0, QStringLiteral("17"), rows).raw, 17u);
    // A code the list has no row for is printed and read as its number.
    QCOMPARE(partValueText(code, *unitCode, 40000, rows), QStringLiteral("40000"));
    QVERIFY(!parsePartValueText(code, *unitCode, 0, QStringLiteral("机体9999"), rows).raw);
  }

  void changesAreNamedByTableRecordAndCaption() {
    SampleGame game;
    const QByteArray before = game.exe();
    QByteArray after = before;
    const qint64 unit12 = kUnitTable + qint64(kUnitSize) * 12;
    const quint32 hp = wordAt(before, unit12 + 8);
    putWord(after, unit12 + 8, quint16(hp + 1));
    // Weapon 3 of unit 5: its attack word at entry offset 10.
    const qint64 weapon = kUnitTable + qint64(kUnitSize) * 5 + 84 + 36 * 2 + 10;
    putWord(after, weapon, quint16(wordAt(before, weapon) ^ 0x0101));
    // Bytes 2 to 71 of a character are not shown anywhere.
    after[kCharacterTable + kCharacterSize * 3 + 10] =
        char(~before[kCharacterTable + kCharacterSize * 3 + 10]);

    ListRows rows;
    const ChangeList changes = describeChanges(GameFile::Exe, 0, before, after, rows);
    const QStringList found = lines(changes);
    QCOMPARE(found.size(), 3);
    QCOMPARE(found[0], QStringLiteral("机体&武器 / 机体0012 / HP: %1 → %2").arg(hp).arg(hp + 1));
    QVERIFY2(found[1].startsWith(QStringLiteral("机体&武器 / 机体0005 / 武器3 / ")),
             qPrintable(found[1]));
    const qint64 unnamed = kCharacterTable + kCharacterSize * 3 + 10;
    QCOMPARE(found[2], QStringLiteral("%1..%2").arg(unnamed, 0, 16).arg(unnamed + 1, 0, 16));

    QVERIFY(describeChanges(GameFile::Exe, 0, before, before, rows).isEmpty());
  }

  // A span that holds only part of a field does not name it: its bytes count as unnamed.
  void aFieldCutByTheSpanIsNotCompared() {
    SampleGame game;
    const QByteArray before = game.exe();
    QByteArray after = before;
    const qint64 hp = kUnitTable + 8;
    after[hp] = char(~before[hp]);
    ListRows rows;
    const ChangeList whole =
        describeChanges(GameFile::Exe, hp, before.mid(hp, 4), after.mid(hp, 4), rows);
    QCOMPARE(whole.fields.size(), size_t(1));
    const ChangeList cut =
        describeChanges(GameFile::Exe, hp, before.mid(hp, 2), after.mid(hp, 2), rows);
    QVERIFY(cut.fields.empty());
    QCOMPARE(cut.unnamed.size(), size_t(1));
    QCOMPARE(cut.unnamed.front().start, hp);
  }

  void changedRangesMergeNeighbours() {
    const QByteArray before(300, '\0');
    QByteArray after = before;
    for (int i : {0, 1, 2, 70, 71, 299})
      after[i] = 'x';
    const std::vector<ByteRange> ranges = changedRanges(1000, before, after);
    QCOMPARE(ranges.size(), size_t(3));
    QCOMPARE(ranges[0].start, 1000);
    QCOMPARE(ranges[0].end, 1003);
    QCOMPARE(ranges[1].start, 1070);
    QCOMPARE(ranges[1].end, 1072);
    QCOMPARE(ranges[2].start, 1299);
    QCOMPARE(ranges[2].end, 1300);
  }
};

QTEST_GUILESS_MAIN(TestTableCatalog)
#include "tst_table_catalog.moc"
