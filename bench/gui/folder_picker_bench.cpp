// The folder picker fills its tree view once at start: 5,000 folders from the memory store, read
// and shown.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "app/dialogs/FolderPickerDialog.h"
#include "mailstore/MemoryStore.h"

namespace {

void BM_FolderPickerLoadFolders(benchmark::State& state) {
  feedwell::mailstore::MemoryStore store;
  feedwell::mailstore::MemoryFolder& root = store.AddStore(QStringLiteral("Mail"));
  for (int i = 0; i < 500; ++i) {
    feedwell::mailstore::MemoryFolder& parent = root.AddFolder(QStringLiteral("Folder %1").arg(i));
    for (int j = 0; j < 9; ++j) parent.AddFolder(QStringLiteral("Sub %1").arg(j));
  }
  auto app = store.MakeApplication();
  feedwell::app::FolderPickerDialog picker;
  for (auto _ : state) picker.LoadFolders(*app);
  state.counters["folders"] = picker.folderTree().NodeCount();
}
BENCHMARK(BM_FolderPickerLoadFolders)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
