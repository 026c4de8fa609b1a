#include <gtest/gtest.h>

#include "page/Paragraphs.h"

namespace feedwell {
namespace {

const QString kLtr = QStringLiteral("<p class=\"msgbody\"  dir=\"ltr\"  >");
const QString kRtl = QStringLiteral("<p class=\"msgbody\"  dir=\"rtl\"  >");
const QString kHebrew = QStringLiteral(u"שלום");

struct DirectionCase {
  const char* what;
  QString line;
  bool rightToLeft;
};

TEST(DetectDirection, FirstHebrewOrAsciiLetterDecides) {
  const DirectionCase cases[] = {
      {"empty line", QString(), false},
      {"one Hebrew letter", QStringLiteral(u"א"), true},
      {"last Hebrew letter (tav)", QStringLiteral(u"ת"), true},
      {"final letter form", QStringLiteral(u"ך"), true},
      {"time of day", QStringLiteral("12:30 - 14:00!"), false},
      {"digits then Hebrew", QStringLiteral(u"2024 שנה"), true},
      {"Hebrew first, Latin later", QStringLiteral(u"שלום hello"), true},
      {"ASCII first, Hebrew later", QStringLiteral(u"hello שלום"), false},
      {"upper-case ASCII first", QStringLiteral(u"Z שלום"), false},
      {"accented Latin, then Hebrew", QStringLiteral(u"é שלום"), true},
      {"accented Latin, then ASCII", QStringLiteral(u"é abc שלום"), false},
      {"Arabic only", QStringLiteral(u"مرحبا"), false},
      {"Hebrew points and maqaf only", QStringLiteral(u"\u05B0\u05BE"), false},
      {"character just below alef", QStringLiteral(u"\u05CF"), false},
      {"character just above tav", QStringLiteral(u"\u05EB"), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DetectDirection(c.line),
              c.rightToLeft ? QStringLiteral(" dir=\"rtl\" ") : QStringLiteral(" dir=\"ltr\" "))
        << c.what;
  }
}

struct ParagraphCase {
  const char* what;
  QString input;
  QString expected;
};

TEST(BuildParagraphs, GroupsLinesByDirection) {
  const QString crlf = QStringLiteral("\r\n");
  const ParagraphCase cases[] = {
      {"empty text", QString(), QStringLiteral("</p>")},
      {"blanks and line breaks only", QStringLiteral(" \r\n\t\n \r"), QStringLiteral("</p>")},
      {"single line", QStringLiteral("Hello"), kLtr + QStringLiteral("Hello</p>")},
      {"two Hebrew lines share a paragraph", kHebrew + crlf + kHebrew,
       kRtl + kHebrew + crlf + kHebrew + QStringLiteral("</p>")},
      {"TAB removed", QStringLiteral("a\tb"), kLtr + QStringLiteral("ab</p>")},
      {"line trimmed", QStringLiteral("  x  "), kLtr + QStringLiteral("x</p>")},
      {"upper-case paragraph tags folded", QStringLiteral("a\r\n<P>\r\nb"),
       kLtr + QStringLiteral("a<p>b</p>")},
      {"worked example", QStringLiteral("Hello\r\nworld\r\n\r\n") + kHebrew + QStringLiteral("\r\nok"),
       kLtr + QStringLiteral("Hello") + crlf + QStringLiteral("world") + crlf + QStringLiteral("</p>") +
           kRtl + kHebrew + QStringLiteral("</p>") + kLtr + QStringLiteral("ok</p>")},
      {"empty lines inside a paragraph stay, the one before the end goes", QStringLiteral("a\r\n\r\n\r\nb"),
       kLtr + QStringLiteral("a") + crlf + crlf + crlf + QStringLiteral("b</p>")},
  };
  for (const auto& c : cases) EXPECT_EQ(BuildParagraphs(c.input), c.expected) << c.what;
}

TEST(BuildParagraphs, NeutralLineIsLeftToRight) {
  // "12:00" has no letter, so it is left to right and opens a paragraph of its own between two
  // right-to-left lines.
  const QString crlf = QStringLiteral("\r\n");
  EXPECT_EQ(BuildParagraphs(kHebrew + crlf + QStringLiteral("12:00") + crlf + kHebrew),
            kRtl + kHebrew + QStringLiteral("</p>") + kLtr + QStringLiteral("12:00</p>") + kRtl + kHebrew +
                QStringLiteral("</p>"));
}

TEST(BuildParagraphs, LineEndsOfEveryKindGiveTheSameResult) {
  const QString crlf = BuildParagraphs(QStringLiteral("one\r\ntwo\r\n\r\n") + kHebrew);
  EXPECT_EQ(BuildParagraphs(QStringLiteral("one\ntwo\n\n") + kHebrew), crlf);
  EXPECT_EQ(BuildParagraphs(QStringLiteral("one\rtwo\r\r") + kHebrew), crlf);
  EXPECT_FALSE(crlf.contains(QStringLiteral("\n\n")));
}

TEST(BuildParagraphs, LongLinesStayWhole) {
  for (const int length : {4096, 4097, 5000, 100000}) {
    const QString line(length, QChar(u'x'));
    EXPECT_EQ(BuildParagraphs(line), kLtr + line + QStringLiteral("</p>")) << length;
  }
}

}  // namespace
}  // namespace feedwell
