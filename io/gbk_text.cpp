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

} // namespace

QString decodeGbk(QByteArrayView bytes) {
  if (bytes.isEmpty())
    return {};
  const int length =
      MultiByteToWideChar(kGbkCodePage, 0, bytes.data(), int(bytes.size()), nullptr, 0);
  QString text(length, Qt::Uninitialized);
  MultiByteToWideChar(kGbkCodePage, 0, bytes.data(), int(bytes.size()),
                      reinterpret_cast<wchar_t *>(text.data()), length);
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
