#pragma once

// The system's reasons for a failed file access, told in Chinese for the cases a
// user meets (a full disk, no permission, a missing file or folder, a folder where
// a file belongs, a read-only file system) instead of the system's English text.

#include <QString>

class QFileDevice;

namespace korvane {

// The reason for the errno value `code`: Chinese for the common cases, the
// system's own text for any other.
QString systemReason(int code);

// The reason `file` last failed, told from its error text; "没有给出原因" when
// the system gave none.
QString fileErrorReason(const QFileDevice &file);

#ifdef Q_OS_WIN
// The reason for the Windows error `code` (GetLastError()): Chinese for the
// common cases, Windows' own text for any other.
QString windowsReason(unsigned long code);
#endif

} // namespace korvane
