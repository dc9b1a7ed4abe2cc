#pragma once

// Makes a file read-only for everyone while it lives: without write permission,
// and immutable as well when running as root, since root may write without
// permission. Restored on destruction.

#include <QString>

namespace korvane::test {

class ReadOnlyFile {
public:
  explicit ReadOnlyFile(QString path);
  ~ReadOnlyFile();
  ReadOnlyFile(const ReadOnlyFile &) = delete;
  ReadOnlyFile &operator=(const ReadOnlyFile &) = delete;

  // False when the file system cannot keep this user from writing it; skip the test then.
  bool ok() const { return ok_; }

private:
  QString path_;
  bool immutable_ = false;
  bool ok_ = true;
};

} // namespace korvane::test
