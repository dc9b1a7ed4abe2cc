// The synthetic game file read through the windows' own table descriptions:
// every coded field of every record must hold a code its pick list can show,
// so that every window can be clicked through without a stray placeholder.

#include "editors/characters/character_record.h"
#include "editors/shared/field_codec.h"
#include "editors/shared/record_io.h"
#include "editors/units/unit_record.h"
#include "editors/units/weapon_record.h"
#include "tests/support/sample_game.h"

#include <QTest>

using namespace korvane;

namespace {

// Walks `count` records from `start`, `stride` bytes apart, and returns the first
// coded field that has no row, or an empty text.
QString firstUnlistedCode(Module1::Operation &op, const RecordLayout &layout, qint64 start,
                          qint64 stride, int count) {
  for (int row = 0; row < count; ++row) {
    const RecordValues values = readRecord(op, layout, start + stride * row);
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

private slots:
  void everyCodedFieldHasARow_data() {
    QTest::addColumn<int>("table");
    QTest::newRow("unit heads") << 0;
    QTest::newRow("weapon entries") << 1;
    QTest::newRow("characters") << 2;
  }
  void everyCodedFieldHasARow() {
    QFETCH(int, table);
    Module1::Operation op(GameFileRef::plain(game_.exePath()));
    QVERIFY(op.ok());
    const RecordLayout &units = unitHeadLayout();
    QString unlisted;
    switch (table) {
    case 0:
      unlisted =
          firstUnlistedCode(op, units, units.tableOffset, units.recordSize, units.recordCount);
      break;
    case 1:
      for (int weapon = 0; weapon < 18 && unlisted.isEmpty(); ++weapon)
        unlisted = firstUnlistedCode(op, weaponLayout(), weaponOffset(0, weapon), units.recordSize,
                                     units.recordCount);
      break;
    default:
      unlisted = firstUnlistedCode(op, characterLayout(), characterLayout().tableOffset,
                                   characterLayout().recordSize, characterLayout().recordCount);
    }
    QVERIFY2(unlisted.isEmpty(), qPrintable(unlisted));
    QVERIFY(op.close());
  }

  void everyTableLiesInsideTheFile() {
    Module1::Operation op(GameFileRef::plain(game_.exePath()));
    for (const RecordLayout *layout : {&unitHeadLayout(), &characterLayout()})
      QVERIFY2(op.requireSpan(layout->tableOffset, layout->tableEnd() - layout->tableOffset,
                              layout->what),
               qPrintable(op.error()));
  }
};

QTEST_GUILESS_MAIN(TestSampleTables)
#include "tst_sample_tables.moc"
