#include "view/ActivityLog.h"

#include "common/Clock.h"
#include "common/Text.h"

namespace feedwell::view {

ActivityLog::ActivityLog(HtmlView& view, int intervalMs, QObject* parent) : QObject(parent), view_(view) {
  timer_.setSingleShot(true);
  timer_.setInterval(intervalMs);
  connect(&timer_, &QTimer::timeout, this, [this] {
    if (pending_) Render();
  });
}

void ActivityLog::LogActivity(const QString& line) {
  html_.prepend(QStringLiteral("<br>") + DateTimeToText(Now()) + QStringLiteral(": ") + HtmlEscape(line));
  pending_ = true;
  if (!timer_.isActive()) Render();
}

void ActivityLog::Clear() {
  html_.clear();
  pending_ = false;
}

void ActivityLog::Flush() {
  if (pending_) Render();
}

void ActivityLog::Render() {
  pending_ = false;
  ++renders_;
  // Started before showing: lines logged while the view loads wait for the next turn.
  timer_.start();
  ShowHtml(view_, html_);
}

}  // namespace feedwell::view
