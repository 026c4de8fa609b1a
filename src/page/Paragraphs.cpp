#include "page/Paragraphs.h"

#include <QStringList>

#include "common/Text.h"

namespace feedwell {

namespace {

const QString kLeftToRight = QStringLiteral(" dir=\"ltr\" ");
const QString kRightToLeft = QStringLiteral(" dir=\"rtl\" ");

bool IsHebrewLetter(char16_t c) {
  return c >= 0x05D0 && c <= 0x05EA;
}

bool IsAsciiLetter(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

}  // namespace

QString DetectDirection(const QString& line) {
  for (const QChar ch : line) {
    const char16_t c = ch.unicode();
    if (IsHebrewLetter(c)) return kRightToLeft;
    if (IsAsciiLetter(c)) return kLeftToRight;
  }
  return kLeftToRight;
}

// Groups the lines by direction. The tidy-up at the end removes the line break that stands
// directly beside each paragraph tag, so the page holds no stray empty line at a paragraph's end.
QString BuildParagraphs(const QString& text) {
  const QStringList lines = SplitLines(Trim(text));
  QStringList out;
  out.reserve(lines.size() + 1);
  QString previous;
  for (qsizetype j = 0; j < lines.size(); ++j) {
    QString line = Trim(lines.at(j));
    const QString dir = DetectDirection(line);
    if (!line.isEmpty()) {
      if (dir != previous) {
        line = (j != 0 ? QStringLiteral("</p>") : QString()) + QStringLiteral("<p class=\"msgbody\" ") + dir +
               QStringLiteral(" >") + line;
      }
      previous = dir;
    }
    out.append(line);
  }
  out.append(QStringLiteral("</p>"));

  QString result = Trim(JoinLines(out));
  result.remove(QChar(u'\t'));
  result = ReplaceIgnoringCase(result, QStringLiteral("\r\n<p>"), QStringLiteral("<p>"));
  result = ReplaceIgnoringCase(result, QStringLiteral("<p>\r\n"), QStringLiteral("<p>"));
  result = ReplaceIgnoringCase(result, QStringLiteral("\r\n</p>"), QStringLiteral("</p>"));
  result = ReplaceIgnoringCase(result, QStringLiteral("</p>\r\n"), QStringLiteral("</p>"));
  return result;
}

}  // namespace feedwell
