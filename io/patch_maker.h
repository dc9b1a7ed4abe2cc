#pragma once

// Making a patch of a game file: the bytes that turn an original into a modified
// version of the same file, as BPS (checked by CRC32) or IPS, written to a file.
// The editor's main window and korvane-tool both make their patches here.

#include "io/game_files.h"

#include <QString>

namespace korvane {

enum class PatchFormat { Bps, Ips };

// The format a patch file's name asks for: IPS for ".ips", BPS for anything else.
PatchFormat patchFormatFor(const QString &path);
QString patchFormatName(PatchFormat format); // "BPS" or "IPS"

struct PatchOutcome {
  QString error;             // why no patch was written; empty on success
  qint64 differingBytes = 0; // bytes in which the two files differ
};

// Writes to `output` the patch that turns the file `original` into the file
// `modified`. Refused, with nothing written, when the two differ in size, when
// `output` is one of them, or when the format cannot express a change.
PatchOutcome writePatchFile(const GameFileRef &original, const GameFileRef &modified,
                            const QString &output, PatchFormat format);

} // namespace korvane
