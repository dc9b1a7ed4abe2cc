#pragma once

// The name lists' encoding: GBK, Windows' code page 936. Qt converts it through
// ICU, which Debian's Qt uses; Qt for Windows is built without ICU, and there
// Windows' own code page 936 converts it.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace korvane {

// GBK bytes as text; a byte sequence that is no GBK character becomes a
// replacement character.
QString decodeGbk(QByteArrayView bytes);

// Text as GBK bytes; a character GBK lacks becomes a substitute.
QByteArray encodeGbk(QStringView text);

} // namespace korvane
