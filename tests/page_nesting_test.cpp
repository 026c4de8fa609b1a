#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "page/HtmlToText.h"
#include "page/NestingGuard.h"

namespace feedwell {
namespace {

QByteArray Repeat(const char* text, int count) {
  return QByteArray(text).repeated(count);
}

// Documents within the limit pass unchanged, whatever they hold.
TEST(LimitNesting, LeavesOrdinaryDocumentsAlone) {
  const QByteArray cases[] = {
      QByteArray(),
      "<div><p>a<p>b</div>",
      Repeat("<p>para", 5000),  // closed by the parser, not nested
      Repeat("<li>item", 5000),
      Repeat("<table><tr><td>", 40) + "x",                           // deep layout tables
      "<script>" + Repeat("<div>", 5000) + "</script><div>x</div>",  // tags inside a script are text
      "<!--" + Repeat("<div>", 5000) + "-->",                        // and inside a comment
      Repeat("<svg><path d='M0 0'/></svg>", 5000),                   // self-closing foreign elements
      Repeat("<div title='a>b'>", 50) + "x",                         // '>' inside a quoted value
  };
  for (const QByteArray& html : cases) EXPECT_EQ(LimitNesting(html, 64), html) << html.left(60).constData();
  const QDir corpus(QStringLiteral(FEEDWELL_TEST_DATA "/html/corpus"));
  for (const QString& name : corpus.entryList({QStringLiteral("*.html")})) {
    QFile file(corpus.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray html = file.readAll();
    EXPECT_EQ(LimitNesting(html, 64), html) << name.toStdString();
  }
}

TEST(LimitNesting, DropsTagsBeyondTheLimitKeepingText) {
  const QByteArray deep = Repeat("<div>", 100) + "text" + Repeat("</div>", 100) + "<div>after</div>";
  const QByteArray limited = LimitNesting(deep, 10);
  EXPECT_EQ(limited, Repeat("<div>", 10) + "text" + Repeat("</div>", 10) + "<div>after</div>");
}

// 100,000 nested blocks convert quickly (the parser alone would take many seconds) and keep their
// text; the document after them is untouched.
TEST(LimitNesting, DeepBlocksKeepTheirText) {
  const QString html = QStringLiteral("<div>").repeated(100000) + QStringLiteral("deep") +
                       QStringLiteral("</div>").repeated(100000) + QStringLiteral("<p>after</p>");
  EXPECT_EQ(HtmlToText(html), QStringLiteral("deep\r\n\r\nafter"));
}

}  // namespace
}  // namespace feedwell
