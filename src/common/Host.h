#pragma once

#include <QString>
#include <QVector>

#include "common/DateTime.h"

namespace feedwell {

// One row of the message list in view order, as the page generator reads it.
struct PageRow {
  DateTime ReceivedDate = 0;
  QString FromEmail;
  QString Subject;
  QString MsgContent;
};

// What the long runs (mail scan, contacts run, page generation) need of the window that started
// them. The main window and the command line each implement it; tests fake it. Options are not
// here: the runs read them live from the session (collection/Session.h).
class Host {
 public:
  virtual ~Host() = default;

  // The status strip: start text, progress and result texts.
  virtual void SetStatusText(const QString& text) = 0;
  // Adds one line to the activity log (the host adds the time and escapes it).
  virtual void LogActivity(const QString& line) = 0;
  // Empties the activity log without showing anything new.
  virtual void ClearActivityLog() = 0;
  // Suspends and resumes the message list's display during a run.
  virtual void SuspendList() = 0;
  virtual void ResumeList() = 0;
  // Focuses the list's first row (newest message) when it has one.
  virtual void FocusFirstRow() = 0;
  // A fixed copy of the list's rows in view order, taken when a page generation starts.
  virtual QVector<PageRow> RowsInViewOrder() = 0;
  // Lets the window handle pending events so that it stays responsive.
  virtual void ProcessEvents() = 0;
  // An information message with an OK button ("Select folder to scan!").
  virtual void ShowMessage(const QString& text) = 0;
};

}  // namespace feedwell
