// Opening, reading and replacing the files a user names, on each system: folders
// with Chinese names, what is no regular file, files another program holds open,
// and the system's reasons told in Chinese.

#include "io/regular_file.h"
#include "io/system_errors.h"
#include "tests/support/sample_game.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

using korvane::openRegularFile;
using korvane::readRegularFile;
using korvane::replaceFile;
using korvane::test::SampleGame;

namespace {

// Bytes a text-mode reader or writer would change: line ends, the old
// end-of-file mark and a zero byte.
const QByteArray kBinaryBytes("\x00\r\n\x1a\n\r\xff", 7);

const QString kNotRegular = QStringLiteral("不是普通文件");

} // namespace

class TestRegularFile : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

  // A game file in folders with Chinese names and a blank.
  QString gameFileInChineseFolder(const QByteArray &bytes) {
    const QString folder = dir_.filePath(QStringLiteral("修改器 存档/游戏文件"));
    if (!QDir().mkpath(folder))
      return {};
    const QString path = folder + QStringLiteral("/SLPS_255.37");
    SampleGame::writeFile(path, bytes);
    return path;
  }

private slots:
  void chineseFoldersAreReadAndWrittenByteForByte() {
    const QString path = gameFileInChineseFolder(kBinaryBytes);
    QFile file(path);
    QCOMPARE(openRegularFile(file, QIODevice::ReadWrite | QIODevice::Unbuffered), QString());
    QCOMPARE(file.size(), kBinaryBytes.size());
    QCOMPARE(file.readAll(), kBinaryBytes);
    QVERIFY(file.seek(1));
    QCOMPARE(file.write("\n\r", 2), 2);
    file.close();
    QByteArray expected = kBinaryBytes;
    expected.replace(1, 2, "\n\r");
    QCOMPARE(SampleGame::readFile(path), expected);

    const korvane::FileContents read = readRegularFile(path, 100, QStringLiteral("游戏文件"));
    QVERIFY2(read.ok(), qPrintable(read.error));
    QCOMPARE(read.bytes, expected);
  }

  void aReplacedFileHoldsTheNewBytesAndNothingIsLeftBeside() {
    const QString path = gameFileInChineseFolder("old");
    QCOMPARE(replaceFile(path, kBinaryBytes), QString());
    QCOMPARE(SampleGame::readFile(path), kBinaryBytes);
    const QString made = QFileInfo(path).absolutePath() + QStringLiteral("/新补丁.bps");
    QCOMPARE(replaceFile(made, "BPS1"), QString());
    QCOMPARE(SampleGame::readFile(made), QByteArray("BPS1"));
    QCOMPARE(QDir(QFileInfo(path).absolutePath())
                 .entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name),
             (QStringList{QStringLiteral("SLPS_255.37"), QStringLiteral("新补丁.bps")}));
  }

  void onlyRegularFilesAreOpened() {
    QFile folder(dir_.path());
    QVERIFY(openRegularFile(folder, QIODevice::ReadOnly).contains(kNotRegular));
    QVERIFY(!openRegularFile(folder, QIODevice::ReadWrite).isEmpty());
    QCOMPARE(replaceFile(dir_.path(), "x"), korvane::systemReason(EISDIR));
    QVERIFY(QFileInfo(dir_.path()).isDir());
#ifdef Q_OS_WIN
    // Any folder's "NUL" is the null device, and "\\.\" names devices.
    const QStringList devices{dir_.filePath(QStringLiteral("NUL")), QStringLiteral("\\\\.\\NUL")};
#else
    const QStringList devices{QStringLiteral("/dev/null")};
#endif
    for (const QString &path : devices) {
      QFile device(path);
      const QString reason = openRegularFile(device, QIODevice::ReadOnly);
      QVERIFY2(reason.contains(kNotRegular), qPrintable(path + u' ' + reason));
      QVERIFY(!device.isOpen());
    }
  }

  void aMissingFileIsNeverMade() {
    const QString path = dir_.filePath(QStringLiteral("没有这个文件.bin"));
    QFile file(path);
    QCOMPARE(openRegularFile(file, QIODevice::ReadWrite), QStringLiteral("文件或文件夹不存在"));
    QVERIFY(!QFileInfo::exists(path));
    QCOMPARE(readRegularFile(path, 100, QStringLiteral("游戏文件")).reason,
             QStringLiteral("文件或文件夹不存在"));
  }

  // Qt's own error text for a failed open, whatever the system's language.
  void theSystemsReasonIsToldInChinese() {
    QFile file(dir_.filePath(QStringLiteral("没有这个文件夹/units.csv")));
    QVERIFY(!file.open(QIODevice::WriteOnly));
    QCOMPARE(korvane::fileErrorReason(file), QStringLiteral("文件或文件夹不存在"));
    QCOMPARE(replaceFile(file.fileName(), "x"), QStringLiteral("文件或文件夹不存在"));
  }

  // An emulator may keep the game file open for reading while a save writes it,
  // and reads what the save wrote.
  void anotherReaderSeesTheWrittenBytes() {
    const QString path = gameFileInChineseFolder(kBinaryBytes);
    QFile save(path);
    QCOMPARE(openRegularFile(save, QIODevice::ReadWrite | QIODevice::Unbuffered), QString());
    QFile emulator(path);
    QVERIFY(emulator.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    QCOMPARE(emulator.readAll(), kBinaryBytes);
    QVERIFY(save.seek(0));
    QCOMPARE(save.write("AB", 2), 2);
    QVERIFY(emulator.seek(0));
    QCOMPARE(emulator.read(2), QByteArray("AB"));
  }

#ifdef Q_OS_WIN
  // A program that opened the file without letting others write it: a save is
  // refused with the reason, reading still works.
  void aProgramThatForbidsWritingIsTold() {
    const QString path = gameFileInChineseFolder(kBinaryBytes);
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    HANDLE other = CreateFileW(native.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    QVERIFY(other != INVALID_HANDLE_VALUE);
    QFile save(path);
    const QString reason = openRegularFile(save, QIODevice::ReadWrite);
    QFile reader(path);
    const QString readReason = openRegularFile(reader, QIODevice::ReadOnly);
    CloseHandle(other);
    QCOMPARE(reason, korvane::windowsReason(ERROR_SHARING_VIOLATION));
    QVERIFY(reason.contains(QStringLiteral("另一个程序")));
    QCOMPARE(readReason, QString());
  }

  void windowsCodesWithoutAChineseTextKeepWindowsOwn() {
    QCOMPARE(korvane::windowsReason(ERROR_HANDLE_DISK_FULL), QStringLiteral("磁盘空间不足"));
    QVERIFY(!korvane::windowsReason(ERROR_INVALID_FUNCTION).isEmpty());
  }
#endif
};

QTEST_GUILESS_MAIN(TestRegularFile)
#include "tst_regular_file.moc"
