// The page generator against the original's way of reading message text: a 100-row page from
// real HTML mail bodies of about 10 KB (tests/data/html/corpus), and the same bodies converted
// with one Qt WebEngine page per message (load, then toPlainText), as the original created one
// browser control per message. Prints both times per page and the ratio at the end.
//
//   QT_QPA_PLATFORM=offscreen QTWEBENGINE_CHROMIUM_FLAGS=--no-sandbox build/<dir>/bench/page_bench

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "common/Home.h"
#include "common/Host.h"
#include "page/HtmlToText.h"
#include "page/PageGenerator.h"

namespace {

constexpr int kRows = 100;

const QString kSourceDir = QString::fromStdString(
    std::filesystem::path(__FILE__).parent_path().parent_path().parent_path().string());

// Bodies between 7 and 15 KB from the corpus, repeated to fill the page.
QVector<feedwell::PageRow> CorpusRows() {
  const QDir corpus(kSourceDir + QStringLiteral("/tests/data/html/corpus"));
  QStringList bodies;
  for (const QString& name : corpus.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name)) {
    QFile file(corpus.filePath(name));
    if (!file.open(QIODevice::ReadOnly)) continue;
    const QByteArray bytes = file.readAll();
    if (bytes.size() >= 7 * 1024 && bytes.size() <= 15 * 1024) bodies << QString::fromUtf8(bytes);
  }
  QVector<feedwell::PageRow> rows;
  for (int i = 0; i < kRows && !bodies.isEmpty(); ++i) {
    rows.append({45000.0 + i, QStringLiteral("sender%1@example.com").arg(i),
                 QStringLiteral("Message %1").arg(i), bodies.at(i % bodies.size())});
  }
  return rows;
}

class BenchHost : public feedwell::Host {
 public:
  explicit BenchHost(QVector<feedwell::PageRow> rows) : rows_(std::move(rows)) {}
  void SetStatusText(const QString&) override {}
  void LogActivity(const QString&) override {}
  void ClearActivityLog() override {}
  void SuspendList() override {}
  void ResumeList() override {}
  void FocusFirstRow() override {}
  QVector<feedwell::PageRow> RowsInViewOrder() override { return rows_; }
  void ProcessEvents() override { QCoreApplication::processEvents(); }
  void ShowMessage(const QString&) override {}

 private:
  QVector<feedwell::PageRow> rows_;
};

double g_generateSeconds = 0;
double g_webEngineSeconds = 0;

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

void BM_GeneratePage(benchmark::State& state) {
  QTemporaryDir dir;
  const feedwell::Home home(dir.path(), QStringLiteral("feedwell"));
  QDir().mkpath(home.TemplatesDir());
  QDir().mkpath(home.DataDir());
  for (const QString& name : {QStringLiteral("msgmore.html"), QStringLiteral("pageheader.html")}) {
    QFile::copy(kSourceDir + QStringLiteral("/templates/") + name, home.TemplatesDir() + u'/' + name);
  }
  QFile record(kSourceDir + QStringLiteral("/templates/msgrecord.html"));
  if (!record.open(QIODevice::ReadOnly)) {
    state.SkipWithError("templates not found");
    return;
  }
  const QString recordTemplate = QString::fromUtf8(record.readAll());
  BenchHost host(CorpusRows());
  qint64 bytes = 0;
  for (const auto& row : host.RowsInViewOrder()) bytes += row.MsgContent.toUtf8().size();
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) feedwell::GeneratePage(home, recordTemplate, host);
  g_generateSeconds =
      Seconds(std::chrono::steady_clock::now() - start) / static_cast<double>(state.iterations());
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["rows"] = kRows;
}
BENCHMARK(BM_GeneratePage)->Unit(benchmark::kMillisecond)->MinTime(2.0);

QString WebEngineText(const QString& html) {
  QWebEnginePage page;
  page.settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
  QEventLoop loop;
  bool loaded = false;
  QObject::connect(&page, &QWebEnginePage::loadFinished, &loop, [&](bool) {
    loaded = true;
    loop.quit();
  });
  QTimer::singleShot(30000, &loop, &QEventLoop::quit);
  page.setHtml(html, QUrl(QStringLiteral("file:///nonexistent/")));
  if (!loaded) loop.exec();
  QString text;
  bool done = false;
  page.toPlainText([&](const QString& result) {
    text = result;
    done = true;
    loop.quit();
  });
  if (!done) loop.exec();
  return text;
}

void BM_WebEnginePagePerMessage(benchmark::State& state) {
  const QVector<feedwell::PageRow> rows = CorpusRows();
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    for (const auto& row : rows) benchmark::DoNotOptimize(WebEngineText(row.MsgContent));
  }
  g_webEngineSeconds =
      Seconds(std::chrono::steady_clock::now() - start) / static_cast<double>(state.iterations());
  state.counters["rows"] = kRows;
}
BENCHMARK(BM_WebEnginePagePerMessage)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS")) {
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
  }
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (g_generateSeconds > 0 && g_webEngineSeconds > 0) {
    std::printf("100-row page: generator %.1f ms, one WebEngine page per message %.1f ms, %.0fx faster\n",
                g_generateSeconds * 1000, g_webEngineSeconds * 1000, g_webEngineSeconds / g_generateSeconds);
  }
  return 0;
}
