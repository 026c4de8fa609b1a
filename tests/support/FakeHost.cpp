#include "support/FakeHost.h"

#include "collection/ViewOrder.h"

namespace feedwell::test {

void FakeHost::SetStatusText(const QString& text) {
  events << QStringLiteral("status:") + text;
}

void FakeHost::LogActivity(const QString& line) {
  events << QStringLiteral("log:") + line;
  log << line;
  if (onLog) onLog(line);
}

void FakeHost::ClearActivityLog() {
  events << QStringLiteral("clear");
  log.clear();
}

void FakeHost::SuspendList() {
  events << QStringLiteral("suspend");
  ++suspendDepth;
}

void FakeHost::ResumeList() {
  events << QStringLiteral("resume");
  --suspendDepth;
}

void FakeHost::FocusFirstRow() {
  events << QStringLiteral("focus");
}

QVector<PageRow> FakeHost::RowsInViewOrder() {
  events << QStringLiteral("rows");
  return table_ ? RowsNewestFirst(*table_) : rows;
}

void FakeHost::ProcessEvents() {
  events << QStringLiteral("pump");
  if (onProcessEvents) onProcessEvents();
}

void FakeHost::ShowMessage(const QString& text) {
  events << QStringLiteral("message:") + text;
  messages << text;
}

QStringList FakeHost::EventsWith(const QString& prefix) const {
  QStringList found;
  for (const QString& event : events) {
    if (event.startsWith(prefix)) found << event.mid(prefix.size());
  }
  return found;
}

}  // namespace feedwell::test
