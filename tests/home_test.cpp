#include <gtest/gtest.h>

#include <QProcess>

#include "support/TempHome.h"

namespace feedwell {
namespace {

TEST(Home, NamesSettingsAndTableFilesAfterTheProgram) {
  const Home home(QStringLiteral("/h"), QStringLiteral("mailfeed"));
  EXPECT_EQ(home.GetSettingsFileName(), QStringLiteral("/h/mailfeed.ini"));
  EXPECT_EQ(home.GetDataFileName(), QStringLiteral("/h/mailfeed.data"));
  EXPECT_EQ(home.PagePath(), QStringLiteral("/h/Data/index.html"));
}

TEST(Home, ExplicitFolderWinsOverEnvironment) {
  qputenv("FEEDWELL_HOME", "/from/env");
  EXPECT_EQ(Home::Resolve(QStringLiteral("/given")).dir(), QStringLiteral("/given"));
  EXPECT_EQ(Home::Resolve().dir(), QStringLiteral("/from/env"));
  qunsetenv("FEEDWELL_HOME");
}

// The executable's commands that need no store: --version, --help, init (and its refusal to
// overwrite), an unknown command.
TEST(CommandLine, InitCreatesAHomeAndRefusesToOverwrite) {
  const QString exe = qEnvironmentVariable("FEEDWELL_EXE");
  ASSERT_FALSE(exe.isEmpty());
  test::TempHome scratch(false);
  const QString dir = scratch.Path(QStringLiteral("new-home"));

  QProcess p;
  p.start(exe, {QStringLiteral("init"), dir});
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  for (const char* f : {"Templates/msgrecord.html", "Templates/msgmore.html", "Templates/pageheader.html"}) {
    EXPECT_TRUE(QFileInfo::exists(dir + u'/' + QLatin1String(f))) << f;
  }
  EXPECT_TRUE(QFileInfo(dir + QStringLiteral("/Data/contacts")).isDir());
  EXPECT_TRUE(QFileInfo(dir + QStringLiteral("/Data/Exclude")).isDir());

  p.start(exe, {QStringLiteral("init"), dir});
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 1);
  EXPECT_TRUE(p.readAllStandardError().contains("never overwrites"));

  p.start(exe, {QStringLiteral("--version")});
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 0);
  EXPECT_TRUE(p.readAllStandardOutput().startsWith("feedwell "));

  p.start(exe, {QStringLiteral("no-such-command")});
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 2);
}

}  // namespace
}  // namespace feedwell
