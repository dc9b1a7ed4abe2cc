#include "editors/tables/protagonist_spirit_record.h"

#include "editors/shared/spirit_slot.h"

namespace korvane {

namespace {

constexpr qint64 kTableOffset = 0x355240;
constexpr int kRecordSize = 24;
constexpr int kRecordCount = 196;

struct ZodiacSign {
  const char *name;
  const char *dates;
};

// In record order: the table begins with Taurus and ends with Aries.
constexpr ZodiacSign kZodiacSigns[] = {
    {"金牛座", "4/20~5/20"},   {"双子座", "5/21~6/21"},   {"巨蟹座", "6/22~7/22"},
    {"狮子座", "7/23~8/22"},   {"处女座", "8/23~9/22"},   {"天秤座", "9/23~10/23"},
    {"天蝎座", "10/24~11/21"}, {"射手座", "11/22~12/21"}, {"摩羯座", "12/22~1/19"},
    {"水瓶座", "1/20~2/18"},   {"双鱼座", "2/19~3/20"},   {"白羊座", "3/21~4/19"}};

QStringList makeBirthProfiles() {
  const QString letters[] = {QStringLiteral("S"), QStringLiteral("R")};
  const QString sexes[] = {QStringLiteral("男"), QStringLiteral("女")};
  const QString bloodTypes[] = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("AB"),
                                QStringLiteral("O")};
  QStringList rows;
  // Sixteen rows per sign: letter, then sex, then blood type.
  for (const ZodiacSign &sign : kZodiacSigns)
    for (const QString &letter : letters)
      for (const QString &sex : sexes)
        for (const QString &blood : bloodTypes)
          rows << letter + sex + QString::fromUtf8(sign.name) + u'[' +
                      QString::fromUtf8(sign.dates) + u']' + blood + QStringLiteral("型");
  // The special birthday, blood type B only, for each letter and sex.
  for (const QString &letter : letters)
    for (const QString &sex : sexes)
      rows << letter + sex + QStringLiteral(" 光棍节 B型");
  return rows;
}

RecordLayout makeLayout() {
  RecordLayout layout{QStringLiteral("主角精神数据"), kTableOffset, kRecordSize, kRecordCount, {}};
  const SpiritSlotControls controls{"Combo1", "Text1", "Text2", "Text3",
                                    QStringLiteral("习得等级")};
  for (int slot = 0; slot < kProtagonistSpiritSlots; ++slot)
    addSpiritSlotFields(layout.fields, kSpiritSlotSize * slot, slot, controls);
  return layout;
}

} // namespace

const QStringList &BirthProfiles() {
  static const QStringList rows = makeBirthProfiles();
  return rows;
}

const RecordLayout &protagonistSpiritLayout() {
  static const RecordLayout layout = makeLayout();
  return layout;
}

} // namespace korvane
