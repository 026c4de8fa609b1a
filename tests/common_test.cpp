#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <limits>

#include "common/Clock.h"
#include "common/DateTime.h"
#include "common/Error.h"
#include "common/Text.h"
#include "common/TextFile.h"

namespace feedwell {
namespace {

// Pins the default locale for one test and puts the previous one back.
class ScopedLocale {
 public:
  explicit ScopedLocale(const QLocale& locale) : previous_(QLocale()) { QLocale::setDefault(locale); }
  ~ScopedLocale() { QLocale::setDefault(previous_); }

 private:
  QLocale previous_;
};

const char* const kLocales[] = {"en_US", "he_IL", "de_DE", "en_GB", "ja_JP", "ko_KR", "ar_EG", "fa_IR"};

// ---- Date-time ----

TEST(DateTime, EpochAndFractionsFollowTheDayCount) {
  EXPECT_EQ(EncodeDateTime(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDateTime(1899, 12, 31, 12), 1.5);
  EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6), -1.25);
  EXPECT_EQ(ToQDateTime(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
  EXPECT_EQ(DateOf(EncodeDateTime(2026, 12, 11, 23, 59, 59)), QDate(2026, 12, 11));
  for (const DateTime v : {45000.0, 45000.999988425926, -700.5, 2.0 / 3.0}) {
    EXPECT_NEAR(FromQDateTime(ToQDateTime(v)), v, 1e-8) << v;
  }
  // Damaged values give no date instead of undefined arithmetic.
  for (const DateTime v :
       {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), 1e300, -1e300}) {
    EXPECT_FALSE(ToQDateTime(v).isValid()) << v;
    EXPECT_TRUE(DateTimeToText(v).isEmpty()) << v;
  }
}

TEST(DateTime, TextFormRoundTripsToTheSecondInEveryLocale) {
  const DateTime values[] = {
      EncodeDateTime(2026, 12, 11, 15, 4, 5), EncodeDateTime(2026, 12, 11, 0, 0, 1),
      EncodeDateTime(2026, 12, 11, 12, 0, 0), EncodeDateTime(2026, 12, 11, 23, 59, 59),
      EncodeDateTime(1999, 2, 28, 9, 8, 7),   EncodeDateTime(2069, 7, 1, 0, 30, 0),
      EncodeDateTime(2070, 1, 1, 13, 0, 0),   EncodeDateTime(2024, 2, 29, 18, 45, 30),
      EncodeDateTime(1900, 3, 1, 1, 2, 3),    EncodeDateTime(2026, 1, 2),
  };
  for (const char* name : kLocales) {
    SCOPED_TRACE(name);
    const ScopedLocale pinned{QLocale(QString::fromLatin1(name))};
    for (const DateTime v : values) {
      const QString text = DateTimeToText(v);
      EXPECT_EQ(TextToDateTime(text, -1), v) << text.toStdString();
      // The default locale is the one used when none is given.
      EXPECT_EQ(text, DateTimeToText(v, QLocale(QString::fromLatin1(name))));
    }
    // Milliseconds are not shown; the text reads back as the whole second.
    const DateTime withMsec = EncodeDateTime(2026, 5, 6, 7, 8, 9, 400);
    EXPECT_EQ(TextToDateTime(DateTimeToText(withMsec), -1), EncodeDateTime(2026, 5, 6, 7, 8, 9));
  }
}

TEST(DateTime, MidnightShowsTheDateAloneAndReadsBackAsMidnight) {
  for (const char* name : kLocales) {
    SCOPED_TRACE(name);
    const QLocale locale(QString::fromLatin1(name));
    const DateTime midnight = EncodeDateTime(2026, 3, 9);
    const QString text = DateTimeToText(midnight, locale);
    EXPECT_EQ(text, locale.toString(QDate(2026, 3, 9), DateFormatOf(locale)));
    EXPECT_EQ(TextToDateTime(text, -1, locale), midnight);
    // One second later the time shows.
    EXPECT_GT(DateTimeToText(midnight + 1.0 / 86400, locale).size(), text.size());
  }
}

TEST(DateTime, YearsAreShownWithFourDigits) {
  for (const QLocale& locale :
       QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
    const QString format = DateFormatOf(locale);
    if (!locale.dateFormat(QLocale::ShortFormat).contains(u'y')) continue;
    EXPECT_TRUE(format.contains(QStringLiteral("yyyy")))
        << locale.name().toStdString() << " " << format.toStdString();
    EXPECT_FALSE(format.contains(QStringLiteral("yyyyy"))) << locale.name().toStdString();
  }
  // A short format with a two-digit year (en_US on many systems: "M/d/yy") would read "26" as 1926.
  const QLocale us(QLocale::English, QLocale::UnitedStates);
  EXPECT_TRUE(DateTimeToText(EncodeDateTime(1926, 12, 11, 1, 2, 3), us).contains(QStringLiteral("1926")));
  EXPECT_TRUE(DateTimeToText(EncodeDateTime(2026, 12, 11, 1, 2, 3), us).contains(QStringLiteral("2026")));
}

TEST(DateTime, TimeFormatCarriesNoTimeZone) {
  for (const QLocale& locale :
       QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
    const QString format = TimeFormatOf(locale);
    EXPECT_FALSE(format.contains(u't')) << locale.name().toStdString();
    EXPECT_FALSE(format.contains(QStringLiteral("()"))) << locale.name().toStdString();
    EXPECT_FALSE(format.endsWith(u',')) << locale.name().toStdString();
  }
}

TEST(DateTime, TextThatDoesNotParseGivesTheFallback) {
  const ScopedLocale pinned{QLocale(QLocale::German, QLocale::Germany)};
  const DateTime fallback = 12345.5;
  for (const char* text : {"", "   ", "gibberish", "32.13.2026", "11.12.2026 25:61:00",
                           "12/11/2026 3:04:05 PM", "2026-12-11T15:04:05"}) {
    EXPECT_EQ(TextToDateTime(QString::fromUtf8(text), fallback), fallback) << text;
  }
  EXPECT_EQ(TextToDateTime(QStringLiteral("  11.12.2026 15:04:05 "), fallback),
            EncodeDateTime(2026, 12, 11, 15, 4, 5));
}

TEST(Clock, FixedClockNestsAndRestores) {
  const DateTime real = Now();
  {
    ScopedFixedClock outer(100.25);
    EXPECT_EQ(Now(), 100.25);
    {
      ScopedFixedClock inner(200.5);
      EXPECT_EQ(Now(), 200.5);
      inner.Set(300.75);
      EXPECT_EQ(Now(), 300.75);
    }
    EXPECT_EQ(Now(), 100.25);
  }
  EXPECT_NEAR(Now(), real, 1.0);  // the real clock again (within a day)
}

// ---- Text helpers ----

TEST(Text, TrimRemovesOnlyCodesUpToBlank) {
  const struct {
    QString in;
    QString out;
  } cases[] = {
      {QString(), QString()},
      {QStringLiteral("  a b  "), QStringLiteral("a b")},
      {QStringLiteral("\t\r\n\x01x\x1f\x20"), QStringLiteral("x")},
      {QStringLiteral(u"\u00A0x\u00A0"), QStringLiteral(u"\u00A0x\u00A0")},  // no-break space stays
      {QStringLiteral(u"\u3000x\u2003"), QStringLiteral(u"\u3000x\u2003")},  // as does other white space
      {QStringLiteral(" ") + QChar(0) + QStringLiteral(" "), QString()},
      {QStringLiteral("   "), QString()},
  };
  for (const auto& c : cases) EXPECT_EQ(Trim(c.in), c.out) << c.in.toStdString();
}

TEST(Text, SplitLinesOnEveryKindOfBreak) {
  const struct {
    const char* what;
    QString in;
    QStringList out;
  } cases[] = {
      {"empty", QString(), {}},
      {"one line", QStringLiteral("a"), {QStringLiteral("a")}},
      {"CR LF", QStringLiteral("a\r\nb"), {QStringLiteral("a"), QStringLiteral("b")}},
      {"lone CR", QStringLiteral("a\rb"), {QStringLiteral("a"), QStringLiteral("b")}},
      {"lone LF", QStringLiteral("a\nb"), {QStringLiteral("a"), QStringLiteral("b")}},
      {"LF CR is two breaks",
       QStringLiteral("a\n\rb"),
       {QStringLiteral("a"), QString(), QStringLiteral("b")}},
      {"trailing break", QStringLiteral("a\r\n"), {QStringLiteral("a")}},
      {"only a break", QStringLiteral("\n"), {QString()}},
      {"empty lines kept",
       QStringLiteral("a\n\n\nb\r\n\r\n"),
       {QStringLiteral("a"), QString(), QString(), QStringLiteral("b"), QString()}},
      {"NUL ends the text",
       QStringLiteral("a\nb") + QChar(0) + QStringLiteral("c\nd"),
       {QStringLiteral("a"), QStringLiteral("b")}},
      {"NUL first", QChar(0) + QStringLiteral("abc"), {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitLines(c.in), c.out) << c.what;
  }
  EXPECT_EQ(JoinLines({QStringLiteral("a"), QString(), QStringLiteral("b")}),
            QStringLiteral("a\r\n\r\nb\r\n"));
  EXPECT_EQ(JoinLines({}), QString());
  EXPECT_EQ(NormalizeLineEnds(QStringLiteral("a\rb\nc\r\nd\n\r")),
            QStringLiteral("a\r\nb\r\nc\r\nd\r\n\r\n"));
}

TEST(Text, ReplaceIgnoringCaseIsOnePass) {
  const struct {
    const char* text;
    const char* name;
    const char* value;
    const char* out;
  } cases[] = {
      {"Hello %NAME%!", "%NAME%", "Bob", "Hello Bob!"},
      {"%name% and %Name%", "%NAME%", "x", "x and x"},
      {"%NAME%", "%NAME%", "%NAME%%NAME%", "%NAME%%NAME%"},  // a value is never searched again
      {"%A%%A%", "%A%", "<%a%>", "<%a%><%a%>"},              // nor does it join with what follows
      {"%SUB", "%SUBJECT%", "x", "%SUB"},
      {"no placeholder", "%X%", "y", "no placeholder"},
      {"aaa", "aa", "b", "ba"},  // left to right, resuming after each
      {"%X%", "", "y", "%X%"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(
        ReplaceIgnoringCase(QString::fromUtf8(c.text), QString::fromUtf8(c.name), QString::fromUtf8(c.value)),
        QString::fromUtf8(c.out))
        << c.text << " / " << c.name;
  }
}

TEST(Text, HtmlEscapeMakesMarkupText) {
  EXPECT_EQ(HtmlEscape(QStringLiteral("<b>\"A&B\"</b>")),
            QStringLiteral("&lt;b&gt;&quot;A&amp;B&quot;&lt;/b&gt;"));
}

TEST(Text, ParseIntegerAcceptsDecimalAndPrefixedHex) {
  const struct {
    const char* text;
    bool ok;
    qint64 value;
  } cases[] = {
      {"0", true, 0},
      {"42", true, 42},
      {"-17", true, -17},
      {"+5", true, 5},
      {"5000", true, 5000},
      {"0x1F", true, 31},
      {"0X1f", true, 31},
      {"0xffffffff", true, 4294967295LL},
      {"0x7FFFFFFFFFFFFFFF", true, 9223372036854775807LL},
      {"9223372036854775807", true, 9223372036854775807LL},
      {"-9223372036854775808", true, std::numeric_limits<qint64>::min()},
      {"0x", false, 0},
      {"0X", false, 0},
      {"0x-5", false, 0},
      {"0x+5", false, 0},
      {"0x 5", false, 0},
      {"0xG", false, 0},
      {"-0x5", false, 0},
      {"", false, 0},
      {"abc", false, 0},
      {"12abc", false, 0},
      {"1.5", false, 0},
      {"1e3", false, 0},
      {"9223372036854775808", false, 0},
      {"0x10000000000000000", false, 0},
  };
  for (const auto& c : cases) {
    qint64 value = -99;
    EXPECT_EQ(ParseInteger(QString::fromUtf8(c.text), &value), c.ok) << c.text;
    EXPECT_EQ(value, c.ok ? c.value : -99) << c.text;  // a failure leaves the target alone
  }
}

// ---- Text files ----

TEST(TextFile, DecodeTextByItsMark) {
  const QString hebrew = QString::fromUtf8("\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D");
  const auto utf16 = [](const QString& s, bool little) {
    QByteArray out = little ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
    for (const QChar c : s) {
      const char lo = char(c.unicode() & 0xff), hi = char(c.unicode() >> 8);
      out += little ? lo : hi;
      out += little ? hi : lo;
    }
    return out;
  };
  const QString text = hebrew + QStringLiteral(" a\nb");
  const struct {
    const char* what;
    QByteArray bytes;
    QString out;
  } cases[] = {
      {"UTF-8 mark", "\xEF\xBB\xBF" + text.toUtf8(), hebrew + QStringLiteral(" a\r\nb")},
      {"no mark is UTF-8", text.toUtf8(), hebrew + QStringLiteral(" a\r\nb")},
      {"UTF-16 LE", utf16(text, true), hebrew + QStringLiteral(" a\r\nb")},
      {"UTF-16 BE", utf16(text, false), hebrew + QStringLiteral(" a\r\nb")},
      {"empty", QByteArray(), QString()},
      {"mark only", "\xEF\xBB\xBF", QString()},
      {"line ends become CR LF", "a\rb\nc\r\nd", QStringLiteral("a\r\nb\r\nc\r\nd")},
      {"NUL ends the text", QByteArray("ab\0cd", 5), QStringLiteral("ab")},
      {"NUL in UTF-16", utf16(QStringLiteral("ab") + QChar(0) + QStringLiteral("cd"), true),
       QStringLiteral("ab")},
      {"invalid UTF-8", "a\xC3(b\xFF\xFE\xED\xA0\x80z", QString()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const QString decoded = DecodeText(c.bytes);
    if (QLatin1String(c.what) == QLatin1String("invalid UTF-8")) {
      // Bad sequences become replacement characters; the good letters around them stay.
      EXPECT_TRUE(decoded.startsWith(u'a'));
      EXPECT_TRUE(decoded.endsWith(u'z'));
      EXPECT_TRUE(decoded.contains(QChar(QChar::ReplacementCharacter)));
      EXPECT_TRUE(decoded.contains(u'b'));
    } else {
      EXPECT_EQ(decoded, c.out);
    }
  }
}

TEST(TextFile, WrittenFilesCarryTheUtf8MarkAndReadBack) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("t.html"));
  const QString text = QString::fromUtf8("\xE4\xBD\xA0\xE5\xA5\xBD \xF0\x9F\x93\xAC\r\nline two\r\n");
  WriteTextFile(path, text);
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
  EXPECT_EQ(bytes.mid(3), text.toUtf8());
  EXPECT_EQ(ReadTextFile(path), text);
  EXPECT_THROW(ReadTextFile(dir.filePath(QStringLiteral("missing.html"))), Error);
  EXPECT_THROW(WriteTextFile(dir.filePath(QStringLiteral("no/folder/x.html")), text), Error);
}

}  // namespace
}  // namespace feedwell
