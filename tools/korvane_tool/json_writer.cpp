#include "tools/korvane_tool/json_writer.h"

#include <algorithm>

namespace korvane::tool {

namespace {

bool needsEscape(QChar c) { return c.unicode() < 0x20 || c == u'"' || c == u'\\'; }

} // namespace

void appendJsonString(QString &out, QStringView text) {
  out += u'"';
  const auto plainEnd = std::find_if(text.begin(), text.end(), needsEscape);
  out += text.first(plainEnd - text.begin());
  for (auto c = plainEnd; c != text.end(); ++c) {
    switch (c->unicode()) {
    case u'"':
      out += QLatin1String("\\\"");
      break;
    case u'\\':
      out += QLatin1String("\\\\");
      break;
    case u'\n':
      out += QLatin1String("\\n");
      break;
    case u'\r':
      out += QLatin1String("\\r");
      break;
    case u'\t':
      out += QLatin1String("\\t");
      break;
    default:
      if (c->unicode() < 0x20)
        out += QStringLiteral("\\u%1").arg(c->unicode(), 4, 16, QLatin1Char('0'));
      else
        out += *c;
    }
  }
  out += u'"';
}

JsonRowWriter::JsonRowWriter(QTextStream &out, const QStringList &keys, int numberColumn)
    : out_(out), numberColumn_(numberColumn) {
  for (const QString &key : keys) {
    QString quoted;
    appendJsonString(quoted, key);
    quotedKeys_.append(quoted + QLatin1String(": "));
  }
}

void JsonRowWriter::write(const QStringList &values) {
  line_.clear();
  line_ += first_ ? QLatin1String("[\n  {") : QLatin1String(",\n  {");
  first_ = false;
  for (qsizetype i = 0; i < values.size(); ++i) {
    if (i > 0)
      line_ += QLatin1String(", ");
    line_ += quotedKeys_[i];
    if (i == numberColumn_ && !values[i].isEmpty())
      line_ += values[i];
    else
      appendJsonString(line_, values[i]);
  }
  line_ += u'}';
  out_ << line_;
}

void JsonRowWriter::finish() { out_ << (first_ ? QLatin1String("[]\n") : QLatin1String("\n]\n")); }

} // namespace korvane::tool
