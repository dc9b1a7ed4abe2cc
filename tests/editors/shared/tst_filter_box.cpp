// The filter box over a long record list: what it shows and hides, and that it
// never touches the current row or the record shown, alone and in the unit and
// character editors.

#include "editors/characters/form3.h"
#include "editors/shared/editor_window.h"
#include "editors/units/form2.h"
#include "tests/support/modal_answerer.h"
#include "tests/support/sample_game.h"

#include <QApplication>
#include <QComboBox>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace korvane;

namespace {

QList<int> shownRows(const QListWidget *list) {
  QList<int> rows;
  for (int row = 0; row < list->count(); ++row)
    if (!list->item(row)->isHidden())
      rows.append(row);
  return rows;
}

// Every text a window shows in its boxes and drop-downs, except the filter's.
QStringList shownTexts(const QWidget *window) {
  QStringList texts;
  for (const QLineEdit *box : window->findChildren<QLineEdit *>())
    if (!box->objectName().endsWith(QStringLiteral("Filter")))
      texts << box->objectName() + u'=' + box->text();
  for (const QComboBox *combo : window->findChildren<QComboBox *>())
    texts << combo->objectName() + u'=' + QString::number(combo->currentIndex());
  return texts;
}

// A record list of 60 rows under its filter box, in a window of its own.
struct FilteredList {
  QWidget window;
  QListWidget *list = makeRecordList("List1", &window);
  QLayout *column = withFilterBox(list);
  QLineEdit *filter = window.findChild<QLineEdit *>(QStringLiteral("List1Filter"));

  FilteredList() {
    const QStringList names{"Alpha", "beta", "ＢＥＴＡ改", "Delta", "Echo", "机体0005"};
    list->addItems(names);
    for (int row = names.size(); row < 60; ++row)
      list->addItem(QStringLiteral("机体%1").arg(row, 4, 10, QLatin1Char('0')));
    window.setLayout(column);
  }
};

} // namespace

class TestFilterBox : public QObject {
  Q_OBJECT

private slots:
  void sitsAboveTheListWithItsNameAndPlaceholder() {
    FilteredList rows;
    QVERIFY(rows.filter);
    QCOMPARE(rows.filter->placeholderText(), QStringLiteral("筛选"));
    QCOMPARE(rows.column->itemAt(0)->widget(), rows.filter);
    QCOMPARE(rows.column->itemAt(1)->widget(), rows.list);
    QWidget *next = rows.filter->nextInFocusChain(); // Tab goes on to the list
    while (!(next->focusPolicy() & Qt::TabFocus))
      next = next->nextInFocusChain();
    QCOMPARE(next, rows.list);
  }

  // Text matches anywhere in a row, whatever its case or width; a number also
  // matches the row it counts to from 0. Rows keep their index.
  void showsTheRowsThatContainTheTextOrHaveItsNumber() {
    FilteredList rows;
    const QList<std::pair<QString, QList<int>>> cases{
        {"beta", {1, 2}}, // case and full-width letters do not matter
        {"  ALP ", {0}},  // blanks around the text are dropped
        {"4", {4, 14, 24, 34, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 54}},
        {"４", {4, 14, 24, 34, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 54}},
        {"0005", {5}}, // row 5 by its text and by its number
        {"3", {3, 13, 23, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 43, 53}},
        {"59", {59}},
        {"60", {}}, // past the last row
        {"+4", {}}, // a sign makes it text
        {"-1", {}},
        {"zzz", {}},
        {"", {}}};
    for (const auto &[typed, expected] : cases) {
      rows.filter->setText(typed);
      const QList<int> wanted = typed.isEmpty() ? shownRows(rows.list) : expected;
      QCOMPARE(shownRows(rows.list), wanted);
    }
    QCOMPARE(shownRows(rows.list).size(), 60);
    QCOMPARE(rows.list->item(1)->text(), QStringLiteral("beta"));
    QCOMPARE(rows.list->item(59)->text(), QStringLiteral("机体0059"));
  }

  // The filter only hides rows: the current row, its selection and the handler
  // stay untouched, also when the current row is hidden and comes back, and with
  // no row current it picks none, even with a single row left.
  void neverPicksChangesOrClearsTheCurrentRow() {
    FilteredList rows;
    QSignalSpy picked(rows.list, &QListWidget::currentRowChanged);
    for (const QString typed : {"0005", "机体", "", "5"})
      rows.filter->setText(typed);
    QCOMPARE(rows.list->currentRow(), -1);
    QVERIFY(rows.list->selectedItems().isEmpty());

    rows.list->setCurrentRow(3);
    picked.clear();
    for (const QString typed : {"zzz", "Delta", "beta", "3", ""}) {
      rows.filter->setText(typed);
      QCOMPARE(rows.list->currentRow(), 3);
      QCOMPARE(rows.list->selectedItems(), QList<QListWidgetItem *>{rows.list->item(3)});
    }
    QCOMPARE(picked.count(), 0);
  }

  void escapeInTheBoxClearsIt() {
    FilteredList rows;
    rows.window.show();
    QApplication::setActiveWindow(&rows.window);
    QVERIFY(QTest::qWaitForWindowActive(&rows.window));
    rows.list->setCurrentRow(2);
    rows.filter->setFocus();
    QTest::keyClicks(rows.filter, QStringLiteral("echo"));
    QCOMPARE(shownRows(rows.list), QList<int>{4});
    QTest::keyClick(rows.filter, Qt::Key_Escape);
    QVERIFY(rows.filter->text().isEmpty());
    QCOMPARE(shownRows(rows.list).size(), 60);
    QCOMPARE(rows.list->currentRow(), 2);
  }

  // Rows a window adds while a filter is typed follow it.
  void rowsAddedLaterFollowTheFilter() {
    FilteredList rows;
    rows.filter->setText(QStringLiteral("beta"));
    rows.list->addItems({QStringLiteral("Zeta"), QStringLiteral("Betamax")});
    QCOMPARE(shownRows(rows.list), (QList<int>{1, 2, 61}));
    rows.list->item(60)->setText(QStringLiteral("zeta beta"));
    QCOMPARE(shownRows(rows.list), (QList<int>{1, 2, 60, 61}));
  }

  // In the unit and the character editor: the record shown stays shown while the
  // list is filtered (nothing is read again), and a row picked among the
  // filtered ones is the record of that index.
  void theEditorsKeepTheirRecordWhileFiltering_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("rows");
    QTest::newRow("units") << "Form2" << QStringLiteral("Korvane机体修改器") << 837;
    QTest::newRow("pilots") << "Form3" << QStringLiteral("Korvane人物修改") << 735;
  }
  void theEditorsKeepTheirRecordWhileFiltering() {
    QFETCH(QString, window);
    QFETCH(QString, caption);
    QFETCH(int, rows);
    test::SampleGame game;
    test::ModalAnswerer answerer;
    std::unique_ptr<QWidget> form(window == "Form2" ? static_cast<QWidget *>(new Form2)
                                                    : new Form3);
    form->show();
    auto *list = form->findChild<QListWidget *>(QStringLiteral("List1"));
    auto *filter = form->findChild<QLineEdit *>(QStringLiteral("List1Filter"));
    QVERIFY(list && filter);
    QCOMPARE(list->count(), rows);
    QCOMPARE(filter->placeholderText(), QStringLiteral("筛选"));

    list->setCurrentRow(700);
    const QStringList record700 = shownTexts(form.get());
    const QByteArray exe = game.exe();
    game.setExe(QByteArray(exe.size(), '\0')); // a re-read would show zeros
    QSignalSpy picked(list, &QListWidget::currentRowChanged);
    filter->setText(QStringLiteral("12"));
    QCOMPARE(shownRows(list), (QList<int>{12, 112, 120, 121, 122, 123, 124, 125, 126, 127, 128, 129,
                                          212, 312, 412, 512, 612, 712, 812}
                                   .mid(0, rows == 837 ? 19 : 18)));
    filter->setText(QStringLiteral("700"));
    QCOMPARE(shownRows(list), QList<int>{700});
    QCOMPARE(list->currentRow(), 700);
    QCOMPARE(shownTexts(form.get()), record700);
    QCOMPARE(form->windowTitle(), caption);
    QCOMPARE(picked.count(), 0);

    game.setExe(exe);
    filter->setText(QStringLiteral("5"));
    list->setCurrentRow(5); // the user picks a filtered row: record 5
    const QStringList record5 = shownTexts(form.get());
    QVERIFY(record5 != record700);
    filter->clear();
    QCOMPARE(list->currentRow(), 5);
    QCOMPARE(shownRows(list).size(), rows);
    list->setCurrentRow(700);
    QCOMPARE(shownTexts(form.get()), record700);
    QVERIFY(answerer.texts().isEmpty());
  }
};

QTEST_MAIN(TestFilterBox)
#include "tst_filter_box.moc"
