#include "editors/shared/record_binder.h"

#include "editors/shared/editor_window.h"
#include "editors/shared/field_codec.h"
#include "io/module1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

namespace korvane {

namespace {

// The option buttons of a frame, in the order the window made them: row order.
// A frame with more or fewer buttons than the part has rows would show one code
// as another.
std::vector<QRadioButton *> optionButtons(QWidget *form, QWidget *frame, const FieldPart &part) {
  const QList<QRadioButton *> found = frame->findChildren<QRadioButton *>();
  if (found.size() != part.choices.rows())
    throw DescriptionMismatch(
        QStringLiteral("window %1: the frame %2 holds %3 option buttons for the %4 rows of %5")
            .arg(form->objectName(), part.control)
            .arg(found.size())
            .arg(part.choices.rows())
            .arg(part.caption)
            .toStdString());
  return {found.begin(), found.end()};
}

// Selects the option of `row`, or none for -1: exclusive buttons refuse to be
// unticked, so the exclusion is lifted while they are set.
void selectOption(const std::vector<QRadioButton *> &options, int row) {
  for (size_t i = 0; i < options.size(); ++i) {
    QRadioButton *option = options[i];
    const bool autoExclusive = option->autoExclusive();
    option->setAutoExclusive(false);
    option->setChecked(int(i) == row);
    option->setAutoExclusive(autoExclusive);
  }
}

} // namespace

RecordBinder::Binding RecordBinder::bind(QWidget *form, const Field &field, const FieldPart &part) {
  const QString &name = part.control;
  switch (part.encoding) {
  case Encoding::Choice: {
    auto *combo = requireControl<QComboBox>(form, name);
    return {&field, &part, combo, combo};
  }
  case Encoding::OptionGroup: {
    QWidget *frame = requireControl<QWidget>(form, name);
    return {&field, &part, frame, optionButtons(form, frame, part)};
  }
  case Encoding::Flag: {
    auto *box = requireControl<QCheckBox>(form, name);
    return {&field, &part, box, box};
  }
  case Encoding::FlagRows:
  case Encoding::FlagRowsReversed: {
    auto *list = requireControl<QListWidget>(form, name);
    return {&field, &part, list, list};
  }
  default: {
    auto *box = requireControl<QLineEdit>(form, name);
    return {&field, &part, box, box};
  }
  }
}

RecordBinder::RecordBinder(QWidget *form, const RecordLayout &layout) : layout_(layout) {
  for (const Field &field : layout_.fields) {
    std::vector<Binding> parts;
    for (const FieldPart &part : field.parts)
      parts.push_back(bind(form, field, part));
    bindings_.push_back(std::move(parts));
    displays_.push_back(field.display.isEmpty() ? nullptr
                                                : requireControl<QLineEdit>(form, field.display));
  }
}

void RecordBinder::fill(const RecordValues &values) {
  showing_ = true;
  for (size_t i = 0; i < bindings_.size(); ++i) {
    if (displays_[i])
      displays_[i]->setText(Module1::FileOrderHex(values[i], layout_.fields[i].width));
    for (Binding &binding : bindings_[i])
      showPart(binding, values[i]);
  }
  showing_ = false;
}

void RecordBinder::show(const RecordValues &values) {
  fill(values);
  if (afterShow_)
    afterShow_();
}

void RecordBinder::showFrom(const GameFileRef &file, qint64 start, const RecordValues &values) {
  fill(values);
  shown_ = Shown{file, start, values};
  if (afterShow_)
    afterShow_();
}

void RecordBinder::showPart(Binding &binding, quint32 raw) {
  const FieldPart &part = *binding.part;
  const Field &field = *binding.field;
  const quint32 value = partValue(part, field, raw);
  binding.unlistedCode.reset();
  switch (part.encoding) {
  case Encoding::Choice: {
    QComboBox *combo = std::get<QComboBox *>(binding.control);
    const int row = choiceRow(part, value, combo->count());
    if (row < 0) {
      binding.unlistedCode = value;
      combo->setPlaceholderText(QStringLiteral("代码 %1（列表中没有）").arg(value));
    }
    combo->setCurrentIndex(row);
    break;
  }
  case Encoding::OptionGroup: {
    const OptionButtons &options = std::get<OptionButtons>(binding.control);
    const int row = choiceRow(part, value, int(options.size()));
    if (row < 0)
      binding.unlistedCode = value;
    selectOption(options, row);
    break;
  }
  case Encoding::Flag:
    std::get<QCheckBox *>(binding.control)->setChecked(value & 1);
    break;
  case Encoding::FlagRows:
  case Encoding::FlagRowsReversed: {
    QListWidget *list = std::get<QListWidget *>(binding.control);
    const quint32 ticks = tickedRows(part, field, value);
    for (int row = 0; row < partBits(part, field); ++row)
      if (QListWidgetItem *item = list->item(row))
        item->setCheckState((ticks >> row) & 1 ? Qt::Checked : Qt::Unchecked);
    break;
  }
  default:
    std::get<QLineEdit *>(binding.control)->setText(formatPartText(part, field, raw));
  }
}

// The row an option frame has ticked, -1 when none.
int RecordBinder::checkedOption(const OptionButtons &options) {
  for (size_t i = 0; i < options.size(); ++i)
    if (options[i]->isChecked())
      return int(i);
  return -1;
}

QString RecordBinder::collectPart(const Binding &binding, quint32 &raw) const {
  const FieldPart &part = *binding.part;
  const Field &field = *binding.field;
  quint32 value = 0;
  switch (part.encoding) {
  case Encoding::Choice:
  case Encoding::OptionGroup: {
    int row = -1;
    int shownRows = 0;
    if (const auto *combo = std::get_if<QComboBox *>(&binding.control)) {
      row = (*combo)->currentIndex();
      shownRows = (*combo)->count();
    } else {
      const OptionButtons &options = std::get<OptionButtons>(binding.control);
      row = checkedOption(options);
      shownRows = int(options.size());
    }
    if (row < 0 && !binding.unlistedCode)
      return chooseRowMessage(part.caption);
    value = row < 0 ? *binding.unlistedCode : choiceCode(part, row, shownRows);
    break;
  }
  case Encoding::Flag:
    value = std::get<QCheckBox *>(binding.control)->isChecked() ? 1 : 0;
    break;
  case Encoding::FlagRows:
  case Encoding::FlagRowsReversed: {
    const QListWidget *list = std::get<QListWidget *>(binding.control);
    quint32 ticks = 0;
    for (int row = 0; row < partBits(part, field); ++row) {
      const QListWidgetItem *item = list->item(row);
      if (item && item->checkState() == Qt::Checked)
        ticks |= 1u << row;
    }
    value = valueOfTickedRows(part, field, ticks);
    break;
  }
  default: {
    const ParsedEntry entry =
        parsePartText(part, field, std::get<QLineEdit *>(binding.control)->text());
    if (!entry.value)
      return entry.error;
    value = *entry.value;
  }
  }
  raw = withPartValue(part, field, raw, value);
  return {};
}

RecordBinder::Collected RecordBinder::collect() const {
  Collected result;
  for (const auto &parts : bindings_) {
    quint32 raw = 0; // bits that no control shows are written as 0
    for (const Binding &binding : parts) {
      result.error = collectPart(binding, raw);
      if (!result.ok()) {
        result.culprit = binding.widget;
        return result;
      }
    }
    result.values.push_back(raw);
  }
  return result;
}

void RecordBinder::showWritten(const RecordValues &values) {
  if (shown_)
    shown_->values = values;
  for (size_t i = 0; i < bindings_.size(); ++i) {
    const Field &field = layout_.fields[i];
    if (displays_[i] && field.displayShowsWritten)
      displays_[i]->setText(Module1::FileOrderHex(values[i], field.width));
    for (const Binding &binding : bindings_[i])
      if (binding.part->encoding == Encoding::SignedRewrittenOnSave) {
        QLineEdit *box = std::get<QLineEdit *>(binding.control);
        if (box->text().trimmed().startsWith(u'-'))
          box->setText(QString::number(partValue(*binding.part, field, values[i])));
      }
  }
}

} // namespace korvane
