#pragma once

// Comma-separated text as spreadsheet programs read and write it: fields
// separated by commas, rows ended by CRLF, a field quoted when it holds a comma,
// a semicolon, a tab, a quote or a line break, quotes inside doubled. UTF-8, with an optional
// byte-order mark in front.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace korvane::tool {

// One row's text, CRLF included.
QString csvRow(const QStringList &fields);
// The header row's text: as csvRow, with its first cell always quoted. Gnumeric
// guesses the separator from the first quoted cell it meets, taking the first
// character of the cell after it when that is punctuation (a record's "---"
// makes "-" the separator); a quoted first header cell followed by a caption
// leaves it the comma.
QString csvHeaderRow(const QStringList &fields);

struct CsvRow {
  int line; // 1-based line of the file where the row starts
  QStringList fields;
};

struct CsvTable {
  std::vector<CsvRow> rows; // empty lines and lines of empty fields are left out
  QString error;            // a malformed file; rows are then incomplete
};

// Reads UTF-8 bytes (a leading byte-order mark is dropped); LF, CRLF and CR each end
// a row. Refuses text that is not UTF-8, a first row separated by semicolons or
// tabs instead of commas, a quote left open at the end and text after a field's
// closing quote.
CsvTable parseCsv(const QByteArray &bytes);

} // namespace korvane::tool
