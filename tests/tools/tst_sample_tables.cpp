// The synthetic game files read through every registered table's description:
// every coded field of every record must hold a code its pick list can show,
// so that every window can be clicked through without a stray placeholder.

#include "editors/catalog/table_catalog.h"
#include "editors/shared/field_codec.h"
#include "editors/shared/list_rows.h"
#include "editors/shared/record_io.h"
#include "tests/support/sample_game.h"

#include <QTest>

using namespace korvane;

namespace {

// The first coded field of the records at `offsets` that has no row, or an empty text.
QString firstUnlistedCode(Module1::Operation &op, const RecordLayout &layout,
                          const std::vector<qint64> &offsets) {
  for (size_t row = 0; row < offsets.size(); ++row) {
    const RecordValues values = readRecord(op, layout, offsets[row]);
    for (size_t i = 0; i < layout.fields.size(); ++i)
      for (const FieldPart &part : layout.fields[i].parts) {
        if (part.encoding != Encoding::Choice)
          continue;
        const quint32 code = partValue(part, layout.fields[i], values[i]);
        const bool listed = code < quint32(part.choices.rows()) ||
                            (part.choices.lastRowCode >= 0 && code == part.choices.lastRowCode);
        if (!listed)
          return QStringLiteral("record %1, %2 = %3").arg(row).arg(layout.fields[i].name).arg(code);
      }
  }
  return {};
}

} // namespace

class TestSampleTables : public QObject {
  Q_OBJECT

  test::SampleGame game_;

  QString pathOf(const CatalogTable &table) const {
    return table.file == GameFile::Exe ? game_.exePath() : game_.stagePath();
  }

private slots:
  void everyCodedFieldHasARow_data() {
    QTest::addColumn<int>("table");
    for (size_t i = 0; i < tableCatalog().size(); ++i)
      QTest::newRow(qPrintable(tableCatalog()[i].key)) << int(i);
  }
  void everyCodedFieldHasARow() {
    QFETCH(int, table);
    const CatalogTable &registered = tableCatalog()[size_t(table)];
    ListRows rows;
    const std::vector<qint64> offsets = registered.recordOffsets(rows);
    QVERIFY(!offsets.empty());
    Module1::Operation op(GameFileRef::plain(pathOf(registered)));
    QVERIFY(op.ok());
    for (const qint64 offset : offsets)
      QVERIFY2(op.requireSpan(offset, registered.layout->recordSize, registered.layout->what),
               qPrintable(op.error()));
    const QString unlisted = firstUnlistedCode(op, *registered.layout, offsets);
    QVERIFY2(unlisted.isEmpty(), qPrintable(unlisted));
    QVERIFY(op.close());
  }
};

QTEST_GUILESS_MAIN(TestSampleTables)
#include "tst_sample_tables.moc"
