#pragma once

#include <QTextStream>

#include "collection/Session.h"
#include "common/Host.h"

namespace feedwell::cli {

// The host of a headless run: progress on the terminal (one rewritten line on a terminal, plain
// lines otherwise), activity log lines on standard output when verbose, rows newest first.
class TerminalHost : public Host {
 public:
  TerminalHost(Session& session, QTextStream& out, bool verbose);
  ~TerminalHost() override;

  void SetStatusText(const QString& text) override;
  void LogActivity(const QString& line) override;
  void ClearActivityLog() override {}
  void SuspendList() override {}
  void ResumeList() override {}
  void FocusFirstRow() override {}
  QVector<PageRow> RowsInViewOrder() override;
  void ProcessEvents() override {}
  void ShowMessage(const QString& text) override;

  // Ends a rewritten progress line, so that what follows starts on a line of its own.
  void FinishProgress();

 private:
  Session& session_;
  QTextStream& out_;
  bool verbose_;
  bool terminal_;
  bool progressOpen_ = false;
};

}  // namespace feedwell::cli
