#include "collection/Startup.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>

#include "common/Clock.h"
#include "common/Error.h"
#include "common/TextFile.h"
#include "settings/IniFile.h"
#include "support/TableFixtures.h"
#include "support/TempHome.h"

namespace feedwell {
namespace {

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previousLocale_ = QLocale();
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  }
  void TearDown() override { QLocale::setDefault(previousLocale_); }

  static QString Status(DateTime update, DateTime last) {
    return QStringLiteral("UpdateDate: ") + DateTimeToText(update) + QStringLiteral("   UpdateLast: ") +
           DateTimeToText(last);
  }

  const DateTime now_ = EncodeDateTime(2026, 12, 11, 9, 30, 15);
  ScopedFixedClock clock_{now_};
  test::TempHome home_;
  Session session_{home_.home()};
  QLocale previousLocale_;
};

TEST_F(StartupTest, FirstStartWithoutFilesLeavesTheTableClosed) {
  session_.config.FolderToScanEntryID = QStringLiteral("something");
  const QString status = StartSession(session_);
  EXPECT_FALSE(session_.table.IsOpen());
  EXPECT_EQ(session_.table.RecordCount(), 0);
  EXPECT_EQ(session_.config.FolderToScanEntryID, QStringLiteral("0"));
  EXPECT_EQ(session_.recordTemplate, ReadTextFile(home_.Path(QStringLiteral("Templates/msgrecord.html"))));
  EXPECT_NE(session_.recordTemplate, QStringLiteral("memTemplate"));
  EXPECT_EQ(session_.FUpdateDate, now_);
  EXPECT_EQ(session_.FUpdateLastNew, now_);
  EXPECT_EQ(status, Status(now_, now_));
  EXPECT_TRUE(status.startsWith(QStringLiteral("UpdateDate: 11.12.2026 09:30:15")));
}

TEST_F(StartupTest, LoadsTheTableAndTheTimeStamps) {
  test::WriteTableFile(home_.home().GetDataFileName(), 130);
  const DateTime update = EncodeDateTime(2026, 3, 4, 5, 6, 7);
  const DateTime last = EncodeDateTime(2026, 2, 1);
  IniFile settings(home_.home().GetSettingsFileName());
  settings.WriteDateTime(QStringLiteral("Default"), QStringLiteral("UpdateDate"), update);
  settings.WriteDateTime(QStringLiteral("Default"), QStringLiteral("UpdateLastNew"), last);

  EXPECT_EQ(StartSession(session_), Status(update, last));
  EXPECT_EQ(session_.table.RecordCount(), 130);
  EXPECT_EQ(session_.table.CurrentIndex(), 0);
  EXPECT_EQ(session_.FUpdateDate, update);
  EXPECT_EQ(session_.FUpdateLastNew, last);
}

// Each time stamp falls back to the current time on its own.
TEST_F(StartupTest, TimeStampsAreReadIndependently) {
  const DateTime good = EncodeDateTime(2025, 7, 8, 23, 59, 58);
  const QString goodText = DateTimeToText(good);
  struct Case {
    const char* what;
    QString updateDate;  // null: key absent
    QString updateLastNew;
    DateTime expectedUpdate;
    DateTime expectedLast;
  } cases[] = {
      {"update unparsable", QStringLiteral("gibberish"), goodText, now_, good},
      {"last unparsable", goodText, QStringLiteral("13/45/2020"), good, now_},
      {"update empty", QStringLiteral(""), goodText, now_, good},
      {"last absent", goodText, QString(), good, now_},
      {"other locale's text", QStringLiteral("7/8/2025 11:59:58 PM"), goodText, now_, good},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QFile::remove(home_.home().GetSettingsFileName());
    IniFile settings(home_.home().GetSettingsFileName());
    if (!c.updateDate.isNull())
      settings.WriteString(QStringLiteral("Default"), QStringLiteral("UpdateDate"), c.updateDate);
    if (!c.updateLastNew.isNull())
      settings.WriteString(QStringLiteral("Default"), QStringLiteral("UpdateLastNew"), c.updateLastNew);
    // The "DEFAULTS" section is another one and must not be read.
    settings.WriteString(QStringLiteral("DEFAULTS"), QStringLiteral("UpdateDate"), goodText);
    Session session(home_.home());
    EXPECT_EQ(StartSession(session), Status(c.expectedUpdate, c.expectedLast));
    EXPECT_EQ(session.FUpdateDate, c.expectedUpdate);
    EXPECT_EQ(session.FUpdateLastNew, c.expectedLast);
  }
}

// The first failing step raises; the steps after it do not run.
TEST_F(StartupTest, FailureStopsTheLaterSteps) {
  test::WriteTableFile(home_.home().GetDataFileName(), 5);
  IniFile(home_.home().GetSettingsFileName())
      .WriteDateTime(QStringLiteral("Default"), QStringLiteral("UpdateDate"),
                     EncodeDateTime(2020, 1, 1, 1, 1, 1));
  QFile::remove(home_.Path(QStringLiteral("Templates/msgrecord.html")));
  session_.config.FolderToScanEntryID = QStringLiteral("kept");

  try {
    StartSession(session_);
    ADD_FAILURE() << "started without a template";
  } catch (const Error& e) {
    EXPECT_TRUE(e.message().contains(QStringLiteral("msgrecord.html"))) << e.what();
  }
  EXPECT_EQ(session_.recordTemplate, QStringLiteral("memTemplate"));
  EXPECT_EQ(session_.config.FolderToScanEntryID, QStringLiteral("kept"));
  EXPECT_FALSE(session_.table.IsOpen());
  EXPECT_EQ(session_.FUpdateDate, 0);
  EXPECT_EQ(session_.FUpdateLastNew, 0);
}

TEST_F(StartupTest, UnreadableTableFileStopsBeforeTheTimeStamps) {
  home_.WriteFile(QStringLiteral("feedwell.data"), "this is no table");
  EXPECT_THROW(StartSession(session_), Error);
  EXPECT_NE(session_.recordTemplate, QStringLiteral("memTemplate"));
  EXPECT_EQ(session_.config.FolderToScanEntryID, QStringLiteral("0"));
  EXPECT_FALSE(session_.table.IsOpen());
  EXPECT_EQ(session_.FUpdateDate, 0);
  EXPECT_EQ(session_.FUpdateLastNew, 0);
}

}  // namespace
}  // namespace feedwell
