// The folder picker reads the whole folder tree once at start; for a profile of 5,000 folders that
// should take well under a second. Two stores: the memory store (the cost of the tree itself) and a
// generated Maildir++ store on disk (what the program meets).
#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>

#include "collection/FolderTree.h"
#include "mailstore/LocalStore.h"
#include "mailstore/MemoryStore.h"

namespace {

constexpr int kParents = 500;
constexpr int kChildren = 9;  // 500 + 500 × 9 = 5,000 folders below the root

void BM_FolderTreeMemoryStore(benchmark::State& state) {
  feedwell::mailstore::MemoryStore store;
  feedwell::mailstore::MemoryFolder& root = store.AddStore(QStringLiteral("Mail"));
  for (int i = 0; i < kParents; ++i) {
    feedwell::mailstore::MemoryFolder& parent = root.AddFolder(QStringLiteral("Folder %1").arg(i));
    for (int j = 0; j < kChildren; ++j) parent.AddFolder(QStringLiteral("Sub %1").arg(j));
  }
  auto app = store.MakeApplication();
  for (auto _ : state) {
    feedwell::FolderTree tree;
    tree.Build(*app);
    benchmark::DoNotOptimize(tree.NodeCount());
  }
  state.counters["folders"] = kParents * (1 + kChildren) + 1;
}
BENCHMARK(BM_FolderTreeMemoryStore)->Unit(benchmark::kMillisecond);

// Maildir++ puts every folder of a store as a ".A.B" directory in the root; nested keeps each
// folder's subfolders in its own directory.
enum class Layout { MaildirPlusPlus, Nested };

void BM_FolderTreeMaildirStore(benchmark::State& state) {
  const auto layout = static_cast<Layout>(state.range(0));
  QTemporaryDir dir;
  const QString root = dir.path() + QStringLiteral("/Mail");
  const auto makeMaildir = [](const QString& path) {
    for (const char* sub : {"cur", "new", "tmp"}) QDir().mkpath(path + u'/' + QLatin1String(sub));
  };
  makeMaildir(root);
  for (int i = 0; i < kParents; ++i) {
    const QString parent =
        root +
        (layout == Layout::Nested ? QStringLiteral("/Folder %1") : QStringLiteral("/.Folder %1")).arg(i);
    makeMaildir(parent);
    for (int j = 0; j < kChildren; ++j)
      makeMaildir(parent +
                  (layout == Layout::Nested ? QStringLiteral("/Sub %1") : QStringLiteral(".Sub %1")).arg(j));
  }
  auto app = feedwell::mailstore::MakeLocalStore(QStringList{root});
  int nodes = 0;
  for (auto _ : state) {
    feedwell::FolderTree tree;
    tree.Build(*app);
    nodes = tree.NodeCount();
  }
  if (nodes != kParents * (1 + kChildren) + 1) state.SkipWithError("the store did not list every folder");
  state.counters["folders"] = nodes;
}
BENCHMARK(BM_FolderTreeMaildirStore)
    ->ArgName("nested")
    ->Arg(static_cast<int>(Layout::MaildirPlusPlus))
    ->Arg(static_cast<int>(Layout::Nested))
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
