#pragma once

// Finding where one version of a file leaves another, for the patch formats.

#include <QByteArrayView>

namespace korvane {

// The first byte from `at` on where `target` leaves `source`, within the length
// they share.
qsizetype firstChange(QByteArrayView source, QByteArrayView target, qsizetype at);

// The end of the changed stretch from `at`, going on over unchanged gaps of at
// most `carriedGap` bytes. A byte of `target` past the end of `source` counts as
// changed.
qsizetype changeEnd(QByteArrayView source, QByteArrayView target, qsizetype at,
                    qsizetype carriedGap);

} // namespace korvane
