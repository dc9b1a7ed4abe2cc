#pragma once

// Drives the character window through its controls on the synthetic game.

#include "editors/characters/form3.h"
#include "tests/support/modal_answerer.h"
#include "tests/support/sample_game.h"
#include "tests/support/window_driver.h"

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
  game.patchExe(characterAt(row) + offset, bytes);
}

class Form3Harness : public WindowDriver {
public:
  SampleGame game;
  ModalAnswerer answers;

  ~Form3Harness() { delete window_.data(); }

  // Opens the window; name lists and the game file may be changed before.
  QWidget *open() {
    window_ = new Form3;
    window_->show();
    return window_;
  }
  QWidget *form() const { return window_; }

  using WindowDriver::list;
  QListWidget *list() const { return list(QStringLiteral("List1")); }
  void pick(int row) const { list()->setCurrentRow(row); }
};

} // namespace korvane::test
