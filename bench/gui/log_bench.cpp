// The activity log during a long run: 10,000 lines, each followed by the event pump the runs call
// between items and, optionally, some work of the item's own; then the flush at the end of the run. Reports
// the total and the share of it spent showing the log in the browser pane.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include "view/ActivityLog.h"
#include "view/BrowserPane.h"

namespace {

using feedwell::view::ActivityLog;
using feedwell::view::HtmlView;

// Passes documents on and measures how long showing them takes.
class TimedView : public HtmlView {
 public:
  explicit TimedView(HtmlView* target) : target_(target) {}
  void LoadDocument(const QByteArray& bytes) override {
    QElapsedTimer timer;
    timer.start();
    if (target_) target_->LoadDocument(bytes);
    nanoseconds += timer.nsecsElapsed();
    ++documents;
  }
  qint64 nanoseconds = 0;
  int documents = 0;

 private:
  HtmlView* target_;
};

constexpr int kLines = 10000;

void SimulatedRun(benchmark::State& state, bool withEngine) {
  const qint64 workNs = state.range(0) * 1000;
  QTemporaryDir home;
  std::unique_ptr<feedwell::view::BrowserPane> pane;
  if (withEngine) {
    pane = std::make_unique<feedwell::view::BrowserPane>(home.filePath(QStringLiteral("Data")));
    pane->resize(721, 150);
    pane->show();
  }
  qint64 totalNs = 0;
  qint64 renderNs = 0;
  int renders = 0;
  for (auto _ : state) {
    TimedView view(pane.get());
    ActivityLog log(view);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kLines; ++i) {
      log.LogActivity(QStringLiteral("Item %1 of 10000: \"Weekly update #%1: plans, notes & numbers\" from "
                                     "news@lists.example.net")
                          .arg(i));
      QCoreApplication::processEvents();
      // The item's own work (reading and storing a message), as a busy wait.
      QElapsedTimer work;
      work.start();
      while (work.nsecsElapsed() < workNs) {
      }
    }
    log.Flush();
    totalNs += timer.nsecsElapsed();
    renderNs += view.nanoseconds;
    renders += view.documents;
  }
  const double runs = static_cast<double>(state.iterations());
  state.counters["renders_per_run"] = renders / runs;
  state.counters["render_share_pct"] = totalNs ? 100.0 * static_cast<double>(renderNs) / totalNs : 0;
  state.counters["total_ms_per_run"] = totalNs / 1e6 / runs;
  state.counters["render_ms_per_run"] = renderNs / 1e6 / runs;
}

void BM_LogDuringRun_BrowserPane(benchmark::State& state) {
  SimulatedRun(state, true);
}
void BM_LogDuringRun_NoView(benchmark::State& state) {
  SimulatedRun(state, false);
}
// Argument: microseconds of work per item (0: lines as fast as they come).
BENCHMARK(BM_LogDuringRun_BrowserPane)->Arg(0)->Arg(200)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_LogDuringRun_NoView)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  feedwell::view::RegisterPreviewScheme();
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
