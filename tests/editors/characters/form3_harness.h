#pragma once

// Drives the character window through its controls on the synthetic game.

#include "editors/characters/form3.h"
#include "tests/support/modal_answerer.h"
#include "tests/support/sample_game.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace korvane::test {

inline constexpr qint64 kCharacterTable = 2741248;
inline constexpr int kCharacterSize = 184;
inline constexpr qint64 kCharacterTableEnd = 2876488;
inline constexpr int kLastPilot = 734;

inline qint64 characterAt(int row) { return kCharacterTable + qint64(kCharacterSize) * row; }

inline QByteArray characterBytes(const QByteArray &exe, int row) {
  return exe.mid(characterAt(row), kCharacterSize);
}

// Puts `bytes` at `offset` of character `row` in the sample executable.
inline void patchCharacter(const SampleGame &game, int row, int offset, const QByteArray &bytes) {
  QByteArray exe = game.exe();
  exe.replace(characterAt(row) + offset, bytes.size(), bytes);
  game.setExe(exe);
}

class Form3Harness {
public:
  SampleGame game;
  ModalAnswerer answers;

  ~Form3Harness() { delete form_; }

  // Opens the window; name lists and the game file may be changed before.
  Form3 *open() {
    form_ = new Form3;
    form_->show();
    return form_;
  }
  Form3 *form() const { return form_; }

  template <typename T> T *control(const QString &name) const {
    T *found = form_->findChild<T *>(name);
    if (!found)
      qFatal("no control %s", qPrintable(name));
    return found;
  }
  QLineEdit *box(const QString &name) const { return control<QLineEdit>(name); }
  QComboBox *combo(const QString &name) const { return control<QComboBox>(name); }
  QListWidget *list() const { return control<QListWidget>(QStringLiteral("List1")); }

  void pick(int row) const { list()->setCurrentRow(row); }
  void click(const QString &button) const { control<QPushButton>(button)->click(); }

private:
  QPointer<Form3> form_;
};

} // namespace korvane::test
