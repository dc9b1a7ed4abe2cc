#pragma once

// The raw baseline of the tool's benchmarks: read two files whole and count the
// bytes in which they differ, with nothing of the editor in between; and the
// plain file reads and writes that prepare their inputs.

#include <QByteArray>
#include <QFile>
#include <benchmark/benchmark.h>
#include <cstring>

namespace korvane::bench {

inline QByteArray readAll(const QString &path) {
  QFile file(path);
  file.open(QIODevice::ReadOnly);
  return file.readAll();
}

inline void writeAll(const QString &path, const QByteArray &bytes) {
  QFile file(path);
  file.open(QIODevice::WriteOnly | QIODevice::Truncate);
  file.write(bytes);
}

inline void rawReadAndCompare(benchmark::State &state, const QString &original,
                              const QString &modified) {
  // The buffers are kept from one round to the next, so that the baseline pays
  // for no fresh memory.
  QByteArray a(readAll(original).size(), Qt::Uninitialized);
  QByteArray b(a.size(), Qt::Uninitialized);
  for (auto _ : state) {
    QFile first(original);
    QFile second(modified);
    if (!first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly) ||
        first.read(a.data(), a.size()) != a.size() || second.read(b.data(), b.size()) != b.size())
      state.SkipWithError("cannot read the sample files");
    // Equal blocks are passed over with memcmp; differing ones are counted byte by byte.
    constexpr qsizetype kBlock = 4096;
    const qsizetype length = std::min(a.size(), b.size());
    const char *x = a.constData();
    const char *y = b.constData();
    qint64 differing = 0;
    for (qsizetype at = 0; at < length; at += kBlock) {
      const qsizetype size = std::min(kBlock, length - at);
      if (std::memcmp(x + at, y + at, size_t(size)) == 0)
        continue;
      for (qsizetype i = at; i < at + size; ++i)
        differing += x[i] != y[i];
    }
    benchmark::DoNotOptimize(differing);
  }
}

} // namespace korvane::bench
