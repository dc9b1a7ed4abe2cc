#include "tools/korvane_tool/csv.h"

#include <QStringDecoder>

#include <algorithm>

namespace korvane::tool {

namespace {

// Semicolons and tabs too: LibreOffice's import dialog splits on them by default.
bool needsQuotes(const QString &field) {
  for (QChar c : field)
    if (c == u',' || c == u'"' || c == u'\n' || c == u'\r' || c == u';' || c == u'\t')
      return true;
  // Blanks at either end would be dropped by some programs.
  return !field.isEmpty() && (field.front().isSpace() || field.back().isSpace());
}

// A row of nothing but commas, as spreadsheets save below a table, holds no record.
bool isEmptyRow(const QStringList &fields) {
  return std::all_of(fields.begin(), fields.end(),
                     [](const QString &field) { return field.trimmed().isEmpty(); });
}

// The separator of a first row that holds no comma outside quotes but semicolons
// or tabs, as spreadsheets set to another separator save; empty otherwise.
QString otherSeparator(QStringView text) {
  bool quoted = false;
  QString found;
  for (QChar c : text) {
    if (c == u'"')
      quoted = !quoted;
    else if (quoted)
      continue;
    else if (c == u',')
      return {};
    else if (c == u'\n' || c == u'\r')
      break;
    else if (found.isEmpty() && c == u';')
      found = QStringLiteral("分号“;”");
    else if (found.isEmpty() && c == u'\t')
      found = QStringLiteral("制表符（Tab）");
  }
  return found;
}

} // namespace

QString csvRow(const QStringList &fields) {
  QString row;
  for (qsizetype i = 0; i < fields.size(); ++i) {
    if (i > 0)
      row += u',';
    const QString &field = fields[i];
    if (needsQuotes(field)) {
      QString quoted = field;
      quoted.replace(u'"', QStringLiteral("\"\""));
      row += u'"' + quoted + u'"';
    } else {
      row += field;
    }
  }
  row += QStringLiteral("\r\n");
  return row;
}

QString csvHeaderRow(const QStringList &fields) {
  const QString row = csvRow(fields);
  if (fields.isEmpty() || row.startsWith(u'"'))
    return row;
  return u'"' + fields.front() + u'"' + row.mid(fields.front().size());
}

CsvTable parseCsv(const QByteArray &bytes) {
  CsvTable table;
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = decoder.decode(bytes);
  if (decoder.hasError()) {
    table.error =
        QStringLiteral("CSV 文件不是 UTF-8 编码的文本。请在表格程序中另存为“CSV UTF-8”。");
    return table;
  }
  qsizetype pos = text.startsWith(QChar(0xFEFF)) ? 1 : 0;
  if (const QString separator = otherSeparator(QStringView(text).sliced(pos));
      !separator.isEmpty()) {
    table.error = QStringLiteral("CSV 文件的格子是用%1分隔的，不是逗号。请在表格程序中另存为 CSV 时"
                                 "把“字段分隔符”设为逗号“,”（LibreOffice：勾选“编辑筛选设置”）。")
                      .arg(separator);
    return table;
  }
  int line = 1;
  CsvRow row{line, {}};
  QString field;
  bool quoted = false;    // inside a quoted field
  bool wasQuoted = false; // the current field began with a quote
  bool closed = false;    // its closing quote was read
  int quoteLine = 0;
  auto endRow = [&] {
    row.fields.append(field);
    field.clear();
    wasQuoted = closed = false;
    if (!isEmptyRow(row.fields))
      table.rows.push_back(std::move(row));
    row = CsvRow{line, {}};
  };
  for (; pos < text.size(); ++pos) {
    const QChar c = text[pos];
    if (quoted) {
      if (c == u'"') {
        if (pos + 1 < text.size() && text[pos + 1] == u'"') {
          field += u'"';
          ++pos;
        } else {
          quoted = false;
          closed = true;
        }
      } else {
        if (c == u'\n')
          ++line;
        field += c;
      }
      continue;
    }
    const bool endsLine = c == u'\n' || c == u'\r';
    if (closed && c != u',' && !endsLine) {
      table.error = QStringLiteral("CSV 文件第 %1 行：引号括起的格子在结束的引号后面还有文字，"
                                   "不合 CSV 的规则（例如 \"12\"3）。")
                        .arg(line);
      return table;
    }
    if (c == u'"' && field.isEmpty() && !wasQuoted) {
      quoted = wasQuoted = true;
      quoteLine = line;
    } else if (c == u',') {
      row.fields.append(field);
      field.clear();
      wasQuoted = closed = false;
    } else if (endsLine) {
      if (c == u'\r' && pos + 1 < text.size() && text[pos + 1] == u'\n')
        ++pos;
      ++line;
      endRow();
    } else {
      field += c;
    }
  }
  if (quoted) {
    table.error = QStringLiteral("CSV 文件第 %1 行的引号没有结束。").arg(quoteLine);
    return table;
  }
  if (!field.isEmpty() || !row.fields.isEmpty() || wasQuoted)
    endRow();
  return table;
}

} // namespace korvane::tool
