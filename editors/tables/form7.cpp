#include "editors/tables/form7.h"

#include "editors/shared/choice_lists.h"
#include "editors/shared/editor_window.h"
#include "editors/shared/spirit_slot.h"
#include "editors/tables/protagonist_spirit_record.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace korvane {

Form7::Form7(QWidget *parent)
    : ListedRecordWindow("Form7", QStringLiteral("Korvane主角生日精神修改"),
                         protagonistSpiritLayout(), parent) {
  // Room for the longest profile and the scroll bar.
  int widest = 0;
  for (const QString &profile : BirthProfiles())
    widest = qMax(widest, List1->fontMetrics().horizontalAdvance(profile));
  List1->setFixedWidth(widest + List1->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 16);

  makeReturnButton();
  makeSaveButton();
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(open);
  buttons->addWidget(save);

  auto *record = new QVBoxLayout;
  record->addLayout(makeSpiritGrid());
  record->addStretch();
  record->addLayout(buttons);

  auto *layout = new QHBoxLayout(this);
  layout->addLayout(withFilterBox(List1));
  layout->addLayout(record, 1);

  nameControlsInToolTips(this, protagonistSpiritLayout());

  finishSetUp();
  resize(sizeHint().width(), 400);
}

// One grid row per entry, its four bytes left to right: the command's list, then
// a box for each of the other three.
QGridLayout *Form7::makeSpiritGrid() {
  auto *grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("精神名称"), this), 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("习得等级"), this), 0, 1);
  // One heading over both cost bytes.
  grid->addWidget(new QLabel(QStringLiteral("消耗SP"), this), 0, 2, 1, 2, Qt::AlignHCenter);
  for (const Field &field : protagonistSpiritLayout().fields) {
    const FieldPart &part = field.parts.front();
    const int row = 1 + field.offset / kSpiritSlotSize;
    const int column = field.offset % kSpiritSlotSize;
    if (part.encoding == Encoding::Choice)
      grid->addWidget(makePickList(part.control, this), row, column);
    else
      grid->addWidget(makeByteBox(part.control, this), row, column);
  }
  grid->setColumnStretch(kSpiritSlotSize, 1);
  return grid;
}

void Form7::Form_Load() {
  List1->addItems(BirthProfiles());
  for (int k = 0; k < kProtagonistSpiritSlots; ++k)
    fillChoices(findChild<QComboBox *>(arrayElementName("Combo1", k)), SpiritNames());
}

} // namespace korvane
