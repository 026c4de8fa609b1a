#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include "support/TableFixtures.h"
#include "support/TempHome.h"

namespace feedwell {
namespace {

struct RunResult {
  int exitCode = -1;
  QString out;
  QString err;
};

RunResult RunFeedwell(const QString& home, const QStringList& args) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  process.setProcessEnvironment(env);
  process.start(qEnvironmentVariable("FEEDWELL_EXE"), QStringList{QStringLiteral("--home"), home} + args);
  if (!process.waitForFinished(120000)) return {};
  return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
          QString::fromUtf8(process.readAllStandardError())};
}

class GenerateCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("FEEDWELL_EXE"));
    test::WriteTableFile(home.home().GetDataFileName(), 7);
  }
  test::TempHome home;
};

TEST_F(GenerateCommandTest, WritesThePageFromTheTableNewestFirst) {
  const RunResult run = RunFeedwell(home.home().dir(), {QStringLiteral("generate")});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_TRUE(run.out.contains(home.home().PagePath())) << run.out.toStdString();
  EXPECT_TRUE(run.out.contains(QStringLiteral("Exporting HTML, Total processed: 6/6")));
  QFile page(home.home().PagePath());
  ASSERT_TRUE(page.open(QIODevice::ReadOnly));
  const QString html = QString::fromUtf8(page.readAll());
  // Records are numbered by age (0 the oldest); the page lists them newest first.
  const QRegularExpression subject(QStringLiteral("Weekly update #(\\d+)"));
  QList<int> order;
  for (auto it = subject.globalMatch(html); it.hasNext();) order.append(it.next().captured(1).toInt());
  ASSERT_EQ(order.size(), 7);
  for (qsizetype i = 1; i < order.size(); ++i) EXPECT_GT(order[i - 1], order[i]);
  EXPECT_TRUE(html.contains(QStringLiteral("plans, notes &amp; numbers")));
}

TEST_F(GenerateCommandTest, ReportsFailures) {
  struct Case {
    const char* what;
    QStringList args;
    std::function<void()> breakHome;
    int exitCode;
    QString message;
  };
  const Case cases[] = {
      {"extra argument",
       {QStringLiteral("generate"), QStringLiteral("now")},
       [] {},
       2,
       QStringLiteral("usage")},
      {"no Data folder",
       {QStringLiteral("generate")},
       [this] { QDir(home.home().DataDir()).removeRecursively(); },
       1,
       home.home().DataDir()},
      {"no page header",
       {QStringLiteral("generate")},
       [this] { QFile::remove(home.Path(QStringLiteral("Templates/pageheader.html"))); },
       1,
       QStringLiteral("pageheader.html")},
  };
  // The cases break the home one after another; each failure is reached before the next one's.
  for (const Case& c : cases) {
    c.breakHome();
    const RunResult run = RunFeedwell(home.home().dir(), c.args);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.what;
    EXPECT_TRUE(run.err.contains(c.message)) << c.what << ": " << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(home.home().PagePath())) << c.what;
  }
}

}  // namespace
}  // namespace feedwell
