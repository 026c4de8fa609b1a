// Compares the text that HtmlToText's rendering walk reads from a message body with the text that
// a browser engine (Qt WebEngine, JavaScript off) reads from the same body, over the fixture
// bodies in tests/data/html/. Known differences are listed, with their reason, in
// tests/data/html/expected-diffs.txt; every other body must match, and at least 95 % overall.
// Set FEEDWELL_FIDELITY_DUMP=DIR to keep both texts of every body for inspection.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <map>

#include "page/HtmlToText.h"

namespace feedwell {
namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "html_fidelity_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    return new QApplication(argc, argv);
  }();
  return *app;
}

// The browser's text for a body, read the way the original program read it: the body loaded as
// a document, then the page's plain text.
QString BrowserText(QWebEngineView& view, const QString& html) {
  QEventLoop loop;
  bool loaded = false;
  auto connection = QObject::connect(view.page(), &QWebEnginePage::loadFinished, &loop, [&](bool) {
    loaded = true;
    loop.quit();
  });
  QTimer::singleShot(30000, &loop, &QEventLoop::quit);
  view.setHtml(html, QUrl(QStringLiteral("file:///nonexistent/")));
  if (!loaded) loop.exec();
  QObject::disconnect(connection);
  QString text;
  bool done = false;
  view.page()->toPlainText([&](const QString& result) {
    text = result;
    done = true;
    loop.quit();
  });
  QTimer::singleShot(30000, &loop, &QEventLoop::quit);
  if (!done) loop.exec();
  return text;
}

// Drops trailing blanks of each line, folds runs of empty lines into one and trims the ends.
QString Normalized(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QStringList out;
  for (QString line : text.split(u'\n')) {
    while (!line.isEmpty() && (line.back() == u' ' || line.back() == u'\t')) line.chop(1);
    if (line.isEmpty() && (out.isEmpty() || out.back().isEmpty())) continue;
    out.append(line);
  }
  while (!out.isEmpty() && out.back().isEmpty()) out.removeLast();
  return out.join(u'\n');
}

QString ReadUtf8(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

// "file: reason" lines; # starts a comment.
std::map<QString, QString> ExpectedDifferences(const QString& path) {
  std::map<QString, QString> list;
  for (const QString& raw : ReadUtf8(path).split(u'\n')) {
    const QString line = raw.trimmed();
    if (line.isEmpty() || line.startsWith(u'#')) continue;
    const qsizetype colon = line.indexOf(u':');
    list[line.left(colon).trimmed()] = line.mid(colon + 1).trimmed();
  }
  return list;
}

// The first line where two texts part, for the failure message.
QString FirstDifference(const QString& ours, const QString& theirs) {
  const QStringList a = ours.split(u'\n');
  const QStringList b = theirs.split(u'\n');
  for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i) {
    const QString x = i < a.size() ? a[i] : QStringLiteral("<end>");
    const QString y = i < b.size() ? b[i] : QStringLiteral("<end>");
    if (x != y) return QStringLiteral("line %1\n  ours:    [%2]\n  browser: [%3]").arg(i + 1).arg(x, y);
  }
  return {};
}

TEST(HtmlFidelity, RenderedTextMatchesBrowser) {
  App();
  const QString root = QStringLiteral(FEEDWELL_TEST_DATA "/html");
  const auto expected = ExpectedDifferences(root + QStringLiteral("/expected-diffs.txt"));
  const QString dump = qEnvironmentVariable("FEEDWELL_FIDELITY_DUMP");

  QWebEngineView view;
  view.page()->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
  view.page()->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
  view.resize(1024, 768);
  view.show();

  int total = 0;
  int matched = 0;
  for (const QString& folder : {QStringLiteral("corpus"), QStringLiteral("bodies")}) {
    const QDir dir(root + u'/' + folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name)) {
      const QString html = ReadUtf8(dir.filePath(name));
      const QString ours = Normalized(VisibleText(html));
      const QString theirs = Normalized(BrowserText(view, html));
      ++total;
      const bool same = ours == theirs;
      if (same) ++matched;
      if (!dump.isEmpty()) {
        QDir().mkpath(dump);
        for (const auto& [suffix, text] : {std::pair{QStringLiteral(".ours.txt"), ours},
                                           std::pair{QStringLiteral(".browser.txt"), theirs}}) {
          QFile file(dump + u'/' + name + suffix);
          if (file.open(QIODevice::WriteOnly)) file.write(text.toUtf8());
        }
      }
      const QString key = folder + u'/' + name;
      const auto known = expected.find(key);
      if (known == expected.end()) {
        EXPECT_TRUE(same) << key.toStdString() << " differs from the browser at "
                          << FirstDifference(ours, theirs).toStdString();
      } else if (same) {
        std::cout << key.toStdString() << " now matches; remove it from expected-diffs.txt\n";
      }
    }
  }
  std::cout << "Fidelity: " << matched << "/" << total << " bodies match the browser's text\n";
  ASSERT_GE(total, 65);
  EXPECT_GE(matched * 100, total * 95) << matched << "/" << total;
}

}  // namespace
}  // namespace feedwell
