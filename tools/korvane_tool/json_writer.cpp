#include "tools/korvane_tool/json_writer.h"

#include <algorithm>

namespace korvane::tool {

namespace {

bool needsEscape(QChar c) { return c.unicode() < 0x20 || c == u'"' || c == u'\\'; }

// JSON's own form of an integer: no leading zeros, no plus sign.
bool isWholeNumber(QStringView text) {
  const QStringView digits = text.startsWith(u'-') ? text.sliced(1) : text;
  return !digits.isEmpty() && (digits.size() == 1 || digits.front() != u'0') &&
         std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// The letter after the backslash of the characters JSON escapes in short form; 0
// for the others.
char16_t shortEscape(QChar c) {
  switch (c.unicode()) {
  case u'"':
  case u'\\':
    return c.unicode();
  case u'\n':
    return u'n';
  case u'\r':
    return u'r';
  case u'\t':
    return u't';
  default:
    return 0;
  }
}

} // namespace

void appendJsonString(QString &out, QStringView text) {
  out += u'"';
  // Most values need no escape and are copied whole.
  const auto plainEnd = std::find_if(text.begin(), text.end(), needsEscape);
  out += text.first(plainEnd - text.begin());
  for (auto c = plainEnd; c != text.end(); ++c) {
    if (const char16_t letter = shortEscape(*c))
      out.append(u'\\').append(QChar(letter));
    else if (c->unicode() < 0x20)
      out += QStringLiteral("\\u%1").arg(c->unicode(), 4, 16, QLatin1Char('0'));
    else
      out += *c;
  }
  out += u'"';
}

JsonRowWriter::JsonRowWriter(QTextStream &out, const QStringList &keys,
                             const QList<int> &numberColumns)
    : out_(out), isNumberColumn_(keys.size(), false) {
  for (int column : numberColumns)
    isNumberColumn_[column] = true;
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
    if (isNumberColumn_.value(i) && isWholeNumber(values[i]))
      line_ += values[i];
    else
      appendJsonString(line_, values[i]);
  }
  line_ += u'}';
  out_ << line_;
}

void JsonRowWriter::finish() { out_ << (first_ ? QStringView(u"[]\n") : QStringView(u"\n]\n")); }

} // namespace korvane::tool
