// The main window's disc image button: both game files from one image, or the one
// it holds, or the reason the image is refused; and a patch of a game file inside
// an image.

#include "app/form1.h"
#include "editors/shared/game_paths.h"
#include "io/bps.h"
#include "tests/support/game_image.h"
#include "tests/support/modal_answerer.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace korvane;
using namespace korvane::test;

namespace {

const QByteArray kExe(70001, '\x11');
const QByteArray kStage(9003, '\x22');

std::function<void(QFileDialog *)> choose(const QString &path, QString *filter = nullptr) {
  return [path, filter](QFileDialog *dialog) {
    if (filter)
      *filter = dialog->objectName() + u':' + dialog->nameFilters().join(u';');
    dialog->selectFile(path);
    static_cast<QDialog *>(dialog)->accept();
  };
}

QString label(QWidget &form, const char *name) {
  return form.findChild<QLabel *>(QString::fromLatin1(name))->text();
}

void clickOpenImage(QWidget &form) {
  QPushButton *button = form.findChild<QPushButton *>(QStringLiteral("openImage"));
  QCOMPARE(button->text(), QStringLiteral("打开光盘镜像"));
  button->click();
}

} // namespace

class TestForm1Image : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

private slots:
  void initTestCase() {
    if (!samples::imageMakerPresent(samples::ImageMaker::Xorriso))
      QSKIP("xorriso is not installed");
  }

  void anImageWithBothFilesSetsBothPaths() {
    const QString image = gameImageOf(dir_, QStringLiteral("game"), kExe, kStage);
    QVERIFY(!image.isEmpty());
    Form1 form;
    ModalAnswerer answerer;
    QString filter;
    answerer.onFileDialog(choose(image, &filter));
    clickOpenImage(form);
    QVERIFY2(answerer.texts().isEmpty(), qPrintable(answerer.last()));
    QCOMPARE(filter, QStringLiteral("ImageDialog:光盘镜像 (*.iso)"));
    QCOMPARE(gamePaths().ExePath, entryPath(image, kExeEntryName));
    QCOMPARE(gamePaths().StagePath, entryPath(image, kStageEntryName));
    QCOMPARE(label(form, "ExePathLabel"), image + QStringLiteral(" › SLPS_255.37"));
    QCOMPARE(label(form, "StagePathLabel"), image + QStringLiteral(" › stage.bin"));
  }

  void anImageWithOneFileSetsThatOneAndNamesTheOther() {
    const QString image =
        masterTestImage(dir_, QStringLiteral("half"), {{QStringLiteral("DATA/STAGE.BIN"), kStage}});
    QVERIFY(!image.isEmpty());
    Form1 form;
    ModalAnswerer answerer;
    answerer.onFileDialog(choose(image));
    clickOpenImage(form);
    QCOMPARE(gamePaths().StagePath, entryPath(image, kStageEntryName));
    QVERIFY(gamePaths().ExePath.isEmpty());
    QCOMPARE(answerer.texts().size(), 1);
    QVERIFY2(answerer.last().contains(QStringLiteral("找不到 SLPS_255.37")),
             qPrintable(answerer.last()));
    QVERIFY(answerer.last().contains(QStringLiteral("请另外打开SLPS_255.37")));
  }

  // A refused image leaves both chosen files as they were, and says why once.
  void aRefusedImageKeepsThePaths() {
    const QString compressed = dir_.filePath(QStringLiteral("game.cso.iso"));
    SampleGame::writeFile(compressed, QByteArray("CISO") + QByteArray(4096, '\0'));
    Form1 form;
    gamePaths().ExePath = GameFileRef::plain(QStringLiteral("/earlier/SLPS_255.37"));
    ModalAnswerer answerer;
    answerer.onFileDialog(choose(compressed));
    clickOpenImage(form);
    QCOMPARE(gamePaths().ExePath, GameFileRef::plain(QStringLiteral("/earlier/SLPS_255.37")));
    QVERIFY(gamePaths().StagePath.isEmpty());
    QCOMPARE(answerer.texts().size(), 1);
    QVERIFY2(answerer.last().contains(QStringLiteral("压缩")), qPrintable(answerer.last()));
    QVERIFY(answerer.last().contains(QStringLiteral("没有改变")));
  }

  // The modified SLPS_255.37 is an entry of an image: its size is the entry's, so
  // an extracted original of the same length makes the patch, and the image
  // itself, being longer, is no original.
  void aPatchOfAnEntryComparesTheEntrysSize() {
    const QString image = gameImageOf(dir_, QStringLiteral("modded"), kExe, kStage);
    QVERIFY(!image.isEmpty());
    QByteArray original = kExe;
    original[70000] = '\x33';
    const QString originalPath = dir_.filePath(QStringLiteral("original/SLPS_255.37"));
    QVERIFY(QDir().mkpath(QFileInfo(originalPath).absolutePath()));
    SampleGame::writeFile(originalPath, original);
    Form1 form;
    gamePaths() = {entryPath(image, kExeEntryName), entryPath(image, kStageEntryName)};

    ModalAnswerer answerer;
    answerer.onInputDialog([](QInputDialog *choice) {
      choice->setTextValue(QStringLiteral("SLPS_255.37"));
      choice->accept();
    });
    QString chosenOriginal = originalPath;
    const QString output = dir_.filePath(QStringLiteral("modded.bps"));
    answerer.onFileDialog([&](QFileDialog *dialog) {
      choose(dialog->objectName() == QLatin1String("PatchOriginalDialog") ? chosenOriginal
                                                                          : output)(dialog);
    });
    QPushButton *makePatch = form.findChild<QPushButton *>(QStringLiteral("makePatch"));
    makePatch->click();
    QVERIFY2(answerer.last().startsWith(QStringLiteral("BPS 补丁已写入：")) &&
                 answerer.last().contains(QStringLiteral("有 1 字节不同")),
             qPrintable(answerer.last()));
    QCOMPARE(applyBps(SampleGame::readFile(output), original).target, kExe);

    answerer.clear();
    chosenOriginal = image;
    makePatch->click();
    QCOMPARE(answerer.texts().size(), 1);
    QVERIFY2(answerer.last().contains(QStringLiteral("长度不同")) &&
                 answerer.last().contains(QStringLiteral("长 70001 字节")),
             qPrintable(answerer.last()));
  }
};

QTEST_MAIN(TestForm1Image)
#include "tst_form1_image.moc"
