#include "editors/tables/skill_training_record.h"

#include "editors/shared/choice_lists.h"
#include "editors/tables/growth_levels.h"

namespace korvane {

namespace {

constexpr qint64 kTableOffset = 0x35464C;
constexpr int kRecordSize = 48;
constexpr int kRecordCount = 40;
constexpr int kTypeOffset = 8;

RecordLayout makeLayout() {
  RecordLayout layout{QStringLiteral("特技养成数据"), kTableOffset, kRecordSize, kRecordCount, {}};
  FieldPart type{QStringLiteral("Frame1"), QStringLiteral("养成类型"), Encoding::OptionGroup};
  type.choices = {&TrainingTypes(), nullptr, -1, {}, &TrainingTypeCodes()};
  layout.fields.push_back(Field{QStringLiteral("TrainingType"), kTypeOffset, 1, {type}});
  // The boxes follow the cost bytes in file order.
  for (int group = 0; group < kPpCostGroups; ++group)
    for (int level = 0; level < kGrowthLevels; ++level)
      for (int byte = 0; byte < kPpCostEntrySize; ++byte) {
        const int box = ppCostBox(group, level, byte);
        layout.fields.push_back(decimalField(QStringLiteral("PpCostGroup%1.%2.Byte%3")
                                                 .arg(group + 1)
                                                 .arg(growthLevelName(level))
                                                 .arg(byte),
                                             kPpCostOffset + box, 1, arrayElementName("Text1", box),
                                             QStringLiteral("消耗PP %1 第%2组第%3格")
                                                 .arg(growthLevelName(level))
                                                 .arg(group + 1)
                                                 .arg(byte + 1)));
      }
  return layout;
}

} // namespace

const QStringList &TrainingTypes() {
  static const QStringList rows{QStringLiteral("不能养成不能升级"),
                                QStringLiteral("不能养成能升级"), QStringLiteral("能养成不能升级"),
                                QStringLiteral("能养成能升级")};
  return rows;
}

const std::vector<quint32> &TrainingTypeCodes() {
  static const std::vector<quint32> codes{0, 2, 5, 7};
  return codes;
}

QStringList trainedSkillNames() { return SkillNames().mid(1, kRecordCount); }

int ppCostBox(int group, int level, int byte) {
  return kGrowthLevels * kPpCostEntrySize * group + kPpCostEntrySize * level + byte;
}

const RecordLayout &skillTrainingLayout() {
  static const RecordLayout layout = makeLayout();
  return layout;
}

} // namespace korvane
