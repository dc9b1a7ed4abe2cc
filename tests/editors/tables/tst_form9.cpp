// Skill correction, driven through Form9's controls: the whole area at once.

#include "editors/tables/form9.h"
#include "tests/editors/tables/growth_harness.h"

using namespace korvane;
using namespace korvane::test;

namespace {

constexpr qint64 kArea = 0x37B0D4;
constexpr qint64 kAreaEnd = 0x37B1A8;

struct Block {
  qint64 start; // file offset
  int firstBox;
  int boxes;
};
constexpr Block kBlocks[] = {{0x37B0D4, 0, 36},
                             {0x37B104, 36, 36},
                             {0x37B132, 72, 18},
                             {0x37B154, 90, 36},
                             {0x37B184, 126, 36}};

struct Gap {
  qint64 start;
  int length;
};
constexpr Gap kGaps[] = {{0x37B0F8, 12}, {0x37B128, 10}, {0x37B144, 16}, {0x37B178, 12}};

// The file offset that box `box` shows.
qint64 offsetOfBox(int box) {
  for (const Block &block : kBlocks)
    if (box < block.firstBox + block.boxes)
      return block.start + box - block.firstBox;
  return -1;
}

} // namespace

class TestForm9 : public QObject {
  Q_OBJECT

private slots:
  // The first and last box of every block, read when the window opens.
  void everyBlockStartsAndEndsAtItsBytes() {
    GrowthHarness<Form9> h;
    for (const Block &block : kBlocks) {
      h.game.patchExe(block.start, bytesOf({block.firstBox + 1}));
      h.game.patchExe(block.start + block.boxes - 1, bytesOf({block.firstBox + block.boxes}));
    }
    h.game.patchExe(kAreaEnd - 1, QByteArray::fromHex("FB"));
    h.open();
    QVERIFY2(h.answers.texts().isEmpty(), qPrintable(h.answers.last()));
    for (const Block &block : kBlocks) {
      QCOMPARE(h.cell(block.firstBox), QString::number(block.firstBox + 1));
      if (block.firstBox + block.boxes < 162)
        QCOMPARE(h.cell(block.firstBox + block.boxes - 1),
                 QString::number(block.firstBox + block.boxes));
    }
    QCOMPARE(h.cell(161), "251");
    h.saveQuietly();
    QCOMPARE(h.game.exe().mid(kAreaEnd - 1, 1), QByteArray::fromHex("FB"));
  }

  // Each column word stands over its own column, a column without one has a blank
  // heading that names it when hovered, and the skill's name heads its block.
  void eachHeadingStandsOverItsColumn() {
    GrowthHarness<Form9> h;
    QWidget *form = h.open();
    const struct {
      QString skill;
      QStringList columns;
      int firstBox;
    } blocks[] = {{QStringLiteral("ニュータイプ"), {"命中", "回避", "射程", ""}, 0},
                  {QStringLiteral("強化人間"), {"命中", "回避", "射程", ""}, 36},
                  {QStringLiteral("念動力"), {"命中", "回避"}, 72},
                  {QStringLiteral("超能力"), {"命中", "回避", "必杀", ""}, 90},
                  {QStringLiteral("勇者"), {"命中", "回避", "必杀", "装甲"}, 126}};
    for (const auto &block : blocks) {
      QCOMPARE(labelsReading(form, block.skill).size(), 1);
      for (int byte = 0; byte < block.columns.size(); ++byte) {
        QLineEdit *top = h.box(QStringLiteral("Text1_%1").arg(block.firstBox + byte));
        QLineEdit *bottom =
            h.box(QStringLiteral("Text1_%1").arg(block.firstBox + 8 * block.columns.size() + byte));
        int over = 0;
        for (QLabel *heading : labelsReading(form, block.columns[byte]))
          if (standsOver(heading, top) && standsOver(heading, bottom) &&
              top->mapTo(form, QPoint()).y() - heading->mapTo(form, QPoint()).y() <
                  2 * top->height()) {
            ++over;
            if (block.columns[byte].isEmpty())
              QCOMPARE(heading->toolTip(),
                       QStringLiteral("%1 第%2格：这一列没有标题").arg(block.skill).arg(byte + 1));
          }
        QVERIFY2(over == 1, qPrintable(block.skill + block.columns[byte]));
      }
    }
  }

  // Every box goes to its byte; the gaps, random in the sample, stay as they were.
  void aSaveWritesEveryBoxAndNoGap() {
    GrowthHarness<Form9> h;
    h.open();
    const QByteArray before = h.game.exe();
    for (int box = 0; box < 162; ++box)
      h.setCell(box, (7 * box + 3) % 256);
    h.saveQuietly();
    const QByteArray after = h.game.exe();
    for (int box = 0; box < 162; ++box)
      QCOMPARE(int(quint8(after[offsetOfBox(box)])), (7 * box + 3) % 256);
    for (const Gap &gap : kGaps)
      QCOMPARE(after.mid(gap.start, gap.length), before.mid(gap.start, gap.length));
    QVERIFY(changedOnlyWithin(before, after, kArea, kAreaEnd - kArea));
  }

  void refusalsNameTheBoxAndWriteNothing() {
    GrowthHarness<Form9> h;
    h.open();
    h.setCell(0, 1); // an edit that must not be written either
    h.expectRefusal("Text1_100", "256", "“超能力 L3 必杀”");
    h.setCell(100, 1);
    h.expectRefusal("Text1_35", "x", "“ニュータイプ L9 第4格”");
    h.setCell(35, 1);
    h.expectRefusal("Text1_161", "", "“勇者 L9 装甲”");
  }

  // An area the file does not wholly hold is refused when the window opens, and
  // a save then writes nothing.
  void aShortFileIsRefused() {
    GrowthHarness<Form9> h;
    const QByteArray full = h.game.exe();
    h.game.setExe(full.left(kAreaEnd - 1));
    h.open();
    QCOMPARE(h.answers.texts().size(), 1);
    QVERIFY2(h.answers.last().contains(QStringLiteral("特技补正数据")),
             qPrintable(h.answers.last()));
    QCOMPARE(h.cell(0), QString());
    for (int box = 0; box < 162; ++box)
      h.setCell(box, 9);
    const QByteArray before = h.game.exe();
    h.answers.clear();
    h.click("save");
    QCOMPARE(h.answers.texts().size(), 1);
    QVERIFY(h.game.exe() == before);

    // Boxes never read from the file are not written even once it holds the area:
    // the save says so, and the window has to be opened again.
    h.game.setExe(full);
    h.answers.clear();
    h.click("save");
    QCOMPARE(h.answers.texts().size(), 1);
    QVERIFY(h.game.exe() == full);
  }
};

QTEST_MAIN(TestForm9)
#include "tst_form9.moc"
