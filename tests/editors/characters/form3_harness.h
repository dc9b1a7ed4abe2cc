#pragma once

// Drives the character window through its controls on the synthetic game.

#include "editors/characters/form3.h"
#include "tests/support/window_harness.h"

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

class Form3Harness : public WindowHarness {
public:
  Form3Harness() : WindowHarness(&makeForm<Form3>) {}
};

} // namespace korvane::test
