#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include "view/HtmlView.h"

namespace feedwell::view {

// The activity log: time-stamped lines, newest first, shown whole in an HTML view. Showing a long
// log costs far more than adding a line, so showing is coalesced: the first line after a quiet spell
// shows at once, later ones at most every `interval` (or four times as long as showing the log
// took, when that is longer), and Flush shows what is still pending (the end of a run).
class ActivityLog : public QObject {
  Q_OBJECT

 public:
  static constexpr int kDefaultIntervalMs = 250;

  explicit ActivityLog(HtmlView& view, int intervalMs = kDefaultIntervalMs, QObject* parent = nullptr);

  // The log as HTML: "<br>" + time + ": " + escaped line for every entry, newest first.
  const QString& HTMLText() const { return html_; }

  // Adds `line` (plain text: markup in it is shown, not interpreted) with the current time.
  void LogActivity(const QString& line);
  // Empties the log; the view keeps what it shows until something else is shown.
  void Clear();
  // Shows the log now when lines are waiting to be shown.
  void Flush();
  // Forgets lines waiting to be shown (the view is about to show something else).
  void DropPending() { pending_ = false; }

  bool HasPending() const { return pending_; }
  int renderCount() const { return renders_; }

 private:
  void Render();

  HtmlView& view_;
  QString html_;
  int interval_;
  QTimer timer_;
  bool pending_ = false;
  int renders_ = 0;
};

}  // namespace feedwell::view
