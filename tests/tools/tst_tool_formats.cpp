// The file formats of korvane-tool: CSV as spreadsheets write it, JSON rows with
// their keys in column order, and IPS patches, including the offset that would
// read as "EOF" and the largest offset.

#include "io/ips.h"
#include "tools/korvane_tool/csv.h"
#include "tools/korvane_tool/json_writer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <QTest>

using namespace korvane;
using namespace korvane::tool;

namespace {

QByteArray applied(QByteArray bytes, const std::vector<IpsRecord> &records) {
  for (const IpsRecord &record : records)
    bytes.replace(record.offset, record.bytes.size(), record.bytes);
  return bytes;
}

QByteArray pattern(qsizetype size) {
  QByteArray bytes(size, Qt::Uninitialized);
  for (qsizetype i = 0; i < size; ++i)
    bytes[i] = char((i * 7 + i / 251) & 0xFF);
  return bytes;
}

} // namespace

class TestToolFormats : public QObject {
  Q_OBJECT

private slots:
  void csvQuotesWhatNeedsIt() {
    QCOMPARE(csvRow({QStringLiteral("a"), QStringLiteral("b,c"), QStringLiteral("say \"hi\""),
                     QStringLiteral("援護攻撃 "), QString()}),
             QStringLiteral("a,\"b,c\",\"say \"\"hi\"\"\",\"援護攻撃 \",\r\n"));
    // LibreOffice's import dialog splits on these by default.
    QCOMPARE(csvRow({QStringLiteral("合体;分離"), QStringLiteral("a\tb")}),
             QStringLiteral("\"合体;分離\",\"a\tb\"\r\n"));
    // Gnumeric takes its separator from the first quoted cell: the header's first.
    QCOMPARE(csvHeaderRow({QStringLiteral("序号"), QStringLiteral("名称")}),
             QStringLiteral("\"序号\",名称\r\n"));
    QCOMPARE(csvHeaderRow({QStringLiteral("a,b"), QStringLiteral("c")}),
             QStringLiteral("\"a,b\",c\r\n"));
  }

  void csvReadsWhatSpreadsheetsWrite() {
    const QByteArray text = "\xEF\xBB\xBF"
                            "a,\"b,c\",\"two\r\nlines\"\r\n"
                            "\r\n"
                            "\"x\"\"y\",,\n"
                            "last";
    const CsvTable table = parseCsv(text);
    QVERIFY(table.error.isEmpty());
    QCOMPARE(table.rows.size(), size_t(3));
    QCOMPARE(table.rows[0].fields, (QStringList{QStringLiteral("a"), QStringLiteral("b,c"),
                                                QStringLiteral("two\r\nlines")}));
    QCOMPARE(table.rows[1].line, 4);
    QCOMPARE(table.rows[1].fields, (QStringList{QStringLiteral("x\"y"), QString(), QString()}));
    QCOMPARE(table.rows[2].fields, QStringList{QStringLiteral("last")});
    const QStringList row{QStringLiteral("机体0001"), QStringLiteral("合体;分離、変形"),
                          QStringLiteral("\"q\",\n")};
    QCOMPARE(parseCsv(csvRow(row).toUtf8()).rows.front().fields, row);
  }

  void jsonRowsKeepColumnOrderAndEscapeWhatNeedsIt() {
    QString text;
    QTextStream out(&text);
    const QStringList keys{QStringLiteral("序号"), QStringLiteral("b\"q"), QStringLiteral("a")};
    JsonRowWriter writer(out, keys, {0});
    writer.write({QStringLiteral("7"), QStringLiteral("say \"hi\"\n\\"), QStringLiteral("\x01")});
    writer.write({QString(), QStringLiteral("甲"), QString()});
    writer.finish();
    out.flush();
    QVERIFY(text.startsWith(QStringLiteral("[\n  {\"序号\": 7, \"b\\\"q\": ")));
    const QJsonArray rows = QJsonDocument::fromJson(text.toUtf8()).array();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].toObject().value(QStringLiteral("序号")).toInt(), 7);
    QCOMPARE(rows[0].toObject().value(keys[1]).toString(), QStringLiteral("say \"hi\"\n\\"));
    QCOMPARE(rows[0].toObject().value(keys[2]).toString(), QStringLiteral("\x01"));
    QCOMPARE(rows[1].toObject().value(QStringLiteral("序号")).toString(),
             QString()); // empty: a string

    QString none;
    QTextStream empty(&none);
    JsonRowWriter(empty, keys, {0}).finish();
    empty.flush();
    QCOMPARE(none, QStringLiteral("[]\n"));
  }

  void csvRefusesWhatItCannotRead() {
    QVERIFY(parseCsv("a,\"open\nb").error.contains(QStringLiteral("第 1 行")));
    QVERIFY(parseCsv("\xB5\xA5,\xC1\xA2").error.contains(QStringLiteral("UTF-8")));
    QVERIFY(parseCsv("\"序号\";\"名称\"\r\n0;\"a,b\"").error.contains(QStringLiteral("分号“;”")));
    QVERIFY(parseCsv("序号\t名称\r\n").error.contains(QStringLiteral("制表符")));
    QVERIFY(parseCsv("\"a;b\",c\r\n").error.isEmpty());
  }

  void ipsRecordsReproduceTheModifiedBytes() {
    const QByteArray original = pattern(0x30000);
    QByteArray modified = original;
    modified[0] = 'x';
    modified.replace(0x100, 30, QByteArray(30, '\x11'));  // a run inside plain bytes
    modified[0x100 - 3] = 'y';                            // a short gap is bridged
    for (qsizetype i = 0x1000; i < 0x1000 + 0x10005; ++i) // longer than one record
      modified[i] = char(~modified[i]);
    modified[modified.size() - 1] = 'z';
    const IpsPatch patch = diffToIps(original, modified);
    QVERIFY(patch.error.isEmpty());
    QVERIFY(std::any_of(patch.records.begin(), patch.records.end(),
                        [](const IpsRecord &r) { return r.run; }));
    for (const IpsRecord &record : patch.records)
      QVERIFY(record.bytes.size() <= 0xFFFF && !record.bytes.isEmpty());
    QCOMPARE(applied(original, patch.records), modified);

    const QByteArray encoded = encodeIps(patch.records);
    QVERIFY(encoded.startsWith("PATCH") && encoded.endsWith("EOF"));
    const IpsPatch decoded = decodeIps(encoded);
    QVERIFY(decoded.error.isEmpty());
    QCOMPARE(applied(original, decoded.records), modified);
    QVERIFY(diffToIps(original, original).records.empty());
  }

  // No record starts at 0x454F46, whose offset bytes spell "EOF".
  void noRecordStartsAtTheEofOffset() {
    const QByteArray original(kIpsEofOffset + 0x100, '\0');
    for (const QByteArray &change : {QByteArray("ab"), QByteArray(20, '\x33')}) {
      QByteArray modified = original;
      modified.replace(kIpsEofOffset, change.size(), change);
      const IpsPatch patch = diffToIps(original, modified);
      QVERIFY(patch.error.isEmpty());
      for (const IpsRecord &record : patch.records)
        QVERIFY(record.offset != kIpsEofOffset);
      const IpsPatch decoded = decodeIps(encodeIps(patch.records));
      QVERIFY2(decoded.error.isEmpty(), qPrintable(decoded.error));
      QCOMPARE(applied(original, decoded.records), modified);
    }
  }

  void changesBeyondTheLargestOffsetAreRefused() {
    const QByteArray original(kIpsLargestOffset + 0x10, '\0');
    QByteArray modified = original;
    modified[kIpsLargestOffset] = 1;
    QVERIFY(diffToIps(original, modified).error.isEmpty());
    modified[kIpsLargestOffset + 2] = 1;
    modified[kIpsLargestOffset] = 0;
    QVERIFY(diffToIps(original, modified).error.contains(QStringLiteral("0x1000001")));
  }

  // 200,000 runs of 65,535 bytes would spell out 13 GB: refused by the file's size
  // before any of it is allocated.
  void patchesAskingForFarMoreThanTheFileAreRefused() {
    QByteArray runs = "PATCH";
    for (int i = 0; i < 200000; ++i)
      runs += QByteArray::fromHex("0000000000FFFF41");
    runs += "EOF";
    QVERIFY(decodeIps(runs, 1 << 20).error.contains(QStringLiteral("好几倍")));
    QVERIFY(decodeIps(runs, 1000).error.contains(QStringLiteral("超出了文件的范围")));
    const QByteArray inside = QByteArray("PATCH") + QByteArray::fromHex("0003E80000000401") + "EOF";
    QVERIFY(decodeIps(inside, 1004).error.isEmpty());
    QVERIFY(decodeIps(inside, 1003).error.contains(QStringLiteral("0x3E8")));
  }

  void malformedPatchesAreRefused() {
    QVERIFY(!decodeIps("PATCHEOF").error.size());
    QVERIFY(decodeIps("PATCX").error.contains(QStringLiteral("PATCH")));
    QVERIFY(decodeIps("PATCH").error.contains(QStringLiteral("EOF")));
    QVERIFY(decodeIps(QByteArray("PATCH") + QByteArray::fromHex("000010000000") + "EOF")
                .error.contains(QStringLiteral("不完整")));
    QVERIFY(decodeIps(QByteArray("PATCH") + QByteArray::fromHex("00001000000000AA") + "EOF")
                .error.contains(QStringLiteral("长度为 0")));
    QVERIFY(decodeIps(QByteArray("PATCHEOF") + QByteArray::fromHex("001000"))
                .error.contains(QStringLiteral("截断")));
    const IpsPatch run =
        decodeIps(QByteArray("PATCH") + QByteArray::fromHex("0000100000000401") + "EOF");
    QCOMPARE(run.records.size(), size_t(1));
    QCOMPARE(run.records.front().bytes, QByteArray(4, '\x01'));
  }
};

QTEST_GUILESS_MAIN(TestToolFormats)
#include "tst_tool_formats.moc"
