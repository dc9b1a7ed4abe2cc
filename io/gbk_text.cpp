#include "io/gbk_text.h"

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <QStringDecoder>
#include <QStringEncoder>
#endif

namespace korvane {

#ifdef Q_OS_WIN

namespace {

constexpr UINT kGbkCodePage = 936;

// One character's bytes decoded strictly; empty when code page 936 has no
// character for them.
QString decodeStrictly(const char *bytes, int size) {
  wchar_t wide[4];
  const int length = MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, bytes, size, wide, 4);
  return QString::fromWCharArray(wide, length);
}

} // namespace

// Windows would quietly turn a byte sequence that is no GBK character into some
// other character; each is U+FFFD here, as Qt's GBK decoder makes it on Linux,
// so that a damaged name list is reported the same way on both.
QString decodeGbk(QByteArrayView bytes) {
  if (bytes.isEmpty())
    return {};
  const int length = MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, bytes.data(),
                                         int(bytes.size()), nullptr, 0);
  if (length > 0) {
    QString text(length, Qt::Uninitialized);
    MultiByteToWideChar(kGbkCodePage, 0, bytes.data(), int(bytes.size()),
                        reinterpret_cast<wchar_t *>(text.data()), length);
    return text;
  }
  QString text;
  for (qsizetype at = 0; at < bytes.size();) {
    const auto byte = quint8(bytes[at]);
    if (byte < 0x80) {
      text += QChar(byte);
      ++at;
      continue;
    }
    const QString pair = at + 1 < bytes.size() ? decodeStrictly(bytes.data() + at, 2) : QString();
    text += pair.isEmpty() ? QString(QChar::ReplacementCharacter) : pair;
    at += pair.isEmpty() ? 1 : 2;
  }
  return text;
}

QByteArray encodeGbk(QStringView text) {
  if (text.isEmpty())
    return {};
  const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
  const int length =
      WideCharToMultiByte(kGbkCodePage, 0, wide, int(text.size()), nullptr, 0, nullptr, nullptr);
  QByteArray bytes(length, Qt::Uninitialized);
  WideCharToMultiByte(kGbkCodePage, 0, wide, int(text.size()), bytes.data(), length, nullptr,
                      nullptr);
  return bytes;
}

#else

QString decodeGbk(QByteArrayView bytes) { return QStringDecoder("GBK").decode(bytes); }

QByteArray encodeGbk(QStringView text) { return QStringEncoder("GBK").encode(text); }

#endif

} // namespace korvane
