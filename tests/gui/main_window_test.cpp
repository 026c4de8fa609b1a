#include <gtest/gtest.h>

#include <QAction>
#include <QDesktopServices>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QTest>
#include <QUrl>

#include "GuiTestApp.h"
#include "app/MainWindow.h"
#include "common/Clock.h"
#include "common/Error.h"
#include "support/TableFixtures.h"
#include "support/TempHome.h"
#include "view/ActivityLog.h"
#include "view/BrowserPane.h"
#include "view/MessageGrid.h"
#include "view/StatusStrip.h"

namespace feedwell::app {
namespace {

// The window with its boxes recorded instead of shown, and its seams observable.
class TestWindow : public MainWindow {
 public:
  using MainWindow::MainWindow;
  QStringList errors;
  QStringList messages;
  int settingsLoads = 0;
  std::function<void()> configuration;
  std::function<void()> onRows;

  void ShowMessage(const QString& text) override { messages << text; }
  QVector<PageRow> RowsInViewOrder() override {
    if (onRows) onRows();
    return MainWindow::RowsInViewOrder();
  }

 protected:
  void ShowError(const QString& text) override { errors << text; }
  void LoadSettingsAndAsk() override { ++settingsLoads; }
  void RunConfiguration() override {
    if (configuration) configuration();
  }
};

// Receives what the window hands to the desktop.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public slots:
  void open(const QUrl& url) { urls << url; }
};

template <typename T>
T* Find(QWidget& window, const char* name) {
  return window.findChild<T*>(QLatin1String(name));
}

TEST(MainWindow, CarriesItsComponentsByNameInTheirPlaces) {
  test::TempHome home;
  TestWindow window(home.home());
  window.show();
  QCoreApplication::processEvents();

  EXPECT_EQ(window.objectName(), QStringLiteral("TForm1"));
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Feedwell"));
  EXPECT_EQ(window.centralWidget()->size(), QSize(731, 525));
  for (const char* name : {"Panel1", "cxGrid1", "GradientLabel1"})
    EXPECT_NE(Find<QWidget>(window, name), nullptr) << name;
  EXPECT_NE(Find<QSplitter>(window, "Splitter1"), nullptr);
  EXPECT_NE(Find<QTableView>(window, "cxGrid1DBTableView1"), nullptr);
  EXPECT_NE(Find<view::BrowserPane>(window, "WebBrowser1"), nullptr);
  EXPECT_NE(window.findChild<QAction*>(QStringLiteral("actScan")), nullptr);

  struct ButtonCase {
    const char* name;
    QString shown;  // the caption as it reads
  };
  const ButtonCase buttons[] = {{"Button5", QStringLiteral("Scan & GenHTML")},
                                {"Button3", QStringLiteral("Generate HTML")},
                                {"Button2", QStringLiteral("Configuration...")},
                                {"Button4", QStringLiteral("Open Page")}};
  int left = -1;
  for (const ButtonCase& b : buttons) {
    QPushButton* button = Find<QPushButton>(window, b.name);
    ASSERT_NE(button, nullptr) << b.name;
    EXPECT_EQ(button->text().replace(QStringLiteral("&&"), QStringLiteral("&")), b.shown) << b.name;
    EXPECT_EQ(button->size(), QSize(120, 29)) << b.name;
    EXPECT_FALSE(button->icon().isNull()) << b.name;
    EXPECT_GT(button->x(), left) << b.name;  // in this order from the left
    left = button->x();
  }
  QWidget* panel = Find<QWidget>(window, "Panel1");
  EXPECT_EQ(panel->height(), 35);
  EXPECT_EQ(Find<QPushButton>(window, "Button4")->geometry().right(), panel->width() - 4);
  EXPECT_EQ(Find<QWidget>(window, "GradientLabel1")->height(), 20);
  EXPECT_EQ(Find<QWidget>(window, "GradientLabel1")->geometry().bottom(),
            window.centralWidget()->height() - 1);
  EXPECT_EQ(Find<QWidget>(window, "WebBrowser1")->height(), 150);
}

TEST(MainWindow, StartsWithTheRecordsOfTheTableFileAndTheTimeStamps) {
  const DateTime now = EncodeDateTime(2026, 3, 14, 10, 20, 30);
  ScopedFixedClock clock(now);
  struct Case {
    const char* what;
    int records;  // -1: no table file
  };
  for (const Case c : {Case{"130 records", 130}, Case{"no files", -1}}) {
    test::TempHome home;
    if (c.records >= 0) test::WriteTableFile(home.home().GetDataFileName(), c.records);
    TestWindow window(home.home());
    window.FormCreate();
    EXPECT_TRUE(window.errors.isEmpty()) << c.what;
    EXPECT_EQ(window.grid().model().rowCount(), std::max(c.records, 0)) << c.what;
    // The newest message is focused and shown.
    if (c.records > 0) {
      ASSERT_NE(window.grid().FocusedRecord(), nullptr);
      EXPECT_EQ(window.grid().FocusedRecord()->ReceivedDate,
                window.grid().RowsInViewOrder().first().ReceivedDate);
      EXPECT_EQ(window.browser().LastDocument(),
                view::DocumentBytes(window.grid().FocusedRecord()->MsgContent));
    }
    // Without a settings file both stamps are the start time.
    EXPECT_EQ(window.statusStrip().text(), QStringLiteral("UpdateDate: ") + DateTimeToText(now) +
                                               QStringLiteral("   UpdateLast: ") + DateTimeToText(now))
        << c.what;
  }
}

TEST(MainWindow, AFailedStartIsShownAndTheProgramRunsOn) {
  test::TempHome home(false);  // no Templates/: the record template cannot be read
  test::WriteTableFile(home.home().GetDataFileName(), 5);
  TestWindow window(home.home());
  window.FormCreate();
  ASSERT_EQ(window.errors.size(), 1);
  EXPECT_FALSE(window.errors.first().isEmpty());
  EXPECT_EQ(window.grid().model().rowCount(), 0);  // the later steps were skipped
  EXPECT_TRUE(window.statusStrip().text().isEmpty());
  window.show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
}

TEST(MainWindow, ActivatesOnceWhenFirstShown) {
  test::TempHome home;
  TestWindow window(home.home());
  window.FormCreate();
  EXPECT_EQ(window.settingsLoads, 0);
  window.show();
  QTRY_COMPARE(window.settingsLoads, 1);
  window.hide();
  window.show();
  window.activateWindow();
  QCoreApplication::processEvents();
  Find<QPushButton>(window, "Button2")->click();  // a dialog that closes hands the focus back
  QTest::qWait(50);
  EXPECT_EQ(window.settingsLoads, 1);
}

TEST(MainWindow, PreviewStaysOnTheLogWhileAScanRunsAndFollowsTheFocusAfter) {
  test::TempHome home;
  test::WriteTableFile(home.home().GetDataFileName(), 20);
  TestWindow window(home.home());
  window.FormCreate();
  window.show();
  QCoreApplication::processEvents();

  Session& session = window.session();
  session.scanTag = 99;
  window.LogActivity(QStringLiteral("Reading folder Inbox"));
  window.activityLog().Flush();
  const QByteArray logShown = window.browser().LastDocument();
  ASSERT_TRUE(QString::fromUtf8(logShown).contains(QStringLiteral("Reading folder Inbox")));

  // Rows arriving during the scan move the focus, but the pane keeps the log.
  for (int i = 0; i < 3; ++i) session.table.Insert(test::MakeRecord(100 + i, EncodeDateTime(2020, 1, 1 + i)));
  EXPECT_EQ(window.grid().FocusedRecord()->EntryID, test::MakeRecord(102, 0).EntryID);
  window.FocusFirstRow();
  EXPECT_EQ(window.browser().LastDocument(), logShown);

  session.scanTag = 1;
  window.grid().setCurrentIndex(window.grid().proxy().index(3, view::kSubjectColumn));
  const MessageRecord* focused = window.grid().FocusedRecord();
  ASSERT_NE(focused, nullptr);
  EXPECT_EQ(window.browser().LastDocument(), view::DocumentBytes(focused->MsgContent));
  EXPECT_EQ(session.table.Record(session.table.CurrentIndex()).EntryID, focused->EntryID);
}

TEST(MainWindow, ColoursRecentRowsFromTheStatusStrip) {
  const DateTime now = EncodeDateTime(2026, 3, 14, 16, 0, 0);
  ScopedFixedClock clock(now);
  test::TempHome home;
  TestWindow window(home.home());
  window.FormCreate();
  window.show();
  QCoreApplication::processEvents();
  Session& session = window.session();
  session.FUpdateLastNew = EncodeDateTime(2026, 3, 14, 15, 0, 0);
  MessageRecord fresh = test::MakeRecord(1, now);
  fresh.UpdateDate = session.FUpdateLastNew;
  MessageRecord old = test::MakeRecord(2, now - 5.0 / 24);
  old.UpdateDate = session.FUpdateLastNew - 1;
  session.table.Reset({fresh, old});

  const view::MessageListProxy& proxy = window.grid().proxy();
  const view::StatusStrip& strip = window.statusStrip();
  ASSERT_EQ(proxy.RecordAt(0)->EntryID, fresh.EntryID);
  EXPECT_EQ(proxy.index(0, view::kSubjectColumn).data(Qt::BackgroundRole).value<QBrush>().color(),
            strip.ColorAt(strip.width() - 1, strip.height() - 2));
  EXPECT_EQ(proxy.index(0, view::kSubjectColumn).data(Qt::ForegroundRole).value<QBrush>().color(),
            QColor(255, 0, 0));
  EXPECT_FALSE(proxy.index(1, view::kSubjectColumn).data(Qt::BackgroundRole).isValid());
  EXPECT_FALSE(proxy.index(1, view::kSubjectColumn).data(Qt::ForegroundRole).isValid());
}

TEST(MainWindow, CommandsThatWouldNestAreOffWhileOneRunsAndComeBackAfterAFailure) {
  test::TempHome home;
  test::WriteTableFile(home.home().GetDataFileName(), 3);
  TestWindow window(home.home());
  window.FormCreate();
  window.show();
  QCoreApplication::processEvents();
  auto enabled = [&] {
    QStringList on;
    for (const char* name : {"Button5", "Button3", "Button2", "Button4"})
      if (Find<QPushButton>(window, name)->isEnabled()) on << QLatin1String(name);
    if (window.scanAction().isEnabled()) on << QStringLiteral("actScan");
    return on;
  };
  const QStringList all = {QStringLiteral("Button5"), QStringLiteral("Button3"), QStringLiteral("Button2"),
                           QStringLiteral("Button4"), QStringLiteral("actScan")};
  ASSERT_EQ(enabled(), all);

  QStringList duringGenerate;
  window.onRows = [&] { duringGenerate = enabled(); };
  Find<QPushButton>(window, "Button3")->click();
  EXPECT_EQ(duringGenerate, QStringList{QStringLiteral("Button4")});
  EXPECT_EQ(enabled(), all);
  window.errors.clear();  // whether the page could be written is not the question here

  // A run that fails half-way: its error is shown, the list and the commands come back.
  QStringList duringRun;
  int nestedRuns = 0;
  window.configuration = [&] {
    ++nestedRuns;
    duringRun = enabled();
    window.SuspendList();
    window.LogActivity(QStringLiteral("last line before the failure"));
    window.scanAction().trigger();  // a nested command does not start
    throw Error(QStringLiteral("Unable to write to /nowhere/feedwell.ini"));
  };
  Find<QPushButton>(window, "Button2")->click();
  EXPECT_EQ(nestedRuns, 1);
  EXPECT_EQ(duringRun, QStringList{QStringLiteral("Button4")});
  EXPECT_EQ(window.errors, QStringList{QStringLiteral("Unable to write to /nowhere/feedwell.ini")});
  EXPECT_FALSE(window.grid().IsSuspended());
  EXPECT_TRUE(window.grid().updatesEnabled());
  EXPECT_FALSE(window.session().busy);
  EXPECT_EQ(enabled(), all);
  EXPECT_TRUE(
      QString::fromUtf8(window.browser().LastDocument()).contains(QStringLiteral("last line before")));
}

TEST(MainWindow, OpenPageHandsThePageToTheDesktopEvenWhenMissing) {
  test::TempHome home;
  TestWindow window(home.home());
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
  Find<QPushButton>(window, "Button4")->click();
  QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
  EXPECT_EQ(catcher.urls, QList<QUrl>{QUrl::fromLocalFile(home.home().PagePath())});
  EXPECT_TRUE(window.errors.isEmpty());
  EXPECT_TRUE(window.messages.isEmpty());
}

}  // namespace
}  // namespace feedwell::app

#include "main_window_test.moc"
