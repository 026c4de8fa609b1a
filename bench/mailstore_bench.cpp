// The local store on a large folder: sorting 50,000 messages by delivery time and reading the six
// mail properties of the newest 100, against the floor of any Maildir reader (list and stat every
// file, then read those 100 files). Goal: within 2× of the floor.
//   build/<dir>/bench/mailstore_bench   (peak memory: /usr/bin/time -v build/<dir>/bench/mailstore_bench)
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>
#include <numeric>
#include <random>
#include <vector>

#include "mailstore/LocalStore.h"

namespace {

constexpr int kMessages = 50000;
constexpr int kNewest = 100;

// The folder is written once for the whole run, outside every timing.
class BenchFolder {
 public:
  BenchFolder() {
    root_ = dir_.path() + QStringLiteral("/Bench");
    for (const char* part : {"cur", "new", "tmp"}) QDir().mkpath(root_ + u'/' + QLatin1String(part));
    std::vector<int> order(kMessages);
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), std::mt19937(42));  // delivery order ≠ name order
    const QByteArray cur = QFile::encodeName(root_) + "/cur/";
    for (int i = 0; i < kMessages; ++i) {
      const QByteArray name =
          cur + "17000" + QByteArray::number(i) + ".M" + QByteArray::number(i) + "P7.bench:2,S";
      const QByteArray body =
          "From: Sender " + QByteArray::number(i % 997) + " <s" + QByteArray::number(i % 997) +
          "@example.org>\nTo: me@example.org\nSubject: =?UTF-8?Q?Message_n=C2=BA_" + QByteArray::number(i) +
          "?=\nDate: Mon, 1 Jan 2024 10:00:00 +0000\nMessage-ID: <" + QByteArray::number(i) +
          "@bench>\nContent-Type: text/plain; charset=utf-8\n\nHello,\nthis is message " +
          QByteArray::number(i) + ".\n-- \nSender\n";
      const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0 || ::write(fd, body.constData(), static_cast<size_t>(body.size())) != body.size())
        std::abort();
      ::close(fd);
      struct timespec times[2] = {{1700000000 + order[i] * 60L, 0}, {1700000000 + order[i] * 60L, 0}};
      ::utimensat(AT_FDCWD, name.constData(), times, 0);
    }
  }
  const QString& root() const { return root_; }

 private:
  QTemporaryDir dir_;
  QString root_;
};

const BenchFolder& Folder() {
  static const BenchFolder folder;
  return folder;
}

void SetMaxRss(benchmark::State& state) {
  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_StoreSortAndReadNewest100(benchmark::State& state) {
  const QString root = Folder().root();
  for (auto _ : state) {
    auto app = feedwell::mailstore::MakeLocalStore(QStringList{root});
    auto ns = app->GetNamespace(QStringLiteral("MAPI"));
    auto items = ns->GetFolderFromID(QStringLiteral("."), root)->Items();
    items->Sort(QStringLiteral("ReceivedTime"), true);
    qsizetype total = 0;
    for (int i = 1; i <= kNewest; ++i) {
      auto item = items->Item(i);
      total += static_cast<qsizetype>(item->SentOn() + item->ReceivedTime());
      total += item->HTMLBody().size() + item->SenderEmailAddress().size() + item->EntryID().size() +
               item->Subject().size();
    }
    benchmark::DoNotOptimize(total);
  }
  SetMaxRss(state);
}
BENCHMARK(BM_StoreSortAndReadNewest100)->Unit(benchmark::kMillisecond);

// The floor: readdir + stat of every file, pick the 100 newest, read each of them whole.
void BM_FloorListStatRead100(benchmark::State& state) {
  const QByteArray cur = QFile::encodeName(Folder().root()) + "/cur";
  struct Entry {
    std::string name;
    long long mtime;
  };
  for (auto _ : state) {
    std::vector<Entry> entries;
    DIR* dir = ::opendir(cur.constData());
    const int fd = dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
      if (entry->d_name[0] == '.') continue;
      struct stat info {};
      if (::fstatat(fd, entry->d_name, &info, 0) == 0)
        entries.push_back({entry->d_name, info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec});
    }
    std::partial_sort(entries.begin(), entries.begin() + kNewest, entries.end(),
                      [](const Entry& a, const Entry& b) { return a.mtime > b.mtime; });
    char buffer[65536];
    size_t total = 0;
    for (int i = 0; i < kNewest; ++i) {
      const int file = ::openat(fd, entries[i].name.c_str(), O_RDONLY);
      ssize_t got;
      while ((got = ::read(file, buffer, sizeof buffer)) > 0) total += static_cast<size_t>(got);
      ::close(file);
    }
    ::closedir(dir);
    benchmark::DoNotOptimize(total);
  }
  SetMaxRss(state);
}
BENCHMARK(BM_FloorListStatRead100)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
