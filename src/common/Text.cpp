#include "common/Text.h"

#include <algorithm>
#include <cctype>

namespace feedwell {

QString Trim(const QString& text) {
  qsizetype begin = 0;
  qsizetype end = text.size();
  while (begin < end && text.at(begin).unicode() <= 0x20) ++begin;
  while (end > begin && text.at(end - 1).unicode() <= 0x20) --end;
  return text.mid(begin, end - begin);
}

QStringList SplitLines(const QString& text) {
  QStringList lines;
  qsizetype start = 0;
  qsizetype i = 0;
  const qsizetype size = text.size();
  while (i < size) {
    const char16_t c = text.at(i).unicode();
    if (c == 0) break;
    if (c == u'\r' || c == u'\n') {
      lines.append(text.mid(start, i - start));
      if (c == u'\r' && i + 1 < size && text.at(i + 1) == u'\n') ++i;
      start = ++i;
      continue;
    }
    ++i;
  }
  if (i > start) lines.append(text.mid(start, i - start));
  return lines;
}

QString JoinLines(const QStringList& lines) {
  QString out;
  qsizetype total = 0;
  for (const QString& line : lines) total += line.size() + 2;
  out.reserve(total);
  for (const QString& line : lines) {
    out += line;
    out += QStringLiteral("\r\n");
  }
  return out;
}

QString NormalizeLineEnds(const QString& text) {
  QString out;
  out.reserve(text.size() + text.size() / 16);
  const qsizetype size = text.size();
  for (qsizetype i = 0; i < size; ++i) {
    const QChar c = text.at(i);
    if (c == u'\r') {
      out += QStringLiteral("\r\n");
      if (i + 1 < size && text.at(i + 1) == u'\n') ++i;
    } else if (c == u'\n') {
      out += QStringLiteral("\r\n");
    } else {
      out += c;
    }
  }
  return out;
}

QString HtmlEscape(const QString& text) {
  return text.toHtmlEscaped();
}

QString ReplaceIgnoringCase(const QString& text, const QString& name, const QString& value) {
  if (name.isEmpty()) return text;
  QString out;
  qsizetype from = 0;
  for (;;) {
    const qsizetype at = text.indexOf(name, from, Qt::CaseInsensitive);
    if (at < 0) break;
    out += QStringView(text).mid(from, at - from);
    out += value;
    from = at + name.size();
  }
  if (from == 0) return text;
  out += QStringView(text).mid(from);
  return out;
}

bool ParseInteger(const QString& text, qint64* value) {
  bool ok = false;
  qint64 parsed = 0;
  if (text.size() > 2 && (text.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive))) {
    // Only hex digits may follow the prefix: no sign and no blank, which the conversion would allow.
    const QStringView digits = QStringView(text).mid(2);
    const bool allHex = std::all_of(digits.begin(), digits.end(),
                                    [](QChar c) { return isxdigit(c.unicode()) && c.unicode() < 0x80; });
    if (!allHex) return false;
    parsed = digits.toLongLong(&ok, 16);
  } else {
    parsed = text.toLongLong(&ok, 10);
  }
  if (!ok) return false;
  *value = parsed;
  return true;
}

}  // namespace feedwell
