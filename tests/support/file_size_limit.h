#pragma once

// Lets the system refuse writes at and past `bytes` into any file while it lives,
// as a full disk would: a write there fails instead of killing the process.
// Windows has no such limit (and Wine does not enforce byte-range locks, the
// nearest thing), so there `kSupported` is false and the tests that need one skip.

#include <QtGlobal>

#ifndef Q_OS_WIN
#include <csignal>
#include <sys/resource.h>
#endif

namespace korvane::test {

#ifdef Q_OS_WIN
class FileSizeLimit {
public:
  static constexpr bool kSupported = false;
  explicit FileSizeLimit(qint64) {}
  bool isSet() const { return false; }
};
#else
class FileSizeLimit {
public:
  static constexpr bool kSupported = true;
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit low = saved_;
    low.rlim_cur = bytes;
    set_ = setrlimit(RLIMIT_FSIZE, &low) == 0;
  }
  ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }
  FileSizeLimit(const FileSizeLimit &) = delete;
  FileSizeLimit &operator=(const FileSizeLimit &) = delete;

  bool isSet() const { return set_; }

private:
  rlimit saved_{};
  bool set_ = false;
};
#endif

} // namespace korvane::test
