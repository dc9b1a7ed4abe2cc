#include "editors/shared/field_codec.h"

#include <QTest>

using namespace korvane;

namespace {

ParsedEntry parse(const Field &field, const QString &text) {
  return parsePartText(field.parts.front(), field, text);
}

} // namespace

class TestFieldCodec : public QObject {
  Q_OBJECT

private slots:
  void decimalEntriesAcceptTheirWidthsRange_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("isSigned");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("stored"); // -1: refused
    QTest::newRow("byte 255") << 1 << false << "255" << 255LL;
    QTest::newRow("byte 256") << 1 << false << "256" << -1LL;
    QTest::newRow("byte -1") << 1 << false << "-1" << -1LL;
    QTest::newRow("blanks around") << 1 << false << "  7 \t" << 7LL;
    QTest::newRow("inner blank") << 1 << false << "1 2" << -1LL;
    QTest::newRow("letters") << 2 << false << "12a" << -1LL;
    QTest::newRow("empty") << 2 << false << "" << -1LL;
    QTest::newRow("lone sign") << 2 << false << "+" << -1LL;
    QTest::newRow("plus sign") << 2 << false << "+65535" << 65535LL;
    QTest::newRow("full-width digits") << 2 << false << "１２３４" << 1234LL;
    QTest::newRow("full-width sign and blanks") << 4 << true << "　－１２　" << 0xFFFFFFF4LL;
    QTest::newRow("zero fraction") << 2 << false << "12.0" << 12LL;
    QTest::newRow("fraction") << 2 << false << "1.5" << -1LL;
    QTest::newRow("exponent") << 2 << false << "1E3" << -1LL;
    QTest::newRow("hex is not decimal") << 2 << false << "0x10" << -1LL;
    QTest::newRow("word 65536") << 2 << false << "65536" << -1LL;
    QTest::newRow("dword min") << 4 << true << "-2147483648" << 0x80000000LL;
    QTest::newRow("dword max") << 4 << true << "2147483647" << 0x7FFFFFFFLL;
    QTest::newRow("dword over") << 4 << true << "2147483648" << -1LL;
    QTest::newRow("huge") << 4 << true << "99999999999999999999999" << -1LL;
  }
  void decimalEntriesAcceptTheirWidthsRange() {
    QFETCH(int, width);
    QFETCH(bool, isSigned);
    QFETCH(QString, text);
    QFETCH(qint64, stored);
    const Field field = isSigned ? signedField("F", 0, width, "Text1", QStringLiteral("HP"))
                                 : decimalField("F", 0, width, "Text1", QStringLiteral("HP"));
    const ParsedEntry entry = parse(field, text);
    if (stored < 0) {
      QVERIFY(!entry.value);
      QVERIFY(entry.error.contains(QStringLiteral("“HP”")));
    } else {
      QCOMPARE(entry.value, std::optional<quint32>(quint32(stored)));
    }
  }

  // A cell longer than any number is refused at once, however many digits it has.
  void aVeryLongNumericCellIsRefusedAtOnce() {
    for (const QString &cell : {QString(700000, u'9'), QString(700000, u'9') + QStringLiteral("e5"),
                                QStringLiteral("1.") + QString(700000, u'0')}) {
      const CellInteger number = cellInteger(cell);
      QVERIFY(!number.value);
      QVERIFY(!number.rounded);
    }
    QCOMPARE(cellInteger(QStringLiteral(" 12.0 ")).value, 12);
  }

  void theRefusalSaysWhatTheFieldAccepts() {
    const Field byte = decimalField("F", 0, 1, "Text6", QStringLiteral("编成占位"));
    QCOMPARE(parse(byte, "300").error, QStringLiteral("“编成占位”应填入 0 到 255 之间的整数。"));
    Field range{
        "R", 0, 4, {{"Text13", QStringLiteral("装甲(255)"), Encoding::Decimal, 19, 8, 1, 255}}};
    QVERIFY(parse(range, "0").error.contains(QStringLiteral("1 到 255")));
    QCOMPARE(parse(range, "255").value, std::optional<quint32>(255));
  }

  void signedWordsTakeTheStoredFormToo() {
    Field bonus{"Hit", 0, 2, {{"Text22", QStringLiteral("命中"), Encoding::SignedRewrittenOnSave}}};
    QCOMPARE(parse(bonus, "-1").value, std::optional<quint32>(0xFFFF));
    QCOMPARE(parse(bonus, "65535").value, std::optional<quint32>(0xFFFF));
    QCOMPARE(parse(bonus, "-32768").value, std::optional<quint32>(0x8000));
    QVERIFY(!parse(bonus, "-32769").value);
    QVERIFY(!parse(bonus, "65536").value);
    QCOMPARE(formatPartText(bonus.parts[0], bonus, 0xFFF6), QStringLiteral("-10"));
    QCOMPARE(formatPartText(bonus.parts[0], bonus, 0x7FFF), QStringLiteral("32767"));
  }

  void hexEntriesAreBytesInFileOrder_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("stored");
    QTest::newRow("byte 0C") << 1 << "0C" << 0x0CLL;
    QTest::newRow("byte 8") << 1 << "8" << 0x08LL;
    QTest::newRow("byte lower case") << 1 << " ff " << 0xFFLL;
    QTest::newRow("byte three digits") << 1 << "100" << -1LL;
    QTest::newRow("byte letter") << 1 << "G" << -1LL;
    QTest::newRow("word 3412") << 2 << "3412" << 0x1234LL;
    QTest::newRow("full-width") << 2 << "３４ａ２" << 0xA234LL;
    QTest::newRow("word 5") << 2 << "5" << 0x0005LL;
    QTest::newRow("word 123") << 2 << "123" << 0x0312LL;
    QTest::newRow("word five digits") << 2 << "12345" << -1LL;
    QTest::newRow("dword") << 4 << "FFFFFF07" << 0x07FFFFFFLL;
    QTest::newRow("dword empty") << 4 << "" << -1LL;
  }
  void hexEntriesAreBytesInFileOrder() {
    QFETCH(int, width);
    QFETCH(QString, text);
    QFETCH(qint64, stored);
    const Field field = hexField("F", 0, width, "Text34", QStringLiteral("名称指针"));
    const ParsedEntry entry = parse(field, text);
    if (stored < 0) {
      QVERIFY(!entry.value);
      QVERIFY(entry.error.contains(QStringLiteral("“名称指针”")));
    } else {
      QCOMPARE(entry.value, std::optional<quint32>(quint32(stored)));
      QCOMPARE(formatPartText(field.parts[0], field, quint32(stored)).size(), 2 * width);
    }
  }

  void partsAreBitFieldsOfTheStoredValue() {
    const Field word{"UpgradeRange", 32, 4, {}};
    const FieldPart armor{"Text13", QStringLiteral("装甲"), Encoding::Decimal, 19, 8};
    const FieldPart hp{"Text33", QStringLiteral("HP"), Encoding::Decimal, 0, 10};
    QCOMPARE(partValue(armor, word, 0x07FFFFFF), 255u);
    QCOMPARE(partValue(armor, word, 0xF8000000), 0u); // bits 27-31 belong to no part
    QCOMPARE(partValue(hp, word, 0x01009040), 64u);
    QCOMPARE(withPartValue(armor, word, 0, 32) | withPartValue(hp, word, 0, 64), 0x01000040u);
    QCOMPARE(withPartValue(hp, word, 0xFFFFFFFF, 0), 0xFFFFFC00u);
    QCOMPARE(withPartValue(hp, word, 0, 0x7FF), 0x3FFu); // never spills into the next part
  }

  // A list's row is its code unless the list says otherwise: its own codes, or a
  // last row standing for an empty slot; a code no shown row holds has no row.
  void choiceRowsFollowTheListsCodes() {
    const std::vector<quint32> codes{0, 2, 5, 7};
    FieldPart coded{QStringLiteral("Frame1"), QStringLiteral("类型"), Encoding::OptionGroup};
    coded.choices.codes = &codes;
    QCOMPARE(choiceRow(coded, 5, 4), 2);
    QCOMPARE(choiceRow(coded, 1, 4), -1);
    QCOMPARE(choiceRow(coded, 7, 3), -1); // its row is not shown
    QCOMPARE(choiceCode(coded, 3, 4), 7u);

    FieldPart slot{QStringLiteral("Combo1"), QStringLiteral("机体"), Encoding::Choice};
    slot.choices.lastRowCode = 65535;
    QCOMPARE(choiceRow(slot, 65535, 838), 837);
    QCOMPARE(choiceRow(slot, 836, 838), 836);
    QCOMPARE(choiceRow(slot, 837, 838), -1);
    QCOMPARE(choiceCode(slot, 837, 838), 65535u);
    QCOMPARE(choiceCode(slot, 12, 838), 12u);
  }

  void reversedTicksCountFromTheLastBit() {
    const Field field{QStringLiteral("Flags"), 0, 1, {}};
    FieldPart reversed{QStringLiteral("List2"), QStringLiteral("能力"), Encoding::FlagRowsReversed};
    QCOMPARE(tickedRows(reversed, field, 0x81), 0x81u);
    QCOMPARE(tickedRows(reversed, field, 0x03), 0xC0u);
    QCOMPARE(valueOfTickedRows(reversed, field, 0xC0), 0x03u);
  }

  // A row number too long for an int is no row, not row 0.
  void tickedRowNumbersOutOfRangeAreRefused() {
    static const QStringList texts{QStringLiteral("甲"), QStringLiteral("乙")};
    const Field field{QStringLiteral("Flags"), 0, 1, {}};
    FieldPart ticks{QStringLiteral("List2"), QStringLiteral("装备"), Encoding::FlagRows};
    ticks.choices.fixedRows = &texts;
    ListRows rows;
    for (const QString &cell : {QStringLiteral("99999999999"), QStringLiteral("8")})
      QVERIFY(!parsePartValueText(ticks, field, 0x80, cell, rows).raw);
    QCOMPARE(parsePartValueText(ticks, field, 0x80, QStringLiteral("乙、7"), rows).raw, 0x82u);
  }
};

QTEST_GUILESS_MAIN(TestFieldCodec)
#include "tst_field_codec.moc"
