#include <gtest/gtest.h>

#include <QTest>

#include "GuiTestApp.h"
#include "common/Clock.h"
#include "view/ActivityLog.h"
#include "view/HtmlView.h"

namespace feedwell::view {
namespace {

class RecordingView : public HtmlView {
 public:
  void LoadDocument(const QByteArray& bytes) override { documents.append(bytes); }
  QString Shown() const {
    return documents.isEmpty() ? QString() : QString::fromUtf8(documents.last().mid(3));
  }
  QVector<QByteArray> documents;
};

TEST(DocumentBytes, EndsEveryLineWithCrLfBehindTheUtf8Mark) {
  struct Case {
    QString html;
    QString text;  // what the document holds after the mark
  };
  const Case cases[] = {
      {QStringLiteral("<p>a</p>\n<p>b</p>"), QStringLiteral("<p>a</p>\r\n<p>b</p>\r\n")},
      {QStringLiteral("a\r\nb\rc\n"), QStringLiteral("a\r\nb\r\nc\r\n")},
      {QStringLiteral("\n\n"), QStringLiteral("\r\n\r\n")},
      {QStringLiteral("one line"), QStringLiteral("one line\r\n")},
      {QStringLiteral("שלום, naïve ☕ 𝄞"), QStringLiteral("שלום, naïve ☕ 𝄞\r\n")},  // nothing is lost
  };
  for (const Case& c : cases) {
    const QByteArray bytes = DocumentBytes(c.html);
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF")) << c.html.toStdString();
    EXPECT_EQ(QString::fromUtf8(bytes.mid(3)), c.text) << c.html.toStdString();
  }
  EXPECT_TRUE(DocumentBytes(QString()).isEmpty());  // an empty html loads an empty document

  RecordingView view;
  ShowHtml(view, QString());
  ShowHtml(view, QStringLiteral("x\ny"));
  ASSERT_EQ(view.documents.size(), 2);
  EXPECT_TRUE(view.documents[0].isEmpty());
  EXPECT_EQ(view.documents[1], DocumentBytes(QStringLiteral("x\ny")));
}

TEST(ActivityLog, PutsTheNewestEscapedEntryFirst) {
  RecordingView view;
  ActivityLog log(view);
  const DateTime first = EncodeDateTime(2026, 3, 14, 9, 15, 30);
  const DateTime second = EncodeDateTime(2026, 3, 14, 9, 16, 2);
  ScopedFixedClock clock(first);
  log.LogActivity(QStringLiteral("a"));
  clock.Set(second);
  log.LogActivity(QStringLiteral("Subject: <b>Sale & more"));
  log.Flush();

  const QString newest = QStringLiteral("<br>") + DateTimeToText(second) + QStringLiteral(": Subject: ");
  const QString older = QStringLiteral("<br>") + DateTimeToText(first) + QStringLiteral(": a");
  EXPECT_TRUE(log.HTMLText().startsWith(newest)) << log.HTMLText().toStdString();
  EXPECT_TRUE(log.HTMLText().endsWith(older)) << log.HTMLText().toStdString();
  // Markup in a line is shown as text and cannot change the older entries.
  EXPECT_FALSE(log.HTMLText().contains(QStringLiteral("<b>")));
  EXPECT_TRUE(log.HTMLText().contains(QStringLiteral("&lt;b&gt;Sale &amp; more")));
  EXPECT_EQ(view.Shown(), log.HTMLText() + QStringLiteral("\r\n"));
}

TEST(ActivityLog, ShowsAtMostOncePerIntervalAndWhatIsLeftOnFlush) {
  RecordingView view;
  ActivityLog log(view, 200);
  for (int i = 0; i < 500; ++i) log.LogActivity(QStringLiteral("item %1").arg(i));
  // The first line shows at once; the rest wait for the interval or the end of the run.
  EXPECT_EQ(view.documents.size(), 1);
  EXPECT_TRUE(log.HasPending());
  log.Flush();
  ASSERT_EQ(view.documents.size(), 2);
  EXPECT_TRUE(view.Shown().contains(QStringLiteral(": item 499<br>")));
  EXPECT_TRUE(view.Shown().contains(QStringLiteral(": item 0\r\n")));
  log.Flush();
  EXPECT_EQ(view.documents.size(), 2);  // nothing new, nothing shown

  // Without a flush, the timer shows pending lines once the interval has passed.
  log.LogActivity(QStringLiteral("late line"));
  EXPECT_EQ(view.documents.size(), 2);
  QTRY_COMPARE_WITH_TIMEOUT(view.documents.size(), 3, 5000);
  EXPECT_TRUE(view.Shown().contains(QStringLiteral("late line")));
}

TEST(ActivityLog, ClearEmptiesWithoutShowingAndStartsAfresh) {
  RecordingView view;
  ActivityLog log(view, 200);
  log.LogActivity(QStringLiteral("old run"));
  log.LogActivity(QStringLiteral("old run, waiting"));
  const int shown = static_cast<int>(view.documents.size());
  log.Clear();
  EXPECT_TRUE(log.HTMLText().isEmpty());
  EXPECT_FALSE(log.HasPending());
  log.Flush();
  EXPECT_EQ(view.documents.size(), shown);
  QTest::qWait(300);
  EXPECT_EQ(view.documents.size(), shown);  // the pane keeps the old log until something else shows

  log.LogActivity(QStringLiteral("new run"));
  log.Flush();
  EXPECT_TRUE(view.Shown().contains(QStringLiteral("new run")));
  EXPECT_FALSE(view.Shown().contains(QStringLiteral("old run")));

  // Dropped lines stay in the log but are not shown over what replaced them.
  log.LogActivity(QStringLiteral("while a message shows"));
  log.DropPending();
  const int before = static_cast<int>(view.documents.size());
  log.Flush();
  EXPECT_EQ(view.documents.size(), before);
  EXPECT_TRUE(log.HTMLText().contains(QStringLiteral("while a message shows")));
}

}  // namespace
}  // namespace feedwell::view
