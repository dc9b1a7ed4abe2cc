// The window pictures for the README: one non-empty PNG per window the program
// has, and the README's list of them.

#include "app/form1.h"
#include "editors/shared/game_paths.h"
#include "tests/support/modal_answerer.h"
#include "tests/support/sample_game.h"
#include "tools/screenshots.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace korvane;

namespace {

QString readText(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void writeText(const QString &path, const QString &text) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(text.toUtf8());
}

} // namespace

class TestScreenshots : public QObject {
  Q_OBJECT

private slots:
  // The main window first, then the editor of every section row that has one,
  // each a readable picture of the window at its size, and nothing left set.
  void picturesEveryWindowTheProgramHas() {
    QTemporaryDir samples;
    QTemporaryDir out;
    const screenshots::Result result = screenshots::renderAll(samples.path(), out.path());
    QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
    QCOMPARE(result.messages, QStringList{});
    QVERIFY(gamePaths().ExePath.isEmpty() && gamePaths().StagePath.isEmpty());

    QStringList expected{QStringLiteral("Form1")};
    {
      test::SampleGame game;
      test::ModalAnswerer answerer;
      Form1 main;
      const int rows = main.findChild<QListWidget *>(QStringLiteral("List1"))->count();
      for (int row = 0; row < rows; ++row)
        if (main.registry().has(*sectionAtRow(row))) {
          QWidget *editor = main.registry().show(*sectionAtRow(row));
          expected << editor->objectName();
          editor->close();
        }
    }
    expected << QStringLiteral("HistoryWindow") << QStringLiteral("TableGridWindow");
    QStringList windows;
    for (const screenshots::Picture &picture : result.pictures) {
      windows << picture.window;
      QCOMPARE(QFileInfo(picture.path).fileName(), picture.window + QStringLiteral(".png"));
      QCOMPARE(QFileInfo(picture.path).absolutePath(), QDir(out.path()).absolutePath());
      QVERIFY(!picture.title.isEmpty());
      QImage image;
      QVERIFY2(image.load(picture.path, "PNG"), qPrintable(picture.path));
      QVERIFY(image.width() > 300 && image.height() > 200);
    }
    QCOMPARE(windows, expected);
    QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), expected.size());
  }

  // Only the text between the markers is replaced, with paths relative to the
  // README; without the markers the README stays as it was.
  void listsThePicturesInTheReadme() {
    QTemporaryDir dir;
    const QString readme = dir.filePath(QStringLiteral("README.md"));
    writeText(readme,
              QStringLiteral("# 标题\n\n<!-- screenshots -->\n旧的\n<!-- /screenshots -->\n尾\n"));
    const QList<screenshots::Picture> pictures{
        {"Form1", "Korvane静态修改器", dir.filePath("docs/screenshots/Form1.png")},
        {"Form2", "Korvane机体修改器", dir.filePath("docs/screenshots/Form2.png")}};
    QString error;
    QVERIFY(screenshots::updateReadme(readme, pictures, &error));
    QCOMPARE(readText(readme),
             QStringLiteral(
                 "# 标题\n\n<!-- screenshots -->\n"
                 "`Form1` Korvane静态修改器\n\n![Korvane静态修改器](docs/screenshots/Form1.png)\n\n"
                 "`Form2` Korvane机体修改器\n\n![Korvane机体修改器](docs/screenshots/Form2.png)\n\n"
                 "<!-- /screenshots -->\n尾\n"));

    const QString plain = QStringLiteral("# 没有标记\n");
    writeText(readme, plain);
    QVERIFY(!screenshots::updateReadme(readme, pictures, &error));
    QVERIFY(error.contains(QStringLiteral("README.md")));
    QCOMPARE(readText(readme), plain);
  }
};

QTEST_MAIN(TestScreenshots)
#include "tst_screenshots.moc"
