#pragma once

// Drives one of the pilot growth windows through its controls on the synthetic game.

#include "editors/shared/record_clipboard.h"
#include "tests/support/window_harness.h"

#include <QLabel>
#include <QRadioButton>
#include <QTest>

namespace korvane::test {

template <typename Form> class GrowthHarness : public WindowHarness {
public:
  GrowthHarness() : WindowHarness(&makeForm<Form>) {}

  QRadioButton *option(int number) const {
    return control<QRadioButton>(QStringLiteral("Option%1").arg(number));
  }
  QString cell(int box) const { return text(QStringLiteral("Text1_%1").arg(box)); }
  void setCell(int box, int value) const {
    type(QStringLiteral("Text1_%1").arg(box), QString::number(value));
  }

  // Saves and checks that no message came up.
  void saveQuietly() {
    answers.clear();
    click("save");
    QVERIFY2(answers.texts().isEmpty(), qPrintable(answers.last()));
  }

  // Types `entry` into `box`, saves, and checks that the refusal names `caption`,
  // puts the focus on the box and leaves the file as it was.
  void expectRefusal(const QString &box, const QString &entry, const QString &caption) {
    const QByteArray before = game.exe();
    answers.clear();
    type(box, entry);
    click("save");
    QCOMPARE(answers.texts().size(), 1);
    QVERIFY2(answers.last().contains(caption), qPrintable(answers.last()));
    QCOMPARE(window_->focusWidget(), this->box(box));
    QVERIFY(game.exe() == before);
  }

  // With no row picked, a save asks for one and writes nothing.
  void expectSaveAsksForARow() {
    const QByteArray before = game.exe();
    answers.clear();
    click("save");
    QCOMPARE(answers.texts(), QStringList{pickRecordMessage()});
    QVERIFY(game.exe() == before);
  }
};

inline QByteArray bytesOf(std::initializer_list<int> values) {
  QByteArray bytes;
  for (int value : values)
    bytes.append(char(value));
  return bytes;
}

// True when every byte that differs lies in [start, start + length).
inline bool changedOnlyWithin(const QByteArray &before, const QByteArray &after, qint64 start,
                              qint64 length) {
  for (qint64 offset : differences(before, after))
    if (offset < start || offset >= start + length)
      return false;
  return true;
}

// True when `heading` stands above `box`, its middle within the box's width.
inline bool standsOver(const QWidget *heading, const QWidget *box) {
  const QWidget *window = box->window();
  const QRect headingPlace(heading->mapTo(window, QPoint()), heading->size());
  const QRect boxPlace(box->mapTo(window, QPoint()), box->size());
  return headingPlace.bottom() < boxPlace.top() && boxPlace.left() <= headingPlace.center().x() &&
         headingPlace.center().x() <= boxPlace.right();
}

// The window's labels that read `text`.
inline QList<QLabel *> labelsReading(const QWidget *window, const QString &text) {
  QList<QLabel *> found;
  for (QLabel *label : window->findChildren<QLabel *>())
    if (label->text() == text)
      found.append(label);
  return found;
}

} // namespace korvane::test
