#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStringEncoder>

#include "common/DateTime.h"
#include "common/Error.h"
#include "page/PageGenerator.h"
#include "page/Paragraphs.h"
#include "page/Placeholders.h"
#include "support/FakeHost.h"
#include "support/TempHome.h"

namespace feedwell {
namespace {

using test::FakeHost;
using test::TempHome;

const QString kRecord =
    QStringLiteral("[%RCVDATE%|%MSGFROMNAME%|%MSGSUBJECT%|%MSGFROMIMG%|%MSGCONTENT%|%MSGMORE%]");
const QByteArray kMore = "{%ENTRYID%:%MSGCONTENTMORE%}";
const QByteArray kHeader = "HEADER";

QByteArray ReadBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString ReadPage(const TempHome& home) {
  const QByteArray bytes = ReadBytes(home.home().PagePath());
  EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF")) << "the page is UTF-8 with its mark";
  return QString::fromUtf8(bytes.mid(3));
}

// A body of `count` lines "line 1" … "line count", one div each.
QString Body(int count) {
  QString html;
  for (int i = 1; i <= count; ++i) html += QStringLiteral("<div>line %1</div>").arg(i);
  return html;
}

QString Lines(int from, int to) {
  QStringList lines;
  for (int i = from; i <= to; ++i) lines << QStringLiteral("line %1").arg(i);
  return lines.join(QStringLiteral("\r\n"));
}

PageRow Row(const QString& body, const QString& subject = QStringLiteral("Subject"),
            const QString& from = QStringLiteral("a@example.com")) {
  return PageRow{EncodeDateTime(2024, 3, 5, 10, 30), from, subject, body};
}

class PageGeneratorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    home.WriteFile(QStringLiteral("Templates/msgmore.html"), kMore);
    home.WriteFile(QStringLiteral("Templates/pageheader.html"), kHeader);
    QDir().mkpath(home.home().DataDir());
  }
  QString Generate(const QString& recordTemplate = kRecord) {
    GeneratePage(home.home(), recordTemplate, host);
    return ReadPage(home);
  }
  QString Record(const PageRow& row, const QString& content, const QString& more) {
    return QStringLiteral("[%1|%2|%3|%4|<p>%5</p>|%6]")
        .arg(DateTimeToText(row.ReceivedDate), row.FromEmail, row.Subject,
             row.FromEmail + QStringLiteral(".bmp"), BuildParagraphs(content), more);
  }

  TempHome home;
  FakeHost host;
};

TEST_F(PageGeneratorTest, NoRowsGiveTheHeaderAlone) {
  host.SetStatusText(QStringLiteral("before"));
  EXPECT_EQ(Generate(), QStringLiteral("HEADER\r\n"));
  EXPECT_EQ(host.statusTexts(), QStringList{QStringLiteral("before")});
}

// The first five lines stand in the record; the rest goes into a more block with the row's position.
TEST_F(PageGeneratorTest, FirstFiveLinesAndRemainder) {
  struct Case {
    int lines;
    bool hasMore;
  };
  const Case cases[] = {{1, false}, {5, false}, {6, true}, {12, true}};
  for (const Case& c : cases) {
    host.rows = {Row(Body(c.lines))};
    const QString more =
        c.hasMore ? QStringLiteral("{ID0:%1}").arg(BuildParagraphs(Lines(6, c.lines))) : QString();
    EXPECT_EQ(Generate(), QStringLiteral("HEADER\r\n") +
                              Record(host.rows[0], Lines(1, std::min(c.lines, 5)), more) +
                              QStringLiteral("\r\n"))
        << c.lines << " lines";
  }
}

TEST_F(PageGeneratorTest, EmptyMessageGivesEmptyParagraphsAndNoMoreBlock) {
  host.rows = {Row(QString())};
  EXPECT_EQ(Generate(QStringLiteral("%MSGCONTENT%|%MSGMORE%")), QStringLiteral("HEADER\r\n<p></p></p>|\r\n"));
}

TEST_F(PageGeneratorTest, IdentifiersFollowRowPositionsAndProgressCountsRows) {
  host.rows = {Row(Body(7)), Row(Body(2)), Row(Body(9))};
  const QString page = Generate(QStringLiteral("%MSGMORE%"));
  EXPECT_TRUE(page.contains(QStringLiteral("{ID0:")));
  EXPECT_FALSE(page.contains(QStringLiteral("{ID1:")));
  EXPECT_TRUE(page.contains(QStringLiteral("{ID2:")));
  EXPECT_EQ(host.statusTexts(), (QStringList{QStringLiteral("   Exporting HTML, Total processed: 0/2"),
                                             QStringLiteral("   Exporting HTML, Total processed: 1/2"),
                                             QStringLiteral("   Exporting HTML, Total processed: 2/2")}));
  EXPECT_EQ(host.EventsWith(QStringLiteral("pump")).size(), 3);
}

// Placeholders are matched without regard to case and filled in one pass: nothing put in is searched
// again, and record placeholders stay in the more block (and the other way round).
TEST_F(PageGeneratorTest, PlaceholdersFilledOnceIgnoringCase) {
  home.WriteFile(QStringLiteral("Templates/msgmore.html"), "{%entryid%|%MSGSUBJECT%}");
  host.rows = {Row(Body(6), QStringLiteral("Re: %MSGMORE% and %msgsubject%"))};
  const QString page = Generate(QStringLiteral("%msgSubject%/%MSGSUBJECT%/%ENTRYID%/%MsgMore%"));
  EXPECT_EQ(page, QStringLiteral("HEADER\r\nRe: %MSGMORE% and %msgsubject%/Re: %MSGMORE% and %msgsubject%/"
                                 "%ENTRYID%/{ID0|%MSGSUBJECT%}\r\n"));
}

TEST_F(PageGeneratorTest, MailValuesNeverBecomeMarkup) {
  host.rows = {Row(QStringLiteral("<p>5 &lt; 6 &amp; <b>bold</b></p>"), QStringLiteral("<b>Hi</b> & \"you\""),
                   QStringLiteral("o'neil&co#1?x%41@example.com"))};
  const QString page =
      Generate(QStringLiteral("%MSGSUBJECT%|%MSGFROMNAME%|<img src=\"contacts/%MSGFROMIMG%\">|%MSGCONTENT%"));
  const QString expected = QStringLiteral(
      "HEADER\r\n&lt;b&gt;Hi&lt;/b&gt; &amp; &quot;you&quot;|o'neil&amp;co#1?x%41@example.com|"
      "<img src=\"contacts/o'neil&amp;co%231%3Fx%2541@example.com.bmp\">|<p>");
  EXPECT_TRUE(page.startsWith(expected)) << page.toStdString();
  EXPECT_TRUE(page.contains(QStringLiteral("5 &#60; 6 &amp; bold")));
  EXPECT_FALSE(page.contains(QStringLiteral("<b>")));
}

TEST_F(PageGeneratorTest, HebrewMessageGetsRightToLeftParagraphs) {
  host.rows = {Row(QStringLiteral(u"<div dir=rtl>שלום, מה שלומך?</div>"))};
  const QString page = Generate(QStringLiteral("%MSGCONTENT%"));
  EXPECT_EQ(page,
            QStringLiteral(u"HEADER\r\n<p><p class=\"msgbody\"  dir=\"rtl\"  >שלום, מה שלומך?</p></p>\r\n"));
}

// Templates are decoded by their byte-order mark; line breaks at their ends stay.
TEST_F(PageGeneratorTest, TemplatesDecodedByMark) {
  QStringEncoder utf16(QStringConverter::Utf16LE);
  home.WriteFile(QStringLiteral("Templates/pageheader.html"),
                 QByteArray("\xFF\xFE") + QByteArray(utf16(QStringLiteral(u"<title>כותרת</title>\n"))));
  home.WriteFile(QStringLiteral("Templates/msgmore.html"),
                 QByteArray("\xEF\xBB\xBF") + QStringLiteral(u"«%ENTRYID%»").toUtf8());
  host.rows = {Row(Body(6))};
  EXPECT_EQ(Generate(QStringLiteral("%MSGMORE%\r\n")),
            QStringLiteral(u"<title>כותרת</title>\r\n\r\n«ID0»\r\n\r\n"));
}

// A failed generation raises and leaves the earlier page as it was.
TEST_F(PageGeneratorTest, FailuresKeepTheEarlierPage) {
  struct Case {
    const char* what;
    std::function<void(TempHome&)> breakHome;
    QVector<PageRow> rows;
    int rowsDone;  // progress texts shown before the failure
  };
  const Case cases[] = {
      {"more block missing, first row with a remainder",
       [](TempHome& h) { QFile::remove(h.Path(QStringLiteral("Templates/msgmore.html"))); },
       {Row(Body(2)), Row(Body(7)), Row(Body(1))},
       1},
      {"page header missing",
       [](TempHome& h) { QFile::remove(h.Path(QStringLiteral("Templates/pageheader.html"))); },
       {Row(Body(2)), Row(Body(7))},
       2},
      {"index.html cannot be replaced",
       [](TempHome& h) {
         QFile::remove(h.home().PagePath());
         QDir().mkpath(h.home().PagePath() + QStringLiteral("/keep"));
       },
       {Row(Body(1))},
       1},
  };
  for (const Case& c : cases) {
    TempHome fresh;
    fresh.WriteFile(QStringLiteral("Templates/msgmore.html"), kMore);
    fresh.WriteFile(QStringLiteral("Templates/pageheader.html"), kHeader);
    fresh.WriteFile(QStringLiteral("Data/index.html"), "earlier page");
    c.breakHome(fresh);
    FakeHost failing;
    failing.rows = c.rows;
    EXPECT_THROW(GeneratePage(fresh.home(), kRecord, failing), Error) << c.what;
    EXPECT_EQ(failing.statusTexts().size(), c.rowsDone) << c.what;
    if (QFileInfo(fresh.home().PagePath()).isFile()) {
      EXPECT_EQ(ReadBytes(fresh.home().PagePath()), QByteArray("earlier page")) << c.what;
    }
    QStringList left = QDir(fresh.home().DataDir()).entryList(QDir::Files);
    left.removeAll(QStringLiteral("index.html"));
    EXPECT_TRUE(left.isEmpty()) << c.what << ": temporary file left behind";
  }
}

TEST_F(PageGeneratorTest, MissingDataFolderIsReported) {
  QDir(home.home().DataDir()).removeRecursively();
  host.rows = {Row(Body(1))};
  try {
    GeneratePage(home.home(), kRecord, host);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_TRUE(e.message().contains(home.home().DataDir())) << e.message().toStdString();
  }
  EXPECT_FALSE(QFileInfo::exists(home.home().DataDir()));
}

TEST(FillPlaceholders, OnePassLeftToRight) {
  const std::vector<Placeholder> values = {{QStringLiteral("%A%"), QStringLiteral("%B%")},
                                           {QStringLiteral("%B%"), QStringLiteral("b")}};
  struct Case {
    QString text;
    QString expected;
  } cases[] = {
      {QString(), QString()},
      {QStringLiteral("%a%-%B%-%A%"), QStringLiteral("%B%-b-%B%")},
      {QStringLiteral("100% %%A%%"), QStringLiteral("100% %%B%%")},
      {QStringLiteral("%A"), QStringLiteral("%A")},
      {QStringLiteral("%C% %"), QStringLiteral("%C% %")},
  };
  for (const Case& c : cases) EXPECT_EQ(FillPlaceholders(c.text, values), c.expected) << c.text.toStdString();
}

}  // namespace
}  // namespace feedwell
