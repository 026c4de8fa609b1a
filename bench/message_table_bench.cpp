// Saving and loading the table file with 10,000 records of realistic size (bodies of about 5 KB),
// the largest table a long run without trimming would leave.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QVector>

#include "collection/MessageRecord.h"
#include "collection/MessageTableFile.h"
#include "common/DateTime.h"

namespace feedwell {
namespace {

constexpr int kRecords = 10000;

QVector<MessageRecord> MakeTable(int count) {
  const DateTime first = EncodeDateTime(2024, 6, 1, 8, 0, 0);
  const QString paragraph = QStringLiteral(
      "<p>Thanks for the update on the quarterly figures. I went through the attached sheet and have "
      "a few notes on the regional numbers, the shipping costs and the timeline for the next release; "
      "let us talk them through on Thursday.</p>\r\n");
  QString body = QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body>\r\n");
  while (body.size() < 5000) body += paragraph;
  body += QStringLiteral("</body></html>");

  QVector<MessageRecord> records;
  records.reserve(count);
  for (int i = 0; i < count; ++i) {
    MessageRecord r;
    r.RecId = i + 1;
    r.SourceName = QStringLiteral("Inbox/Projects");
    r.InIndex = i % 100 + 1;
    r.ReceivedDate = first + i / 1440.0;
    r.SentON = r.ReceivedDate - 0.001;
    r.Subject = QStringLiteral("Re: Quarterly figures and next steps (%1)").arg(i);
    r.UpdateDate = first + 30;
    r.MsgContent = body;
    r.FromEmail = QStringLiteral("colleague%1@example.com").arg(i % 50);
    r.EntryID = QStringLiteral("1712345678.M%1P4242.host,S=%2").arg(i).arg(5000 + i);
    records.append(r);
  }
  return records;
}

void BM_SaveTable(benchmark::State& state) {
  const QVector<MessageRecord> records = MakeTable(kRecords);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("feedwell.data"));
  for (auto _ : state) SaveMessageTableFile(path, records);
  state.SetItemsProcessed(state.iterations() * kRecords);
  state.counters["file_MB"] = double(QFileInfo(path).size()) / (1024 * 1024);
}
BENCHMARK(BM_SaveTable)->Unit(benchmark::kMillisecond);

void BM_LoadTable(benchmark::State& state) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("feedwell.data"));
  SaveMessageTableFile(path, MakeTable(kRecords));
  for (auto _ : state) {
    const QVector<MessageRecord> loaded = LoadMessageTableFile(path);
    if (loaded.size() != kRecords) state.SkipWithError("wrong record count");
    benchmark::DoNotOptimize(loaded.constData());
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}
BENCHMARK(BM_LoadTable)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace feedwell

BENCHMARK_MAIN();
