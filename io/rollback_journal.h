#pragma once

// The rollback journal of a commit that writes a file in several places.
//
// Before the first of several writes, the original bytes of every span about to
// be written go to a journal beside the file ("SLPS_255.37.korvane-journal",
// "game.iso.korvane-journal"), which reaches the disk first; the journal is
// removed once the file has all its new bytes. A commit cut short (the program
// killed, the machine stopped) thus leaves the journal behind, and whoever opens
// the file next puts the original bytes back before anything else: the file is
// as it was before that commit, never half of it. This is the only file the
// program writes of its own accord, and only while such a write is in progress.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <vector>

namespace korvane {

QString journalPathOf(const QString &path); // path + ".korvane-journal"

// One span about to be written: where in the file and what it holds now.
struct JournalSpan {
  qint64 offset = 0;
  QByteArray original;
};

// Writes and flushes the journal of `file`, which is the file at `path`.
// Returns the reason, in Chinese, when it could not; then nothing may be written.
QString writeJournal(QFile &file, const QString &path, const std::vector<JournalSpan> &spans);

// Waits for the file's new bytes to reach the disk, then removes its journal.
QString finishJournal(QFile &file, const QString &path);

// Puts back what the journal beside `file` (the file at `path`, open for reading and writing, under
// the writers' lock) holds. Returns the reason, in Chinese, when there is a
// journal that could not be used (the file is left alone); sets `notice` to
// what was done when there was a journal.
QString recoverJournal(QFile &file, const QString &path, QString &notice);

// Reports what a recovery did (or another thing the user must know about a file
// just written), to the user: the tool prints it, the editor shows it. Until a
// program sets its own, notices go to the Qt message log.
using JournalNoticeHandler = void (*)(const QString &notice);
void setJournalNoticeHandler(JournalNoticeHandler handler);
void reportJournalNotice(const QString &notice);

} // namespace korvane
