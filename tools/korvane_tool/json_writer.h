#pragma once

// A JSON array of flat objects, written to a stream one object per line as the
// rows are made. Written by hand because QJsonObject sorts its keys, while a
// table's keys must keep its column order. The keys are quoted once; a value is
// copied whole unless it holds a character that needs escaping.

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace korvane::tool {

class JsonRowWriter {
public:
  // The values of `numberColumns` are written as numbers when they are whole
  // numbers, as strings otherwise.
  JsonRowWriter(QTextStream &out, const QStringList &keys, const QList<int> &numberColumns);
  // Ends the array; also when no row was written.
  void finish();

  void write(const QStringList &values);

private:
  QTextStream &out_;
  QStringList quotedKeys_; // "{\"key\": ", then ", \"key\": "
  QList<bool> isNumberColumn_;
  bool first_ = true;
  QString line_; // reused from row to row
};

// `text` as a JSON string, quotes included, appended to `out`.
void appendJsonString(QString &out, QStringView text);

} // namespace korvane::tool
