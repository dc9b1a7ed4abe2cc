// Every table's window shows each record as `korvane-tool dump` prints it: for
// the first, the last and a few records between, every bound control's text, row
// or ticks against the record's cell of the dump.

#include "app/form1.h"
#include "editors/units/weapon_record.h"
#include "tests/support/window_harness.h"
#include "tests/tools/tool_harness.h"
#include "tools/korvane_tool/csv.h"

#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace korvane;
using namespace korvane::test;

namespace {

// The list rows that bring record `index` of `table` into its window, in the
// order they are picked; none for a window that shows one whole area.
using Picks = std::vector<std::pair<QString, int>>;

// The (stage, record) rows of every record of a deployment window, in dump order.
std::vector<Picks> deploymentPicks(QWidget *window) {
  auto *stages = window->findChild<QListWidget *>(QStringLiteral("List1"));
  auto *records = window->findChild<QListWidget *>(QStringLiteral("List2"));
  std::vector<Picks> picks;
  for (int stage = 0; stage < stages->count(); ++stage) {
    stages->setCurrentRow(stage);
    for (int record = 0; record < records->count(); ++record)
      picks.push_back({{QStringLiteral("List1"), stage}, {QStringLiteral("List2"), record}});
  }
  return picks;
}

std::vector<Picks> recordPicks(const CatalogTable &table, QWidget *window, int count) {
  if (table.file == GameFile::Stage)
    return deploymentPicks(window);
  std::vector<Picks> picks(size_t(count), Picks{});
  if (!window->findChild<QListWidget *>(QStringLiteral("List1")))
    return picks;
  for (int index = 0; index < count; ++index)
    picks[size_t(index)] = table.key == QLatin1String("weapons")
                               ? Picks{{QStringLiteral("List1"), index / kWeaponsPerUnit},
                                       {QStringLiteral("List4"), index % kWeaponsPerUnit}}
                               : Picks{{QStringLiteral("List1"), index}};
  return picks;
}

// A code that no row of a pick list shows is printed by the dump as the number
// the window names in its placeholder.
QString unlistedCode(const QComboBox *combo) {
  static const QRegularExpression placeholder(QStringLiteral("^代码 (\\d+)（列表中没有）$"));
  return placeholder.match(combo->placeholderText()).captured(1);
}

// What the control shows, in the dump's single-string form.
QString shownText(QWidget *control) {
  if (auto *box = qobject_cast<QLineEdit *>(control))
    return box->text();
  if (auto *combo = qobject_cast<QComboBox *>(control))
    return combo->currentIndex() >= 0 ? combo->currentText() : unlistedCode(combo);
  if (auto *check = qobject_cast<QCheckBox *>(control))
    return check->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
  if (auto *list = qobject_cast<QListWidget *>(control)) {
    QStringList ticked;
    for (int row = 0; row < list->count(); ++row)
      if (list->item(row)->checkState() == Qt::Checked)
        ticked << list->item(row)->text();
    return ticked.join(u'、');
  }
  for (const QRadioButton *option : control->findChildren<QRadioButton *>())
    if (option->isChecked())
      return option->text();
  return QStringLiteral("（没有选中）");
}

// The dump of `table` as CSV rows, the header row first.
std::vector<tool::CsvRow> dumpRows(const SampleGame &game, const CatalogTable &table) {
  QTemporaryDir out;
  const QString csv = out.filePath(QStringLiteral("dump.csv"));
  if (dumpTable(game, gamePath(game, table), table.key, csv) != tool::kSuccess)
    return {};
  return tool::parseCsv(SampleGame::readFile(csv)).rows;
}

std::vector<int> chosenRecords(int count) {
  std::vector<int> chosen{0, count / 3, count / 2, 2 * count / 3 + 1, count - 1};
  std::sort(chosen.begin(), chosen.end());
  chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
  std::erase_if(chosen, [count](int index) { return index >= count; });
  return chosen;
}

} // namespace

class TestWindowDump : public QObject {
  Q_OBJECT

private slots:
  void everyWindowShowsWhatTheDumpPrints_data() {
    QTest::addColumn<int>("table");
    for (size_t i = 0; i < tableCatalog().size(); ++i)
      QTest::newRow(qPrintable(tableCatalog()[i].key)) << int(i);
  }

  void everyWindowShowsWhatTheDumpPrints() {
    QFETCH(int, table);
    const CatalogTable &described = tableCatalog()[size_t(table)];
    Form1 main;      // starts with no game files chosen
    SampleGame game; // then both are chosen
    ModalAnswerer answers;
    const std::vector<tool::CsvRow> dump = dumpRows(game, described);
    QVERIFY(dump.size() > 1);
    const QList<QListWidgetItem *> section = main.findChild<QListWidget *>(QStringLiteral("List1"))
                                                 ->findItems(described.section, Qt::MatchExactly);
    QCOMPARE(section.size(), 1);
    QWidget *window = openFromMainWindow(
        main, *sectionAtRow(
                  main.findChild<QListWidget *>(QStringLiteral("List1"))->row(section.front())));
    QVERIFY(window);
    const int records = int(dump.size()) - 1;
    const std::vector<Picks> picks = recordPicks(described, window, records);
    QCOMPARE(int(picks.size()), records);

    for (int index : chosenRecords(records)) {
      for (const auto &[list, row] : picks[size_t(index)])
        window->findChild<QListWidget *>(list)->setCurrentRow(row);
      const QStringList &cells = dump[size_t(index) + 1].fields;
      // After the record's place (index, or stage and record) and the name.
      int column = int(dump.front().fields.indexOf(QStringLiteral("名称"))) + 1;
      for (const Field &field : described.layout->fields)
        for (const FieldPart &part : field.parts) {
          QWidget *control = window->findChild<QWidget *>(part.control);
          QVERIFY2(control, qPrintable(part.control));
          // The dump marks hex as such for spreadsheets: "0x" before the box's digits.
          const QString shown = part.encoding == Encoding::Hex
                                    ? QStringLiteral("0x") + shownText(control)
                                    : shownText(control);
          QVERIFY2(shown == cells.value(column),
                   qPrintable(QStringLiteral("record %1, %2: window “%3”, dump “%4”")
                                  .arg(index)
                                  .arg(part.control, shown, cells.value(column))));
          ++column;
        }
    }
    QVERIFY2(answers.texts().isEmpty(), qPrintable(answers.texts().join(u'\n')));
  }
};

QTEST_MAIN(TestWindowDump)
#include "tst_window_dump.moc"
