#include "view/ActivityLog.h"

#include <QElapsedTimer>
#include <algorithm>

#include "common/Clock.h"
#include "common/Text.h"

namespace feedwell::view {

ActivityLog::ActivityLog(HtmlView& view, int intervalMs, QObject* parent)
    : QObject(parent), view_(view), interval_(intervalMs) {
  timer_.setSingleShot(true);
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
  timer_.start(interval_);
  QElapsedTimer took;
  took.start();
  ShowHtml(view_, html_);
  // A long log takes long to show; the pause after it grows with it, so that showing the log never
  // takes more than a fifth of a run.
  const qint64 elapsed = took.elapsed();
  if (elapsed * 4 > interval_) timer_.start(static_cast<int>(std::min<qint64>(elapsed * 4, 5000)));
}

}  // namespace feedwell::view
