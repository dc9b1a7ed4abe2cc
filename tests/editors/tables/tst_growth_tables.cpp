// The pilot growth tables as a whole: their descriptions against the sample game
// file, and the main window rows that open their windows.

#include "app/form1.h"
#include "editors/shared/field_codec.h"
#include "editors/shared/record_io.h"
#include "editors/tables/potential_correction_record.h"
#include "editors/tables/protagonist_spirit_record.h"
#include "editors/tables/skill_correction_record.h"
#include "editors/tables/skill_training_record.h"
#include "tests/editors/tables/growth_harness.h"

#include <QPointer>
#include <set>

using namespace korvane;
using namespace korvane::test;

namespace {

// The record offsets a description writes, each field's bytes once.
std::set<int> describedBytes(const RecordLayout &layout) {
  std::set<int> bytes;
  for (const Field &field : layout.fields)
    for (int i = 0; i < field.width; ++i)
      bytes.insert(field.offset + i);
  return bytes;
}

std::set<int> range(int from, int to) {
  std::set<int> bytes;
  for (int i = from; i < to; ++i)
    bytes.insert(i);
  return bytes;
}

} // namespace

class TestGrowthTables : public QObject {
  Q_OBJECT

private slots:
  void descriptionsCoverExactlyTheShownBytes() {
    QCOMPARE(describedBytes(protagonistSpiritLayout()), range(0, 24));
    QCOMPARE(describedBytes(skillTrainingLayout()), range(8, 45));
    QCOMPARE(describedBytes(potentialCorrectionLayout()), range(0, 40));
    std::set<int> blocks;
    for (const auto &[from, to] : {std::pair{0, 36}, {48, 84}, {94, 112}, {128, 164}, {176, 212}})
      blocks.merge(range(from, to));
    QCOMPARE(describedBytes(skillCorrectionLayout()), blocks);
    QCOMPARE(int(skillCorrectionLayout().fields.size()), 162);
  }

  // The sample file holds every table, and each coded byte has a row or an option.
  void theSampleFileHoldsEveryTable() {
    SampleGame game;
    Module1::Operation op(GameFileRef::plain(game.exePath()));
    for (const RecordLayout *layout : {&protagonistSpiritLayout(), &skillTrainingLayout(),
                                       &skillCorrectionLayout(), &potentialCorrectionLayout()}) {
      QVERIFY2(op.requireSpan(layout->tableOffset, layout->tableEnd() - layout->tableOffset,
                              layout->what),
               qPrintable(op.error()));
      for (int row = 0; row < layout->recordCount; ++row) {
        const RecordValues values = readRecord(op, *layout, layout->recordOffset(row));
        for (size_t i = 0; i < layout->fields.size(); ++i)
          for (const FieldPart &part : layout->fields[i].parts)
            if (part.encoding == Encoding::Choice || part.encoding == Encoding::OptionGroup)
              QVERIFY(choiceRow(part, partValue(part, layout->fields[i], values[i]),
                                part.choices.rows()) >= 0);
      }
    }
    QVERIFY(op.close());
  }

  // Rows 5 to 8 of the main window open the four windows; "返回" closes one.
  void theMainWindowOpensTheGrowthWindows() {
    Form1 form;
    SampleGame game;
    ModalAnswerer answerer;
    form.show();
    const std::tuple<Section, const char *, QString> windows[] = {
        {Section::ProtagonistSpirits, "Form7", QStringLiteral("Korvane主角生日精神修改")},
        {Section::SkillTraining, "Form8", QStringLiteral("Korvane机师特级养成")},
        {Section::SkillCorrection, "Form9", QStringLiteral("Korvane机师特技补正")},
        {Section::PotentialCorrection, "Form10", QStringLiteral("Korvane底力补正百分率")}};
    auto *sections = form.findChild<QListWidget *>(QStringLiteral("List1"));
    for (const auto &[section, name, caption] : windows) {
      sections->setCurrentRow(sectionRow(section));
      form.findChild<QPushButton *>(QStringLiteral("Command3"))->click();
      QPointer<QWidget> editor = form.registry().openWindow(section);
      QVERIFY(editor && editor->isVisible() && editor->isWindow());
      QCOMPARE(editor->objectName(), QString::fromLatin1(name));
      QCOMPARE(editor->windowTitle(), caption);
      editor->findChild<QPushButton *>(QStringLiteral("open"))->click(); // "返回"
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      QVERIFY(!editor);
    }
    QVERIFY2(answerer.texts().isEmpty(), qPrintable(answerer.last()));
    form.registry().closeAll();
  }
};

QTEST_MAIN(TestGrowthTables)
#include "tst_growth_tables.moc"
