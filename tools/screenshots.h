#pragma once

// Pictures of the main window and of every editor window the program registers,
// made from the synthetic game files, for the README.

#include <QList>
#include <QString>
#include <QStringList>

namespace korvane::screenshots {

struct Picture {
  QString window; // objectName, "Form2"
  QString title;  // its caption
  QString path;   // the PNG written
};

struct Result {
  QList<Picture> pictures; // the main window's first, then by section row
  QStringList messages;    // texts of message boxes that came up and were answered
  QString error;           // empty on success
};

// Writes the sample game files and name lists into `sampleDir`, chooses the game
// files in the main window's dialogs, then renders the main window and the editor
// of each section row that has one to `outDir`/<window name>.png, after picking
// the first record of each record list, the change history after one save in
// the unit editor, and last the table grid on the unit table. Needs a QApplication.
Result renderAll(const QString &sampleDir, const QString &outDir);

// Replaces the lines between "<!-- screenshots -->" and "<!-- /screenshots -->"
// in `readmePath` with one image per picture, captioned with the window's name
// and title; the image paths are relative to the README's folder.
bool updateReadme(const QString &readmePath, const QList<Picture> &pictures, QString *error);

} // namespace korvane::screenshots
