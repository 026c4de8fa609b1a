#include <gtest/gtest.h>

#include <QFile>

#include "page/HtmlToText.h"

namespace feedwell {
namespace {

struct Case {
  const char* what;
  QString html;
  QString text;  // lines joined by \n here; the result uses CR LF
};

QString Crlf(QString text) {
  return text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
}

TEST(VisibleText, RenderedTextRules) {
  const Case cases[] = {
      {"empty", QString(), QString()},
      {"line break element", QStringLiteral("one<br>two"), QStringLiteral("one\ntwo")},
      {"blocks on their own lines", QStringLiteral("a<div>b</div>c"), QStringLiteral("a\nb\nc")},
      {"paragraphs set apart", QStringLiteral("<p>a</p><p>b</p>"), QStringLiteral("a\n\nb")},
      {"nested blocks give one break", QStringLiteral("<div><div><p>a</p></div></div><div>b</div>"),
       QStringLiteral("a\n\nb")},
      {"white space collapsed", QStringLiteral("<div>  a \n\t b  </div>"), QStringLiteral("a b")},
      {"blank across inline elements", QStringLiteral("a <b> b</b> c"), QStringLiteral("a b c")},
      {"pre keeps white space", QStringLiteral("<pre>  a\n   b  </pre>"), QStringLiteral("  a\n   b  ")},
      {"textarea keeps white space", QStringLiteral("x<textarea>a  b\nc</textarea>"),
       QStringLiteral("xa  b\nc")},
      {"pre-line keeps breaks only", QStringLiteral("<div style='white-space:pre-line'> a   b \n c</div>"),
       QStringLiteral("a b\nc")},
      {"table cells and rows",
       QStringLiteral("<table><tr><td>a</td><td>b</td></tr><tr><td>c</td><td>d</td></tr></table>"),
       QStringLiteral("a\tb\nc\td")},
      {"hidden cell does not count",
       QStringLiteral("<table><tr><td>a</td><td style='display:none'>b</td></tr></table>x"),
       QStringLiteral("a\nx")},
      {"list items", QStringLiteral("<ul><li>one</li><li>two</li></ul>"), QStringLiteral("one\ntwo")},
      {"character references", QStringLiteral("&lt;&gt;&amp;&quot;&eacute;&#x5D0;&#65;"),
       QStringLiteral(u"<>&\"éאA")},
      {"no text from head, script, style, template",
       QStringLiteral(
           "<head><title>t</title><style>p{}</style></head><script>s()</script><template>x</template>body"),
       QStringLiteral("body")},
      {"noscript content is text", QStringLiteral("<noscript>shown</noscript>"), QStringLiteral("shown")},
      {"hidden attribute", QStringLiteral("a<div hidden>b</div>c"), QStringLiteral("ac")},
      {"display none in a style sheet",
       QStringLiteral("<style>.x{display:none}</style>a<span class=x>b</span>c"), QStringLiteral("ac")},
      {"inline style beats the sheet",
       QStringLiteral("<style>#i{display:none}</style><span id=i style='display:inline'>b</span>"),
       QStringLiteral("b")},
      {"important beats inline style",
       QStringLiteral("<style>#i{display:none!important}</style>a<span id=i style='display:inline'>b</span>"),
       QStringLiteral("a")},
      {"descendant selector",
       QStringLiteral("<style>.o .i{display:none}</style><div class=o><p><b class=i>x</b>y</p></div>"),
       QStringLiteral("y")},
      {"visibility hidden with visible child",
       QStringLiteral("<div style='visibility:hidden'>no <b style='visibility:visible'>yes</b></div>"),
       QStringLiteral("yes")},
      {"display block on inline", QStringLiteral("a<span style='display:block'>b</span>c"),
       QStringLiteral("a\nb\nc")},
      {"text-transform",
       QStringLiteral("<span style='text-transform:uppercase'>abc</span> "
                      "<span style='text-transform:capitalize'>big news</span>"),
       QStringLiteral("ABC Big News")},
      {"media query for small screens ignored",
       QStringLiteral("<style>@media (max-width:600px){.d{display:none}}</style><div class=d>wide</div>"),
       QStringLiteral("wide")},
      {"conditional comment", QStringLiteral("<!--[if mso]>outlook<![endif]-->all"), QStringLiteral("all")},
      {"cut in a tag", QStringLiteral("<p>kept</p><p>also <a href=\"http://x"),
       QStringLiteral("kept\n\nalso")},
      {"cut in a character reference", QStringLiteral("a &amp b &l"), QStringLiteral("a & b &l")},
  };
  for (const Case& c : cases) EXPECT_EQ(VisibleText(c.html), Crlf(c.text)) << c.what;
}

TEST(HtmlToText, EscapesAndTrims) {
  const Case cases[] = {
      {"empty", QString(), QString()},
      {"angle brackets from references", QStringLiteral("a &lt;b&gt; c"), QStringLiteral("a &#60;b&#62; c")},
      {"ampersand escaped too", QStringLiteral("Tom &amp; Jerry"), QStringLiteral("Tom &amp; Jerry")},
      {"text that reads like a reference", QStringLiteral("&amp;amp;"), QStringLiteral("&amp;amp;")},
      {"blank lines at the ends removed, inside kept", QStringLiteral("<br><br> <p>a</p><br><br>b<br><br>"),
       QStringLiteral("a\n\n\n\nb")},
      {"no-break space at the ends stays", QStringLiteral("&nbsp;a&nbsp;"), QStringLiteral(u"\u00A0a\u00A0")},
  };
  for (const Case& c : cases) EXPECT_EQ(HtmlToText(c.html), Crlf(c.text)) << c.what;
}

// Hostile and broken input: every case must return without crashing and keep the text before
// the damage.
TEST(HtmlToText, SurvivesHostileInput) {
  struct Hostile {
    const char* what;
    QString html;
    QString mustContain;
  };
  const int depth = 100000;
  const QString deepSpans = QStringLiteral("<span>").repeated(depth) + QStringLiteral("deep");
  const QString deepMixed =
      QStringLiteral("<b><i><u><font><em>").repeated(depth / 5) + QStringLiteral("mixed");
  QString big;
  while (big.size() < 10 * 1024 * 1024)
    big += QStringLiteral("<p>Paragraph with <b>bold</b> text &amp; more.</p>\n");
  const Hostile cases[] = {
      {"100,000 nested inline elements", deepSpans, QStringLiteral("deep")},
      {"100,000 nested formatting elements", deepMixed, QStringLiteral("mixed")},
      {"10 MB body", big, QStringLiteral("Paragraph with bold text &amp; more.")},
      {"NUL characters", QString::fromUtf16(u"a\0b<p\0>c</p>", 13), QStringLiteral("a")},
      {"invalid UTF-8 decoded", QString::fromUtf8("ok \xff\xfe\xc3 text"), QStringLiteral("ok")},
      {"lone surrogates", QStringLiteral("ok ") + QChar(0xD800) + QStringLiteral(" x ") + QChar(0xDC00),
       QStringLiteral("ok")},
      {"unclosed comment", QStringLiteral("before<!-- never closed <p>x"), QStringLiteral("before")},
      {"unclosed style", QStringLiteral("before<style>p{display:none"), QStringLiteral("before")},
      {"broken CSS", QStringLiteral("<style>}{;;@media{{{ .a{display:</style>ok"), QStringLiteral("ok")},
      {"frameset", QStringLiteral("<frameset><frame src=x></frameset>"), QString()},
  };
  for (const Hostile& c : cases) {
    const QString text = HtmlToText(c.html);
    EXPECT_TRUE(text.contains(c.mustContain)) << c.what;
  }
}

// Every prefix of a real message (a body cut anywhere) converts without a crash and keeps the text
// of the part before the cut.
TEST(HtmlToText, EveryCutOfARealMessage) {
  QFile file(QStringLiteral(FEEDWELL_TEST_DATA "/html/bodies/outlook-desktop.html"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString html = QString::fromUtf8(file.readAll());
  for (qsizetype cut = 0; cut <= html.size(); cut += 7) {
    const QString text = HtmlToText(html.left(cut));
    if (cut > html.indexOf(QStringLiteral("Two points:")) + 12) {
      EXPECT_TRUE(text.startsWith(QStringLiteral("Hi Dana,"))) << cut;
    }
  }
}

}  // namespace
}  // namespace feedwell
