// The `feedwell scan` command on a local Maildir folder of 20,000 messages with the default limit
// of 100: the cost of sorting a large folder by received time and reading the newest messages,
// saving the table and writing the page. Reports peak memory (resident set) as a counter.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include "cli/Command.h"
#include "common/Home.h"
#include "common/TextFile.h"

namespace {

constexpr int kMessages = 20000;

QByteArray MessageText(int i) {
  QByteArray body;
  for (int line = 0; line < 12; ++line) {
    body += "Line " + QByteArray::number(line) + " of message " + QByteArray::number(i) +
            ": some words to make the body the size of an ordinary note.\n";
  }
  return "From: Sender " + QByteArray::number(i % 50) + " <sender" + QByteArray::number(i % 50) +
         "@example.com>\nTo: me@example.com\nSubject: Message number " + QByteArray::number(i) +
         "\nDate: Mon, 07 Dec 2026 09:00:00 +0000\nMessage-ID: <bench-" + QByteArray::number(i) +
         "@example.com>\nMIME-Version: 1.0\nContent-Type: text/plain; charset=utf-8\n\n" + body;
}

// A home whose store "Mail" is one Maildir of kMessages messages, received a minute apart, with
// the sender filter off so the limit decides how many are read.
class ScanHome {
 public:
  ScanHome() {
    const QString root = dir_.path();
    for (const char* sub : {"Templates", "Data/contacts", "Data/Exclude", "Mail/cur", "Mail/new", "Mail/tmp"})
      QDir().mkpath(root + u'/' + QLatin1String(sub));
    const QString templates = feedwell::FindExampleTemplates();
    for (const QString& name : QDir(templates).entryList({QStringLiteral("*.html")}, QDir::Files))
      QFile::copy(templates + u'/' + name, root + QStringLiteral("/Templates/") + name);
    const QDateTime now = QDateTime::currentDateTime();
    for (int i = 0; i < kMessages; ++i) {
      QFile file(root + QStringLiteral("/Mail/cur/bench-%1:2,S").arg(i));
      file.open(QIODevice::WriteOnly);
      file.write(MessageText(i));
      file.setFileTime(now.addSecs(-60 * (kMessages - i)), QFileDevice::FileModificationTime);
    }
    feedwell::WriteTextFile(
        root + QStringLiteral("/feedwell.ini"),
        QStringLiteral("[PROFILE]\nStore1=Mail\n[DEFAULTS]\nFOLDERSCANID=.\nSTOREID=Mail\n"
                       "SCANSUBFOLDERS=0\nINCLUDEUNKNOWN=1\nTOTALMESSAGES=100\n"
                       "[CONTACTS]\nFOLDERSCANID=.\nSTOREID=Mail\n"));
  }
  QString path() const { return dir_.path(); }

 private:
  QTemporaryDir dir_;
};

long PeakResidentKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void BM_ScanCommand(benchmark::State& state) {
  static ScanHome home;
  const long before = PeakResidentKiB();
  QString output;
  for (auto _ : state) {
    state.PauseTiming();
    QFile::remove(home.path() + QStringLiteral("/feedwell.data"));  // every run inserts its 100
    output.clear();
    state.ResumeTiming();
    QTextStream out(&output);
    QTextStream err(&output);
    feedwell::cli::CommandContext context{feedwell::Home(home.path(), QStringLiteral("feedwell")), false, out,
                                          err};
    if (feedwell::cli::RunScan(context, {}) != 0) state.SkipWithError("scan failed");
  }
  if (!output.contains(QLatin1String("New: 100")))
    state.SkipWithError("the scan did not insert 100 messages");
  state.counters["peak_rss_MiB"] = PeakResidentKiB() / 1024.0;
  state.counters["peak_rss_before_MiB"] = before / 1024.0;
}
BENCHMARK(BM_ScanCommand)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
