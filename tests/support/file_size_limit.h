#pragma once

// Lets the system refuse writes at and past `bytes` into any file while it lives,
// as a full disk would: a write there fails instead of killing the process.

#include <csignal>
#include <sys/resource.h>

namespace korvane::test {

class FileSizeLimit {
public:
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

} // namespace korvane::test
