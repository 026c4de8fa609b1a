#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineProfile>

#include "GuiTestApp.h"
#include "view/BrowserPane.h"
#include "view/PreviewPolicy.h"

namespace feedwell::view {
namespace {

TEST(PreviewMayRequest, AllowsOnlyOwnDocumentsInlineDataAndTheDataFolder) {
  QTemporaryDir home;
  const QString data = home.filePath(QStringLiteral("Data"));
  ASSERT_TRUE(QDir().mkpath(data + QStringLiteral("/contacts")));
  QFile::link(home.path(), data + QStringLiteral("/escape"));  // a link inside Data pointing out of it
  struct Case {
    QString url;
    bool allowed;
  };
  const Case cases[] = {
      {QStringLiteral("feedwell-preview:document/7"), true},
      {QStringLiteral("data:image/png;base64,iVBORw0KGgo="), true},
      {QStringLiteral("about:blank"), true},
      {QUrl::fromLocalFile(data + QStringLiteral("/contacts/ann@example.org.bmp")).toString(), true},
      {QUrl::fromLocalFile(data + QStringLiteral("/index.html")).toString(), true},
      {QStringLiteral("http://127.0.0.1/pixel.gif"), false},
      {QStringLiteral("https://tracker.example.com/open?id=1"), false},
      {QStringLiteral("HTTP://EXAMPLE.COM/"), false},
      {QStringLiteral("ws://127.0.0.1:8080/"), false},
      {QStringLiteral("wss://example.com/"), false},
      {QStringLiteral("ftp://example.com/file"), false},
      {QStringLiteral("file:///etc/passwd"), false},
      {QUrl::fromLocalFile(home.filePath(QStringLiteral("feedwell.ini"))).toString(), false},
      {QUrl::fromLocalFile(data + QStringLiteral("/../feedwell.ini")).toString(), false},
      {QUrl::fromLocalFile(data + QStringLiteral("/escape/feedwell.ini")).toString(), false},
      {QUrl::fromLocalFile(data + QStringLiteral("2/x.png")).toString(), false},  // a sibling named alike
      {QStringLiteral("file://server/share/x.png"), false},
      {QStringLiteral("about:srcdoc"), false},
      {QStringLiteral("javascript:alert(1)"), false},
      {QStringLiteral("blob:https://example.com/1234"), false},
      {QStringLiteral("cid:part1@example.com"), false},
      {QString(), false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PreviewMayRequest(QUrl(c.url), data), c.allowed) << c.url.toStdString();
}

TEST(DecideNavigation, OnlyOwnLoadsStayAndClickedWebLinksLeave) {
  struct Case {
    const char* url;
    NavigationKind kind;
    NavigationVerdict verdict;
  };
  const Case cases[] = {
      {"feedwell-preview:document/3", NavigationKind::OwnLoad, NavigationVerdict::Load},
      {"https://example.com/article", NavigationKind::LinkClicked, NavigationVerdict::OpenOutside},
      {"http://example.com/", NavigationKind::LinkClicked, NavigationVerdict::OpenOutside},
      {"mailto:ann@example.org", NavigationKind::LinkClicked, NavigationVerdict::OpenOutside},
      {"file:///usr/bin/xterm", NavigationKind::LinkClicked, NavigationVerdict::Refuse},
      {"javascript:alert(1)", NavigationKind::LinkClicked, NavigationVerdict::Refuse},
      {"feedwell-preview:document/3", NavigationKind::LinkClicked, NavigationVerdict::Refuse},
      {"https://example.com/refresh", NavigationKind::Other, NavigationVerdict::Refuse},
      {"data:text/html,moved", NavigationKind::Other, NavigationVerdict::Refuse},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DecideNavigation(QUrl(QLatin1String(c.url)), c.kind), c.verdict) << c.url;
}

// The page's own decision, called as the engine calls it.
class OpenPreviewPage : public PreviewPage {
 public:
  using PreviewPage::acceptNavigationRequest;
  using PreviewPage::PreviewPage;
};

TEST(PreviewPage, LetsOnlyTheExpectedLoadInAndSendsClickedLinksOut) {
  QWebEngineProfile profile;
  QList<QUrl> opened;
  OpenPreviewPage page(
      &profile, [&](const QUrl& url) { opened.append(url); }, nullptr);
  const QUrl own(QStringLiteral("feedwell-preview:document/1"));
  page.ExpectOwnLoad(own);
  EXPECT_FALSE(page.acceptNavigationRequest(own, QWebEnginePage::NavigationTypeTyped, false));  // a frame
  EXPECT_FALSE(page.acceptNavigationRequest(own, QWebEnginePage::NavigationTypeRedirect, true));
  EXPECT_TRUE(page.acceptNavigationRequest(own, QWebEnginePage::NavigationTypeTyped, true));
  EXPECT_FALSE(page.acceptNavigationRequest(own, QWebEnginePage::NavigationTypeTyped, true));  // once only
  EXPECT_FALSE(page.acceptNavigationRequest(own, QWebEnginePage::NavigationTypeReload, true));
  EXPECT_TRUE(opened.isEmpty());

  const QUrl link(QStringLiteral("https://example.com/story"));
  EXPECT_FALSE(page.acceptNavigationRequest(link, QWebEnginePage::NavigationTypeLinkClicked, true));
  EXPECT_FALSE(page.acceptNavigationRequest(QUrl(QStringLiteral("https://example.com/form")),
                                            QWebEnginePage::NavigationTypeFormSubmitted, true));
  EXPECT_FALSE(page.acceptNavigationRequest(QUrl(QStringLiteral("file:///bin/sh")),
                                            QWebEnginePage::NavigationTypeLinkClicked, true));
  EXPECT_EQ(opened, QList<QUrl>{link});
}

// Counts every connection and every byte that reaches it.
class CountingServer {
 public:
  CountingServer() {
    server_.listen(QHostAddress::LocalHost);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        ++connections;
        QObject::connect(socket, &QTcpSocket::readyRead,
                         [this, socket] { bytes += socket->readAll().size(); });
      }
    });
  }
  QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort()); }
  quint16 port() const { return server_.serverPort(); }
  int connections = 0;
  qint64 bytes = 0;

 private:
  QTcpServer server_;
};

QString PlainText(QWebEnginePage* page) {
  QString text;
  bool done = false;
  page->toPlainText([&](const QString& result) {
    text = result;
    done = true;
  });
  if (!QTest::qWaitFor([&] { return done; }, 10000)) ADD_FAILURE() << "the page never gave its text";
  return text;
}

class BrowserPaneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDir().mkpath(home_.filePath(QStringLiteral("Data"))));
    pane_ = std::make_unique<BrowserPane>(home_.filePath(QStringLiteral("Data")));
    pane_->resize(600, 300);
    pane_->show();
  }
  QTemporaryDir home_;
  std::unique_ptr<BrowserPane> pane_;
};

TEST_F(BrowserPaneTest, AMessageFullOfRemoteReferencesReachesNoServerAndRunsNoScript) {
  CountingServer server;
  // The counter works: a plain connection is seen.
  {
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, server.port());
    ASSERT_TRUE(probe.waitForConnected(5000));
    QTRY_COMPARE_WITH_TIMEOUT(server.connections, 1, 5000);
  }
  server.connections = 0;
  const QString base = server.base();
  const QString html =
      QStringLiteral(
          "<html><head><title>static title</title>\n"
          "<meta http-equiv=\"refresh\" content=\"0; url=%1/refresh\">\n"
          "<link rel=\"stylesheet\" href=\"%1/style.css\">\n"
          "<link rel=\"prefetch\" href=\"%1/prefetch\"><link rel=\"dns-prefetch\" href=\"%1\">\n"
          "<link rel=\"preconnect\" href=\"%1\"><link rel=\"icon\" href=\"%1/favicon.ico\">\n"
          "<style>body { background: url(%1/background.png); }\n"
          "@import url(%1/imported.css); @font-face { font-family: x; src: url(%1/font.woff); }"
          "</style>\n"
          "<script src=\"%1/script.js\"></script>\n"
          "<script>document.title = 'script ran'; fetch('%1/fetch');</script>\n"
          "</head><body style=\"font-family: x\">\n"
          "<p>Preview body text</p>\n"
          "<img src=\"%1/pixel.gif\" width=1 height=1><img srcset=\"%1/srcset.png 2x\">\n"
          "<iframe src=\"%1/frame.html\"></iframe>\n"
          "<object data=\"%1/object.swf\"></object><embed src=\"%1/embed.swf\">\n"
          "<video poster=\"%1/poster.jpg\" src=\"%1/video.mp4\" autoplay></video>\n"
          "<audio src=\"%1/audio.mp3\" autoplay></audio>\n"
          "<form action=\"%1/form\" method=\"post\"><input name=q value=1>"
          "<input type=image src=\"%1/button.png\"></form>\n"
          "<a href=\"%1/link\" ping=\"%1/ping\">a link</a>\n"
          "<table background=\"%1/table.png\"><tr><td>cell</td></tr></table>\n"
          "</body></html>")
          .arg(base);
  ShowHtml(*pane_, html);
  const QUrl shown = pane_->url();
  EXPECT_TRUE(PlainText(pane_->page()).contains(QStringLiteral("Preview body text")));
  QTest::qWait(1500);  // room for a refresh or a late fetch to show itself
  EXPECT_EQ(server.connections, 0);
  EXPECT_EQ(server.bytes, 0);
  EXPECT_EQ(pane_->title(), QStringLiteral("static title"));
  EXPECT_EQ(pane_->url(), shown);  // neither the refresh nor the form moved the pane

  // A document too large to be given directly takes another way in; the same holds for it.
  QString big = html;
  big.replace(QStringLiteral("<p>Preview body text</p>"), QStringLiteral("<p>big start</p>"));
  while (big.size() < 3 * 1024 * 1024) big += QStringLiteral("<p>%1</p>\n").arg(QString(100, u'y'));
  ShowHtml(*pane_, big);
  EXPECT_TRUE(PlainText(pane_->page()).startsWith(QStringLiteral("big start")));
  QTest::qWait(1500);
  EXPECT_EQ(server.connections, 0);
  EXPECT_EQ(server.bytes, 0);
  EXPECT_GT(pane_->blockedRequests(), 0);
  EXPECT_EQ(pane_->title(), QStringLiteral("static title"));
}

TEST_F(BrowserPaneTest, ShowsEachNewDocumentEvenBeyondTwoMegabytes) {
  ShowHtml(*pane_, QStringLiteral("<p>first ☕ שלום</p>"));
  EXPECT_EQ(PlainText(pane_->page()), QStringLiteral("first ☕ שלום"));

  QString big = QStringLiteral("<p>begin</p>\n");
  const QString line = QStringLiteral("<p>%1</p>\n").arg(QString(100, u'x'));
  while (big.size() < 3 * 1024 * 1024) big += line;
  big += QStringLiteral("<p>the end</p>");
  ShowHtml(*pane_, big);
  const QString text = PlainText(pane_->page());
  EXPECT_TRUE(text.startsWith(QStringLiteral("begin"))) << text.left(80).toStdString();
  EXPECT_TRUE(text.endsWith(QStringLiteral("the end")));

  ShowHtml(*pane_, QString());
  EXPECT_TRUE(pane_->LastDocument().isEmpty());
  EXPECT_TRUE(PlainText(pane_->page()).isEmpty());
}

}  // namespace
}  // namespace feedwell::view
