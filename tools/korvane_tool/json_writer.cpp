#include "tools/korvane_tool/json_writer.h"

#include <algorithm>

namespace korvane::tool {

namespace {

bool needsEscape(QChar c) { return c.unicode() < 0x20 || c == u'"' || c == u'\\'; }

} // namespace

void appendJsonString(QString &out, QStringView text) {
  out += u'"';
  // Most values need no escape and are copied whole.
  const auto plainEnd = std::find_if(text.begin(), text.end(), needsEscape);
  out += text.first(plainEnd - text.begin());
  for (auto c = plainEnd; c != text.end(); ++c) {
    switch (c->unicode()) {
    case u'"':
      out += u"\\\"";
      break;
    case u'\\':
      out += u"\\\\";
      break;
    case u'\n':
      out += u"\\n";
      break;
    case u'\r':
      out += u"\\r";
      break;
    case u'\t':
      out += u"\\t";
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
    QString quoted = quotedKeys_.isEmpty() ? QStringLiteral("{") : QStringLiteral(", ");
    appendJsonString(quoted, key);
    quotedKeys_.append(quoted + QStringLiteral(": "));
  }
}

void JsonRowWriter::write(const QStringList &values) {
  line_.clear();
  line_ += first_ ? QStringView(u"[\n  ") : QStringView(u",\n  ");
  first_ = false;
  for (qsizetype i = 0; i < values.size(); ++i) {
    line_ += quotedKeys_[i];
    if (i == numberColumn_ && !values[i].isEmpty())
      line_ += values[i];
    else
      appendJsonString(line_, values[i]);
  }
  line_ += u'}';
  out_ << line_;
}

void JsonRowWriter::finish() { out_ << (first_ ? QStringView(u"[]\n") : QStringView(u"\n]\n")); }

} // namespace korvane::tool
