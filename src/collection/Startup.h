#pragma once

#include <QString>

#include "collection/Session.h"

namespace feedwell {

// The start-up work of the main window on the session, in order: reads Templates/msgrecord.html
// into session.recordTemplate, sets FolderToScanEntryID to "0", loads the table file when it
// exists, reads the "Default" time stamps (the current time for a missing or unparsable one).
// Returns the status text "UpdateDate: …   UpdateLast: …". Raises Error at the first step that
// fails; the later steps are then skipped.
QString StartSession(Session& session);

}  // namespace feedwell
