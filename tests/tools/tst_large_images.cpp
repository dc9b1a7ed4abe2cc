// korvane-tool on whole disc images of 1 GB and on files far larger than a game
// file, run as a program of its own: patch, apply and its dry run stay within
// 128 MB of resident memory, a patch that fails its target CRC32 leaves the
// image as it was, and running out of memory ends in a message, not an abort.
// The images are sparse, so that they take a few MB of disk.

#include "io/bps.h"

#include <QFile>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr qint64 kImageSize = qint64(1) << 30;
constexpr long kMostResidentKb = 128 * 1024;

struct Run {
  int status = -1;
  QString err;
  long peakKb = 0; // the child's largest resident size
};

// Runs korvane-tool with `arguments`, its address space limited to
// `addressSpace` bytes when given.
Run runTool(const QTemporaryDir &dir, const QStringList &arguments, rlim_t addressSpace = 0) {
  const QByteArray errPath = QFile::encodeName(dir.filePath(QStringLiteral("stderr.txt")));
  std::vector<QByteArray> encoded{QByteArrayLiteral(KORVANE_TOOL_PATH)};
  for (const QString &argument : arguments)
    encoded.push_back(QFile::encodeName(argument));
  std::vector<char *> argv;
  for (QByteArray &argument : encoded)
    argv.push_back(argument.data());
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    const int out = open("/dev/null", O_WRONLY);
    const int err = open(errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, 1);
    dup2(err, 2);
    if (addressSpace > 0) {
      const rlimit limit{addressSpace, addressSpace};
      setrlimit(RLIMIT_AS, &limit);
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
  Run run;
  int status = 0;
  rusage usage{};
  if (child > 0 && wait4(child, &status, 0, &usage) == child) {
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.peakKb = usage.ru_maxrss;
  }
  QFile err(QFile::decodeName(errPath));
  if (err.open(QIODevice::ReadOnly))
    run.err = QString::fromUtf8(err.readAll());
  return run;
}

bool writeAt(const QString &path, qint64 offset, const QByteArray &bytes) {
  QFile file(path);
  return file.open(QIODevice::ReadWrite) && file.seek(offset) && file.write(bytes) == bytes.size();
}

QByteArray filler(qint64 size, char seed) {
  QByteArray bytes(size, Qt::Uninitialized);
  for (qint64 i = 0; i < size; ++i)
    bytes[i] = char(seed + i * 7 + (i >> 9));
  return bytes;
}

// A sparse file of `size` bytes with data in its first and last MiB.
bool writeImage(const QString &path, qint64 size) {
  QFile::remove(path);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || !file.resize(size))
    return false;
  file.close();
  return writeAt(path, 0, filler(1 << 20, 1)) &&
         writeAt(path, size - (1 << 20), filler(1 << 20, 2));
}

// The image with a few bytes changed near its start, in the middle and at its
// end, and a MiB changed two thirds in.
bool writeModified(const QString &path, qint64 size) {
  return writeImage(path, size) && writeAt(path, 0x9321, "\x5A\x5B") &&
         writeAt(path, size / 2, "\x01") && writeAt(path, size - 3, "\xA5") &&
         writeAt(path, size / 3 * 2, filler(1 << 20, 3));
}

bool sameFiles(const QString &a, const QString &b) {
  QFile first(a);
  QFile second(b);
  if (!first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly) ||
      first.size() != second.size())
    return false;
  constexpr qint64 kBlock = 4 << 20;
  while (!first.atEnd())
    if (first.read(kBlock) != second.read(kBlock))
      return false;
  return true;
}

} // namespace

class TestLargeImages : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

  QString path(const char *name) const { return dir_.filePath(QString::fromLatin1(name)); }

private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    // Sparse files need little room, but a file system without holes needs it all.
    if (QStorageInfo(dir_.path()).bytesAvailable() < 4 * kImageSize)
      QSKIP("less than 4 GB free beside the test's images");
  }

  void patchAndApplyOfAWholeImageStayInBoundedMemory() {
    QVERIFY(writeImage(path("original.iso"), kImageSize));
    QVERIFY(writeModified(path("modified.iso"), kImageSize));
    Run run = runTool(dir_, {QStringLiteral("patch"), path("original.iso"), path("modified.iso"),
                             QStringLiteral("-o"), path("image.bps")});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QVERIFY2(run.peakKb < kMostResidentKb, qPrintable(QString::number(run.peakKb)));

    QVERIFY(writeImage(path("copy.iso"), kImageSize));
    run = runTool(dir_, {QStringLiteral("apply"), path("copy.iso"), path("image.bps"),
                         QStringLiteral("--dry-run")});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QVERIFY2(run.peakKb < kMostResidentKb, qPrintable(QString::number(run.peakKb)));

    run = runTool(dir_, {QStringLiteral("apply"), path("copy.iso"), path("image.bps")});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QVERIFY2(run.peakKb < kMostResidentKb, qPrintable(QString::number(run.peakKb)));
    QVERIFY(sameFiles(path("copy.iso"), path("modified.iso")));
  }

  // The target's CRC32 is checked against the file before the first write.
  void aPatchFailingItsTargetCrcLeavesTheImageAsItWas() {
    constexpr qint64 kSize = 64 << 20;
    QVERIFY(writeImage(path("small.iso"), kSize));
    QVERIFY(writeModified(path("small-modified.iso"), kSize));
    Run run = runTool(dir_, {QStringLiteral("patch"), path("small.iso"), path("small-modified.iso"),
                             QStringLiteral("-o"), path("small.bps")});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QFile file(path("small.bps"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray patch = file.readAll();
    file.close();
    patch[patch.size() - 8] = char(patch[patch.size() - 8] ^ 0x10); // the target's CRC32
    const quint32 crc = korvane::crc32Of(QByteArrayView(patch).first(patch.size() - 4));
    for (int i = 0; i < 4; ++i)
      patch[patch.size() - 4 + i] = char(quint8(crc >> (8 * i)));
    QVERIFY(writeAt(path("small.bps"), 0, patch));

    QVERIFY(writeImage(path("small-copy.iso"), kSize));
    run = runTool(dir_, {QStringLiteral("apply"), path("small-copy.iso"), path("small.bps")});
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(QStringLiteral("补丁有误，拒绝应用")), qPrintable(run.err));
    QVERIFY(sameFiles(path("small-copy.iso"), path("small.iso")));
  }

  // A file of 3 GiB given as the executable is no game file: refused at once.
  void aHugeFileAsTheExecutableIsRefused() {
    QVERIFY(writeImage(path("SLPS_255.37"), qint64(3) << 30));
    Run run = runTool(dir_, {QStringLiteral("dump"), path("SLPS_255.37"), QStringLiteral("all"),
                             QStringLiteral("-o"), path("dumped")});
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(QStringLiteral("不是游戏文件")), qPrintable(run.err));
    QVERIFY(writeAt(path("tiny.ips"), 0,
                    QByteArray("PATCH") +
                        QByteArray::fromHex("000010"
                                            "0001"
                                            "7F") +
                        "EOF"));
    run = runTool(dir_, {QStringLiteral("apply"), path("SLPS_255.37"), path("tiny.ips")});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QVERIFY2(run.peakKb < kMostResidentKb, qPrintable(QString::number(run.peakKb)));
    QFile::remove(path("SLPS_255.37"));
  }

  // Two files of 60 MB, compared whole, do not fit in 160 MB of address space.
  void runningOutOfMemoryEndsInAMessage() {
    for (const char *name : {"a.37", "b.37"})
      QVERIFY(writeImage(path(name), 60 << 20));
    const Run run =
        runTool(dir_, {QStringLiteral("diff"), path("a.37"), path("b.37")}, rlim_t(160) << 20);
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(QStringLiteral("内存不足，命令没有完成。")), qPrintable(run.err));
  }
};

QTEST_GUILESS_MAIN(TestLargeImages)
#include "tst_large_images.moc"
