#include "editors/units/unit_lists.h"
#include "editors/units/unit_record.h"
#include "editors/units/weapon_record.h"

#include <QTest>

using namespace korvane;

Q_DECLARE_METATYPE(const korvane::RecordLayout *)

class TestUnitLists : public QObject {
  Q_OBJECT

private slots:
  void everyListHasItsRowCount_data() {
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("count");
    QTest::newRow("UnitSizes") << UnitSizes() << 6;
    QTest::newRow("MoveTypes") << MoveTypes() << 9;
    QTest::newRow("FieldChoices") << FieldChoices() << 26;
    QTest::newRow("StatusDefenses") << StatusDefenses() << 9;
    QTest::newRow("EquipmentFlags") << EquipmentFlags() << 4;
    QTest::newRow("AbilityFlags") << AbilityFlags() << 16;
    QTest::newRow("UnitSkills") << UnitSkills() << 3;
    QTest::newRow("TransferTypes") << TransferTypes() << 14;
    QTest::newRow("UpgradeCostTypes") << UpgradeCostTypes() << 5;
    QTest::newRow("WeaponKinds") << WeaponKinds() << 11;
    QTest::newRow("MapShapes") << MapShapes() << 5;
    QTest::newRow("FriendFoeChoices") << FriendFoeChoices() << 3;
    QTest::newRow("RequiredSkills") << RequiredSkills() << 4;
    QTest::newRow("Animations") << Animations() << 57;
  }
  void everyListHasItsRowCount() {
    QFETCH(QStringList, rows);
    QFETCH(int, count);
    QCOMPARE(rows.size(), count);
  }

  // The characters that are easily lost when the lists are typed in again.
  void textsKeepTheirExactCharacters() {
    QCOMPARE(AbilityFlags().at(2), QStringLiteral("合体;分離"));
    QCOMPARE(AbilityFlags().at(15), QStringLiteral("ジャミング機能"));
    QCOMPARE(TransferTypes().at(12), QStringLiteral("アウセンザイタ\u2014"));
    QCOMPARE(UpgradeCostTypes().at(4), QStringLiteral("10改 800.15改1800"));
    QCOMPARE(Animations().at(0), QStringLiteral("-----------"));
    QCOMPARE(Animations().at(1), QStringLiteral("アトミック?バズーカ"));
    QCOMPARE(Animations().at(27), QStringLiteral("ＰＬＡＮＥＴ\u3000ＤＡＮＣＥ"));
    QCOMPARE(Animations().at(56), QStringLiteral("ＣＴＭ－０５プレアディス"));
    QCOMPARE(MapShapes().at(3), QStringLiteral("----------"));
    QCOMPARE(FriendFoeChoices().at(2), QStringLiteral("？？？"));
    QCOMPARE(WeaponKinds().at(6), QStringLiteral("？？"));
    QCOMPARE(FieldChoices().at(0), QStringLiteral("---"));
    QCOMPARE(FieldChoices().at(7), QStringLiteral("プロテクトシェード强"));
    QCOMPARE(FieldChoices().at(25), QStringLiteral("ディフレクトフィールド"));
    QCOMPARE(RequiredSkills().at(2), QStringLiteral("20-ニュータイプ"));
  }

  // Fields in offset order, inside the part of the record their page owns, none
  // overlapping another: a save must never write a byte of a neighbouring field.
  void layoutsKeepTheirFieldsApart_data() {
    QTest::addColumn<const RecordLayout *>("layout");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("end");
    QTest::newRow("unit head") << &unitHeadLayout() << 0 << kUnitHeadSize;
    QTest::newRow("weapon entry") << &weaponLayout() << 10 << kWeaponSize;
  }
  void layoutsKeepTheirFieldsApart() {
    QFETCH(const RecordLayout *, layout);
    QFETCH(int, first);
    QFETCH(int, end);
    int next = first;
    for (const Field &field : layout->fields) {
      QVERIFY2(field.offset >= next, qPrintable(field.name));
      next = field.offset + field.width;
    }
    QVERIFY(next <= end);
  }

  void weaponEntriesLieInTheirUnitRecord() {
    QCOMPARE(weaponOffset(0, 0), 0x2BE710 + 84);
    QCOMPARE(weaponOffset(0, 17) + kWeaponSize, 0x2BE710 + 732);
    QCOMPARE(weaponOffset(836, 17) + kWeaponSize, unitHeadLayout().tableEnd());
    QCOMPARE(unitHeadLayout().tableEnd(), 0x35405C);
  }
};

QTEST_APPLESS_MAIN(TestUnitLists)
#include "tst_unit_lists.moc"
