#pragma once

#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

#include "common/Host.h"

namespace feedwell {
class MessageTable;
}

namespace feedwell::test {

// A Host that records every call. `events` keeps them in order as short texts ("status:…",
// "log:…", "clear", "suspend", "resume", "focus", "rows", "pump", "message:…"), so a test can check
// both what a run reported and in which order. Rows come from `rows`, or newest first from a table
// given with ShowTable. The hooks let a test act in the middle of a run (change an option, fail).
class FakeHost : public Host {
 public:
  void SetStatusText(const QString& text) override;
  void LogActivity(const QString& line) override;
  void ClearActivityLog() override;
  void SuspendList() override;
  void ResumeList() override;
  void FocusFirstRow() override;
  QVector<PageRow> RowsInViewOrder() override;
  void ProcessEvents() override;
  void ShowMessage(const QString& text) override;

  // Rows of this table, newest first, answer RowsInViewOrder (instead of `rows`).
  void ShowTable(const MessageTable* table) { table_ = table; }

  // Events whose text starts with `prefix`, the prefix removed ("status:" gives the status texts).
  QStringList EventsWith(const QString& prefix) const;
  QStringList statusTexts() const { return EventsWith(QStringLiteral("status:")); }
  // Log lines since the last ClearActivityLog, oldest first.
  QStringList logLines() const { return log; }
  // Every log line of the run, whether or not cleared since.
  QStringList allLogLines() const { return EventsWith(QStringLiteral("log:")); }

  QStringList events;
  QStringList log;  // the activity log as it stands (emptied by ClearActivityLog)
  QStringList messages;
  QVector<PageRow> rows;
  int suspendDepth = 0;  // SuspendList minus ResumeList

  std::function<void(const QString&)> onLog;  // called after each LogActivity
  std::function<void()> onProcessEvents;      // called after each ProcessEvents

 private:
  const MessageTable* table_ = nullptr;
};

}  // namespace feedwell::test
