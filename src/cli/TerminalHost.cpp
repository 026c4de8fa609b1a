#include "cli/TerminalHost.h"

#include <unistd.h>

#include "collection/ViewOrder.h"
#include "common/Clock.h"

namespace feedwell::cli {

TerminalHost::TerminalHost(Session& session, QTextStream& out, bool verbose)
    : session_(session), out_(out), verbose_(verbose), terminal_(isatty(STDOUT_FILENO) == 1) {}

TerminalHost::~TerminalHost() {
  FinishProgress();
}

void TerminalHost::SetStatusText(const QString& text) {
  if (terminal_) {
    out_ << "\r\x1b[K" << text;
    progressOpen_ = true;
  } else {
    out_ << text << "\n";
  }
  out_.flush();
}

void TerminalHost::LogActivity(const QString& line) {
  if (!verbose_) return;
  FinishProgress();
  out_ << DateTimeToText(Now()) << ": " << line << "\n";
  out_.flush();
}

QVector<PageRow> TerminalHost::RowsInViewOrder() {
  return RowsNewestFirst(session_.table);
}

void TerminalHost::ShowMessage(const QString& text) {
  FinishProgress();
  out_ << text << "\n";
  out_.flush();
}

void TerminalHost::FinishProgress() {
  if (!progressOpen_) return;
  out_ << "\n";
  out_.flush();
  progressOpen_ = false;
}

}  // namespace feedwell::cli
