// What the program sets up at start: its name on message boxes, and Qt's own
// dialogs and buttons in Chinese when Qt's translations are installed.

#include "app/application_setup.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace korvane;

class TestApplicationSetup : public QObject {
  Q_OBJECT

private slots:
  void standardDialogsSpeakChineseAndMessagesCarryTheProgramsName() {
    const QString translation =
        QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_zh_CN.qm");
    const bool installed = QFileInfo::exists(translation);
    QCOMPARE(setUpApplication(*qApp), installed);
    // The messages take the application's title as their own.
    QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("Korvane静态修改器"));
    if (!installed)
      QSKIP("Qt's Chinese translation (qt6-translations-l10n) is not installed");

    QMessageBox box(QMessageBox::NoIcon, QString(), QString(),
                    QMessageBox::Ok | QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));

    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    const QString open = dialog.labelText(QFileDialog::Accept);
    QVERIFY2(open.contains(QStringLiteral("打开")), qPrintable(open));
    QVERIFY2(dialog.labelText(QFileDialog::Reject).contains(QStringLiteral("取消")),
             qPrintable(dialog.labelText(QFileDialog::Reject)));
  }
};

QTEST_MAIN(TestApplicationSetup)
#include "tst_application_setup.moc"
