#pragma once

// Runs korvane-tool's commands in-process on a sample game and keeps what they print.

#include "editors/catalog/table_catalog.h"
#include "tests/support/sample_game.h"
#include "tools/korvane_tool/csv.h"
#include "tools/korvane_tool/tool_commands.h"

#include <QFile>
#include <QTextStream>
#include <functional>

namespace korvane::test {

struct ToolRun {
  int status;
  QString out;
  QString err;
};

inline ToolRun runTool(const SampleGame &game, const std::function<int(tool::Tool &)> &command) {
  QString out;
  QString err;
  QTextStream outStream(&out);
  QTextStream errStream(&err);
  tool::Tool tool(outStream, errStream, game.dir());
  const int status = command(tool);
  outStream.flush();
  errStream.flush();
  return {status, out, err};
}

// Dumps `table` of `file` to the CSV file `csv` (with a BOM when asked); the exit status.
inline int dumpTable(const SampleGame &game, const QString &file, const QString &table,
                     const QString &csv, bool bom = false) {
  return runTool(
             game,
             [&](tool::Tool &tool) {
               return tool.dump({GameFileRef::plain(file), table, tool::Format::Csv, bom, csv, {}});
             })
      .status;
}

inline QString gamePath(const SampleGame &game, const CatalogTable &table) {
  return table.file == GameFile::Exe ? game.exePath() : game.stagePath();
}

inline void writeText(const QString &path, const QString &text) {
  SampleGame::writeFile(path, text.toUtf8());
}

// The cells of a CSV file, row by row, and such rows as CSV text again.
inline QList<QStringList> csvRows(const QString &path) {
  QList<QStringList> rows;
  for (const tool::CsvRow &row : tool::parseCsv(SampleGame::readFile(path)).rows)
    rows << row.fields;
  return rows;
}

inline QString csvText(const QList<QStringList> &rows) {
  QString text;
  for (const QStringList &row : rows)
    text += tool::csvRow(row);
  return text;
}

} // namespace korvane::test
