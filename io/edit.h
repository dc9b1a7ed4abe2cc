#pragma once

// The one way this program changes a game file. An edit names the file, the bytes
// to write and what the writer last saw there, and the label the history shows;
// `commitEdit` takes it through check, write and record:
//  - check: the spans are read; any that no longer holds what the writer saw has
//    drifted (another program wrote meanwhile), and the writer is asked, with the
//    file closed, whether to write over it;
//  - write: every span held and committed in one operation, all or none, verified;
//  - record: one history entry under the edit's label, announced to the windows.

#include "io/change_history.h"
#include "io/game_files.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

namespace korvane {

struct EditSpan {
  qint64 start = 0;    // 0-based offset in the game file
  QByteArray bytes;    // what to write; empty for a span that is only checked
  QByteArray expected; // what the writer saw there; empty when it saw nothing
};

struct Edit {
  GameFileRef file;
  EditLabel label;
  // The writer whose own change this is (a window's binder, a grid): it already
  // shows what it wrote, so it is not shown the entry again.
  const void *origin = nullptr;
  // A stretch the file must hold whole before anything is written (a table that
  // the spans lie in); `what` names it in the refusal.
  qint64 reachStart = 0;
  qint64 reachLength = 0;
  QString what;
  // Asked even when nothing drifted (a record shown from another file).
  bool alwaysConfirm = false;
  std::vector<EditSpan> spans; // in any order, not overlapping
};

// A span that no longer holds what the writer saw, and what it holds now.
struct DriftedSpan {
  size_t index; // into Edit::spans
  QByteArray now;
};
using Drift = std::vector<DriftedSpan>;

// Asked with the file closed; true writes over the drift.
using ConfirmDrift = std::function<bool(const Drift &drift)>;

struct EditResult {
  enum class Status {
    Written,  // committed (an entry was recorded when a byte changed)
    Declined, // the writer declined to write over a drift
    Drifted,  // the file changed and nobody was asked, or changed again while asked
    Failed,   // refused or failed; `error` says why, nothing was written
  };
  Status status = Status::Failed;
  QString error;
  quint64 entry = 0; // the history entry, 0 when nothing changed

  bool written() const { return status == Status::Written; }
};

// Without `confirm`, any drift refuses the edit. With it, the file is checked
// again once the writer answered: it must still hold what the question showed.
EditResult commitEdit(const Edit &edit, const ConfirmDrift &confirm = {});

// "…在询问期间被别的程序改动过，没有写入任何内容。"-style text for a Drifted result.
QString driftRefusal(const Edit &edit);

} // namespace korvane
